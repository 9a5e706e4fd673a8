// The engine's command line: any argument list (the input split at NUL
// bytes) parses or is refused with a message; nothing else.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string_view> args;
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            if (i > start || i < size) args.emplace_back(text + start, i - start);
            start = i + 1;
        }
    }
    fer::CommandLine line;
    std::string error;
    if (!line.parse(args, error) && error.empty()) __builtin_trap();
    return 0;
}
