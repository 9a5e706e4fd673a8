// The read-text record: any bytes give a record or nothing, and a record
// written out reads back as the same bytes.

#include <cstdint>
#include <span>

#include "files/ReadTextRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fer::ReadTextRecord record;
    if (!record.parse(std::span(data, size))) {
        if (!record.serialise().empty() && record.serialise().size() != 12) __builtin_trap();
        return 0;
    }
    const std::vector<uint8_t> out = record.serialise();
    fer::ReadTextRecord again;
    if (!again.parse(out) || again.serialise() != out) __builtin_trap();
    record.mark("MAIN.MES", static_cast<uint32_t>(size) * 977);
    return 0;
}
