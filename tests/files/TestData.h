#pragma once
// Generated test inputs: text-like, picture-like and random bytes.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fer::test {

inline std::vector<uint8_t> randomBytes(size_t size, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(size);
    for (auto& b : out) b = static_cast<uint8_t>(gen());
    return out;
}

// Words from a small vocabulary with double-byte characters mixed in, like
// script text.
inline std::vector<uint8_t> textLike(size_t size, uint32_t seed) {
    static const char* const words[] = {"the ",
                                        "game ",
                                        "\xC4\xE3\xBA\xC3",
                                        "MAIN.MES ",
                                        "\xCE\xD2\xC3\xC7",
                                        "flag ",
                                        "\r\n",
                                        "and ",
                                        "\xA1\xA3",
                                        "choice ",
                                        "12 ",
                                        "voice "};
    std::mt19937 gen(seed);
    std::vector<uint8_t> out;
    out.reserve(size);
    while (out.size() < size) {
        const char* w = words[gen() % std::size(words)];
        for (const char* p = w; *p && out.size() < size; ++p)
            out.push_back(static_cast<uint8_t>(*p));
    }
    return out;
}

// 8-bit pixels: horizontal runs with some noise, rows resembling the row above.
inline std::vector<uint8_t> pictureLike(size_t size, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(size);
    const size_t width = 640;
    uint8_t colour = 0;
    for (size_t i = 0; i < size; ++i) {
        if (i >= width && gen() % 4 != 0) {
            out[i] = out[i - width];
            continue;
        }
        if (gen() % 16 == 0) colour = static_cast<uint8_t>(gen() % 64);
        out[i] = colour;
    }
    return out;
}

} // namespace fer::test
