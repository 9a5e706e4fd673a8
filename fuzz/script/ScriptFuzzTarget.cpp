#include "ScriptFuzzTarget.h"

#include <algorithm>
#include <memory>
#include <new>
#include <span>

#include "core/ScriptRegisters.h"
#include "graphics/AnimationChannels.h"
#include "graphics/BuiltinPalettes.h"
#include "graphics/GlyphRasterizer.h"
#include "graphics/GraphicsCommands.h"
#include "graphics/GraphicsHost.h"
#include "graphics/PaletteCommands.h"
#include "graphics/PaletteManager.h"
#include "graphics/ParticleEffects.h"
#include "graphics/PlaneSet.h"
#include "graphics/TextCommands.h"
#include "graphics/TextRenderer.h"
#include "script/Interpreter.h"

namespace fer {

namespace {

// Every character is a small pattern made of its code, so text lights pixels.
class PatternRasterizer : public GlyphRasterizer {
  public:
    bool rasterize(const GlyphRequest& request, GlyphMask& mask) override {
        mask.clear();
        const uint32_t code = static_cast<uint32_t>(request.codePoint);
        for (int row = 0; row < request.pixelHeight && row < GlyphMask::kSize; row += 3)
            mask.setRow(row, (code * 2654435761u) >> (row & 7));
        return true;
    }
    std::string fontName() const override { return "the fuzz pattern"; }
};

struct Rig;

// The script's engine: input, timer and window state come from the pass
// count; the pass limit closes the window.
class BoundedHost : public ScriptHost {
  public:
    explicit BoundedHost(Rig& rig) : rig_(rig) {}

    int pump() override;
    int windowState() const override { return state; }
    void setWindowState(int s) override { state = s; }
    bool keyDown(int index) override { return index >= 0 && index < 16 && ((keys >> index) & 1); }
    void clearKeys() override { keys = 0; }
    void waitWhileHeld(uint32_t, int) override { pump(); }
    bool shiftHeld() override { return false; }
    uint32_t tickCount() const override { return static_cast<uint32_t>(pumps); }
    void resetTicks() override { tickBase = pumps; }
    uint32_t ticks() const override { return static_cast<uint32_t>(pumps - tickBase); }
    LocalTime localTime() const override { return {2026, 1, 2, 3, 4, 5, 6, 7}; }
    void present(int, int, int, int) override {}
    void drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) override;
    int loadScript(std::string_view) override;
    void setCurrentFileName(int, std::string_view) override {}
    int readWholeFile(std::string_view, std::span<uint8_t> destination) override {
        // Every save holds the save bytes given (by default the code).
        std::copy_n(save.begin(), std::min(save.size(), destination.size()), destination.begin());
        return 1;
    }
    int writeSaveFile(std::string_view, std::span<const uint8_t>) override { return 1; }
    uint16_t moveSpeed() const override { return 8; }
    void logLine(std::string_view) override {}
    void fatalError(std::string_view, std::string_view) override { state = 255; }

    void start(std::span<const uint8_t> bytes, std::span<const uint8_t> saveBytes,
               std::span<const uint8_t> laterBytes, uint64_t pumpLimit, uint8_t keySeed,
               uint8_t backgroundPass) {
        code = bytes;
        save = saveBytes;
        later = laterBytes;
        loads = 0;
        charactersDrawn = 0;
        limit = pumpLimit;
        pumps = 0;
        tickBase = 0;
        state = 0;
        keys = 0;
        seed = keySeed;
        background = backgroundPass;
    }

    std::span<const uint8_t> code;  // the first script loaded
    std::span<const uint8_t> save;  // every save file
    std::span<const uint8_t> later; // every script loaded after the first
    int loads = 0;
    int charactersDrawn = 0;
    static constexpr int kDrawnCharacters = 32;
    uint64_t pumps = 0;
    uint64_t limit = kFuzzPumpLimit;
    uint64_t tickBase = 0;
    int state = 0;
    uint16_t keys = 0;
    uint8_t seed = 0;
    uint8_t background = 0;

  private:
    Rig& rig_;
};

// The graphics commands' engine: their waits count as passes too.
class BoundedGraphicsHost : public GraphicsHost {
  public:
    explicit BoundedGraphicsHost(BoundedHost& host) : host_(host) {}
    void fatalError(std::string_view title, std::string_view text) override {
        host_.fatalError(title, text);
    }
    void present(int, int, int, int) override {}
    void setScreenPalette(const Palette&) override {}
    void sleepMilliseconds(uint32_t) override {}
    int pump() override { return host_.pump(); }
    int loadPicture(std::string_view, uint32_t) override { return 0; }
    void setCurrentFileName(int, std::string_view) override {}
    // The palette on screen decides the text's colours, as in the engine.
    void refreshTextColours(const Palette& onScreen) override {
        if (text) text->refreshTextColours(onScreen);
    }

    TextRenderer* text = nullptr;

  private:
    BoundedHost& host_;
};

struct Rig {
    Rig()
        : host(*this), graphicsHost(host), evaluator(machine, host),
          gb2312(machine, evaluator, host, kGb2312Variant, gbCommands, sound),
          shiftJis(machine, evaluator, host, kShiftJisVariant, sjisCommands, sound),
          text(kGb2312Variant, std::make_unique<PatternRasterizer>()),
          graphics(machine.memory, planes, palette, graphicsHost, ImageLoader::Format::kBitmap),
          paletteCommands(machine.memory, planes, palette, graphics, graphicsHost, builtin),
          textCommands(machine.memory, host, text, kGb2312Variant),
          animation(machine.memory, planes, palette, graphics, graphicsHost),
          particles(planes, graphicsHost, [] { return 12345u; }) {
        planes.allocate();
        text.initialise(host);
        graphicsHost.text = &text;
        // Distinct colours until a script sets its own, so text shows.
        for (size_t i = 0; i < startColours.size(); ++i)
            startColours[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                               static_cast<uint8_t>(i * 7), 0};
        for (CommandTable* table : {&gbCommands, &sjisCommands}) {
            graphics.registerWith(*table);
            paletteCommands.registerWith(*table);
            textCommands.registerWith(*table);
            animation.registerWith(*table);
            particles.registerWith(*table);
        }
    }

    uint64_t run(std::span<const uint8_t> code, std::span<const uint8_t> save,
                 std::span<const uint8_t> later, bool shiftJisBuild, uint64_t limit,
                 uint8_t keySeed, uint8_t backgroundPass,
                 std::span<const uint8_t> registerMask) {
        machine.reset();
        // A fresh evaluator: no halt left by the last input's fatal error, and
        // the random numbers start from the same seed for every input.
        std::destroy_at(&evaluator);
        std::construct_at(&evaluator, machine, host);
        animation.reset();
        // No flakes or petals left over from the last input: each input
        // starts with both effects stopped and empty.
        for (ParticleEffect* effect : {&particles.a(), &particles.b()}) {
            if (!effect->running() && effect->live() == 0) continue;
            effect->start(1);
            effect->stop();
        }
        text.setFontSize(16, 16);
        text.setColours(7);
        text.refreshTextColours(startColours);
        for (size_t i = 0; i < registerMask.size(); ++i) {
            const uint32_t at = ScriptMemory::kReg16Base + static_cast<uint32_t>(i);
            machine.memory.setByte(at, machine.memory.byte(at) ^ registerMask[i]);
        }
        host.start(code, save, later, limit, keySeed, backgroundPass);
        host.loadScript("MAIN.MES");
        (shiftJisBuild ? shiftJis : gb2312).run();
        return host.pumps;
    }

    // What the timer thread does between passes.
    void tick() {
        palette.timerTick();
        if ((host.pumps & 3) == 0) {
            animation.tick();
            particles.tick(static_cast<uint32_t>(host.pumps));
        }
    }

    ScriptMachine machine;
    BoundedHost host;
    BoundedGraphicsHost graphicsHost;
    SilentSound sound;
    CommandTable gbCommands;
    CommandTable sjisCommands;
    Evaluator evaluator;
    Interpreter gb2312;
    Interpreter shiftJis;
    PlaneSet planes;
    PaletteManager palette;
    BuiltinPalettes builtin;
    TextRenderer text;
    GraphicsCommands graphics;
    PaletteCommands paletteCommands;
    TextCommands textCommands;
    AnimationChannels animation;
    ParticleEffects particles;
    Palette startColours;
};

int BoundedHost::pump() {
    ++pumps;
    if (pumps >= limit) state = 255;
    if (background != 0 && pumps == background && state == 0) state = 1;
    else if (background != 0 && pumps == background + 3u && state == 1) state = 0;
    // Keys change with the passes, so choices and waits see input.
    keys = static_cast<uint16_t>(((pumps + seed) * 2654435761u) >> 7);
    rig_.tick();
    return (state == 3 || state == 255) ? 0 : 1;
}

void BoundedHost::drawChar(unsigned plane, uint16_t c, int x, int y, unsigned style) {
    // Random code is mostly text: past the first characters of an input more
    // glyphs only cost time, so they move the cursor without being drawn.
    if (charactersDrawn >= kDrawnCharacters) return;
    ++charactersDrawn;
    rig_.text.drawChar(rig_.planes, plane, c, x, y, style);
}

int BoundedHost::loadScript(std::string_view) {
    // Whatever the name, the first load gives the code, later ones the later bytes.
    const std::span<const uint8_t> bytes = loads++ == 0 ? code : later;
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), ScriptMemory::kCodeSize),
                rig_.machine.memory.data() + ScriptMemory::kCodeBase);
    return 1;
}

Rig& rig() {
    static Rig instance;
    return instance;
}

} // namespace

uint64_t runScriptBytes(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> code(data, size);
    return rig().run(code, code, code, (size & 1) != 0, kFuzzPumpLimit, 0, 0, {});
}

uint64_t runScriptInput(const uint8_t* data, size_t size) {
    uint8_t state[kScriptStateBytes] = {};
    std::copy_n(data, std::min(size, kScriptStateBytes), state);
    const std::span<const uint8_t> code =
        size > kScriptStateBytes ? std::span(data + kScriptStateBytes, size - kScriptStateBytes)
                                 : std::span<const uint8_t>();
    return rig().run(code, code, code, (state[0] & 1) != 0, kFuzzInputPumpLimit, state[0] >> 1,
                     state[1], std::span<const uint8_t>(state + 2, kScriptStateBytes - 2));
}

PlaneSet& scriptFuzzPlanes() {
    return rig().planes;
}

uint64_t runSaveLoad(std::span<const uint8_t> loader, bool shiftJisBuild, const uint8_t* data,
                     size_t size) {
    const size_t saveSize = std::min<size_t>(size, ScriptMemory::kSaveSize);
    const std::span<const uint8_t> save(data, saveSize);
    const std::span<const uint8_t> later(data + saveSize, size - saveSize);
    return rig().run(loader, save, later, shiftJisBuild, kFuzzInputPumpLimit, 0, 0, {});
}

} // namespace fer
