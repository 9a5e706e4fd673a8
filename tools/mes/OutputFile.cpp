#include "OutputFile.h"

#include <cstdint>
#include <span>

#include "files/AtomicFileWriter.h"

namespace fer::mes {

bool writeFileAtomically(const std::string& path, const void* data, size_t size,
                         std::string& error) {
    const WriteOutcome outcome =
        replaceFileAtomically(path, std::span(static_cast<const uint8_t*>(data), size));
    if (outcome == WriteOutcome::kDone) return true;
    error = "cannot write '" + path + "': " + writeFailureReason(outcome);
    return false;
}

} // namespace fer::mes
