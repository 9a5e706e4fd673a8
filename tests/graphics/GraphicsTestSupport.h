#pragma once
// Picture files made at test time, and a test double of the engine for the
// graphics commands.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "files/LzssEncoder.h"
#include "graphics/GraphicsHost.h"
#include "core/PaletteEntry.h"
#include "graphics/VramPlane.h"
#include "core/ArgumentList.h"
#include "script/ScriptMachine.h"
#include "core/ScriptMemory.h"

namespace fer::test {

using Bytes = std::vector<uint8_t>;

inline void putU16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void putU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint32_t roundUp4(uint32_t n) {
    return (n + 3) & ~3u;
}

// Pixel rows of a picture, top row first, each rowBytes long (padding
// included).
struct Rows {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Bytes> top; // top[y] = row y from the top, roundUp4(width) bytes
};

// A picture whose pixel (x, y) is seed + 7x + 13y, with the padding bytes
// 0xF0, 0xF1, 0xF2.
inline Rows patternRows(uint32_t width, uint32_t height, uint8_t seed = 1) {
    Rows r{width, height, {}};
    for (uint32_t y = 0; y < height; ++y) {
        Bytes row(roundUp4(width));
        for (uint32_t x = 0; x < row.size(); ++x)
            row[x] = x < width ? static_cast<uint8_t>(seed + 7 * x + 13 * y)
                               : static_cast<uint8_t>(0xF0 + x - width);
        r.top.push_back(row);
    }
    return r;
}

// The colour of palette entry i in the generated files.
inline PaletteEntry fileColour(uint32_t i) {
    return {static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
            static_cast<uint8_t>(i ^ 0x5A), 0};
}

// An 8-bit bottom-up bitmap with `colours` colour-table entries
// (biClrUsed = clrUsed).
inline Bytes makeBitmap(const Rows& rows, uint32_t colours, uint32_t clrUsed, int32_t xPos,
                        int32_t yPos) {
    Bytes b(54 + 4 * colours);
    b[0] = 'B';
    b[1] = 'M';
    putU32(b, 10, static_cast<uint32_t>(b.size()));
    putU32(b, 14, 40);
    putU32(b, 18, rows.width);
    putU32(b, 22, rows.height);
    putU16(b, 26, 1);
    putU16(b, 28, 8);
    putU32(b, 38, static_cast<uint32_t>(xPos));
    putU32(b, 42, static_cast<uint32_t>(yPos));
    putU32(b, 46, clrUsed);
    for (uint32_t i = 0; i < colours; ++i) {
        const PaletteEntry c = fileColour(i);
        b[54 + 4 * i] = c.blue;
        b[55 + 4 * i] = c.green;
        b[56 + 4 * i] = c.red;
        b[57 + 4 * i] = 0x77;
    }
    for (uint32_t k = 0; k < rows.height; ++k) {
        const Bytes& row = rows.top[rows.height - 1 - k];
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// An LzssPicture header (stored position, size, palette) and a stream.
inline Bytes makeLzssHeader(uint16_t x, uint16_t y, uint16_t width, uint16_t height) {
    Bytes b(1032);
    putU16(b, 0, x);
    putU16(b, 2, y);
    putU16(b, 4, width);
    putU16(b, 6, height);
    for (uint32_t i = 0; i < 256; ++i) {
        const PaletteEntry c = fileColour(i);
        b[8 + 4 * i] = c.blue;
        b[9 + 4 * i] = c.green;
        b[10 + 4 * i] = c.red;
        b[11 + 4 * i] = 0x77;
    }
    return b;
}

inline Bytes makeLzssPicture(const Rows& rows, uint16_t x, uint16_t y) {
    Bytes b =
        makeLzssHeader(x, y, static_cast<uint16_t>(rows.width), static_cast<uint16_t>(rows.height));
    Bytes raw;
    for (uint32_t k = 0; k < rows.height; ++k) {
        const Bytes& row = rows.top[rows.height - 1 - k];
        raw.insert(raw.end(), row.begin(), row.end());
    }
    Bytes coded;
    LzssEncoder().encode(raw, coded);
    b.insert(b.end(), coded.begin(), coded.end());
    return b;
}

inline void fillPlane(VramPlane& p, uint8_t v) {
    for (size_t i = 0; i < p.size(); ++i) p.pixels()[i] = v;
}

// The engine as the graphics commands see it. Pictures are looked up in
// `files` and written to `memory`.
class FakeGraphicsHost : public GraphicsHost {
  public:
    struct Present {
        int x, y, w, h;
        friend bool operator==(const Present&, const Present&) = default;
    };

    explicit FakeGraphicsHost(ScriptMemory* memory = nullptr) : memory_(memory) {}

    void present(int x, int y, int w, int h) override {
        presents.push_back({x, y, w, h});
        if (onPresent) onPresent();
    }
    void setScreenPalette(const Palette& colours) override {
        screen = colours;
        ++paletteChanges;
    }
    void sleepMilliseconds(uint32_t ms) override { sleeps.push_back(ms); }
    int pump() override {
        ++pumps;
        if (onPump) return onPump();
        return 1;
    }
    int loadPicture(std::string_view name, uint32_t offset) override {
        loads.push_back({std::string(name), offset});
        auto it = files.find(std::string(name));
        if (it == files.end() || memory_ == nullptr ||
            !ScriptMemory::fits(offset, it->second.size())) {
            fatalError("read", name);
            return 0;
        }
        std::copy(it->second.begin(), it->second.end(), memory_->data() + offset);
        return 1;
    }
    void setCurrentFileName(int slot, std::string_view name) override {
        fileNames[slot] = std::string(name);
    }
    void refreshTextColours(const Palette& onScreen) override {
        textColours = onScreen;
        ++textRefreshes;
    }
    void fatalError(std::string_view title, std::string_view text) override {
        errors.push_back(std::string(title) + "|" + std::string(text));
    }

    std::map<std::string, Bytes> files;
    std::vector<Present> presents;
    std::vector<uint32_t> sleeps;
    std::vector<std::pair<std::string, uint32_t>> loads;
    std::map<int, std::string> fileNames;
    std::vector<std::string> errors;
    std::function<int()> onPump;
    std::function<void()> onPresent;
    Palette screen{};
    Palette textColours{};
    int paletteChanges = 0;
    int textRefreshes = 0;
    uint64_t pumps = 0;

  private:
    ScriptMemory* memory_;
};

// An argument list of numbers, as the argument-list reader fills it.
inline ArgumentList numbers(std::initializer_list<uint32_t> values) {
    ArgumentList args;
    for (uint32_t v : values) {
        Argument* e = args.beginEntry();
        e->setKind(Argument::kNumber);
        e->setValue(v);
        args.endEntry();
    }
    return args;
}

} // namespace fer::test
