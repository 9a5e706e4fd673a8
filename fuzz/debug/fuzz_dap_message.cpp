// Any byte stream, fed in two pieces: the frame reader hands out messages or
// refuses them with a reason; every message written and read again is the same.

#include "debug/DapFrameReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fer::DapFrameReader reader;
    const size_t cut = size ? data[0] % (size + 1) : 0;
    for (std::string_view piece : {bytes.substr(0, cut), bytes.substr(cut)}) {
        reader.feed(piece);
        for (int guard = 0; guard < 100000; ++guard) {
            std::string error;
            std::optional<fer::JsonValue> message = reader.next(error);
            if (message) {
                std::string again;
                std::optional<fer::JsonValue> back = fer::JsonValue::parse(message->write(), again);
                if (!back || !(*back == *message)) std::abort();
                continue;
            }
            if (error.empty() || reader.broken()) break;
        }
    }
    return 0;
}
