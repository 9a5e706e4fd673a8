#pragma once
// Test doubles for the text tests: a rasterizer that draws what a test tells
// it and records what it was asked, and a script machine whose host sends
// drawChar and the text system commands to a real TextRenderer and
// TextCommands, the way the engine does.

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "graphics/CharsetDecoder.h"
#include "graphics/GlyphRasterizer.h"
#include "graphics/PlaneSet.h"
#include "graphics/TextCommands.h"
#include "graphics/TextRenderer.h"
#include "script/Interpreter.h"

namespace fer::test {

using Bytes = std::vector<uint8_t>;

class FakeRasterizer : public GlyphRasterizer {
  public:
    std::vector<GlyphRequest> requests;
    // Draws the glyph; by default one lit pixel at (1, 1).
    std::function<void(const GlyphRequest&, GlyphMask&)> draw = [](const GlyphRequest&,
                                                                   GlyphMask& m) { m.set(1, 1); };

    bool rasterize(const GlyphRequest& request, GlyphMask& mask) override {
        requests.push_back(request);
        mask.clear();
        draw(request, mask);
        return true;
    }
    std::string fontName() const override { return "the test pattern"; }
};

struct DrawnChar {
    unsigned plane;
    uint16_t code;
    int x, y;
    unsigned style;
};

class TextHost : public ScriptHost {
  public:
    TextRenderer* renderer = nullptr;
    PlaneSet* planes = nullptr;
    std::vector<DrawnChar> drawn;
    std::vector<std::array<int, 4>> presents;
    std::vector<std::string> fatals;
    uint64_t pumps = 0;
    int state = 0;

    int pump() override {
        // A script that never ends fails instead of hanging the test.
        if (++pumps > 100000) state = 255;
        return state == 255 ? 0 : 1;
    }
    int windowState() const override { return state; }
    void setWindowState(int s) override { state = s; }
    bool keyDown(int) override { return false; }
    void clearKeys() override {}
    void waitWhileHeld(uint32_t, int) override {}
    bool shiftHeld() override { return false; }
    uint32_t tickCount() const override { return 0; }
    void resetTicks() override {}
    uint32_t ticks() const override { return 0; }
    LocalTime localTime() const override { return {}; }
    void present(int x, int y, int w, int h) override { presents.push_back({x, y, w, h}); }
    void drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) override {
        drawn.push_back({plane, code, x, y, style});
        renderer->drawChar(*planes, plane, code, x, y, style);
    }
    int loadScript(std::string_view) override { return 0; }
    void setCurrentFileName(int, std::string_view) override {}
    int readWholeFile(std::string_view, std::span<uint8_t>) override { return 0; }
    int writeSaveFile(std::string_view, std::span<const uint8_t>) override { return 0; }
    uint16_t moveSpeed() const override { return 8; }
    void logLine(std::string_view) override {}
    void fatalError(std::string_view title, std::string_view text) override {
        fatals.push_back(std::string(title) + ": " + std::string(text));
        state = 255;
    }
};

// Registers of the text output.
namespace reg {
inline constexpr uint8_t kPlane = 27, kLeft = 32, kTop = 33, kRight = 34, kBottom = 35,
                         kCursorX = 36, kCursorY = 37, kColours = 38, kNumberOptions = 39,
                         kFontWidth = 40, kFontHeight = 41, kStyle = 42, kAdvance = 43,
                         kLineAdvance = 44;
}

class TextRig {
  public:
    explicit TextRig(const BuildVariant& variant)
        : evaluator(machine, host), interpreter(machine, evaluator, host, variant, table, sound) {
        auto fake = std::make_unique<FakeRasterizer>();
        font = fake.get();
        renderer = std::make_unique<TextRenderer>(variant, std::move(fake));
        EXPECT_TRUE(renderer->initialise(host));
        // A screen palette in which every entry has its own colour, so the
        // glyph colour is the text colour's own entry.
        Palette screen;
        for (int i = 0; i < 256; ++i) screen[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
        renderer->refreshTextColours(screen);
        commands = std::make_unique<TextCommands>(machine.memory, host, *renderer, variant);
        commands->registerWith(table);
        EXPECT_TRUE(planes.allocate());
        host.renderer = renderer.get();
        host.planes = &planes;
        mem().setReg16(reg::kPlane, 3); // off screen unless a test says otherwise
    }

    ScriptMemory& mem() { return machine.memory; }
    // Runs code placed at 0x1000 (a zero byte is appended to end it).
    void run(Bytes code) {
        code.push_back(0);
        std::copy(code.begin(), code.end(), machine.memory.data() + ScriptMemory::kCodeBase);
        machine.setPc(ScriptMemory::kCodeBase);
        machine.setCodeBase(ScriptMemory::kCodeBase);
        interpreter.run();
    }

    ScriptMachine machine;
    TextHost host;
    CommandTable table;
    SilentSound sound;
    Evaluator evaluator;
    Interpreter interpreter;
    PlaneSet planes;
    FakeRasterizer* font = nullptr;
    std::unique_ptr<TextRenderer> renderer;
    std::unique_ptr<TextCommands> commands;
};

// Byte code: a system command with number arguments; opcode 1 text.
inline Bytes expr(uint32_t v) {
    if (v < 0x80) return {uint8_t(v), 0xFF};
    return {0xF2, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24), 0xFF};
}
inline Bytes sys(uint32_t s, std::initializer_list<uint32_t> args = {}) {
    Bytes b{11};
    const Bytes n = expr(s);
    b.insert(b.end(), n.begin(), n.end());
    for (uint32_t a : args) {
        b.push_back(2);
        const Bytes v = expr(a);
        b.insert(b.end(), v.begin(), v.end());
    }
    b.push_back(0);
    return b;
}
inline Bytes text(const std::vector<uint16_t>& codes) {
    Bytes b{1};
    for (uint16_t c : codes) {
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c));
    }
    b.push_back(0);
    return b;
}

// The script's bytes of a UTF-8 string in the build's code page.
inline std::string encode(const std::string& utf8, const char* charset) {
    iconv_t cd = iconv_open(charset, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* o = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

// The character codes of a byte string: lead x 256 + trail for double-byte
// characters, the byte for single-byte ones.
inline std::vector<uint16_t> codesOf(const std::string& bytes, const BuildVariant& variant) {
    std::vector<uint16_t> codes;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (variant.isLeadByte(b) && i + 1 < bytes.size())
            codes.push_back(static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(bytes[++i])));
        else
            codes.push_back(b);
    }
    return codes;
}

} // namespace fer::test
