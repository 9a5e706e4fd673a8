#pragma once
// Writes a whole file through a temporary name, so that a failed write
// never leaves a partial output behind and a link in the output's place is
// refused rather than written through (see files/AtomicFileWriter.h).

#include <cstddef>
#include <string>

namespace fer::mes {

bool writeFileAtomically(const std::string& path, const void* data, size_t size,
                         std::string& error);

} // namespace fer::mes
