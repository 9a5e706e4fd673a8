#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "graphics/PaletteCommands.h"

namespace fer::test {
namespace {

class PaletteCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(planes.allocate());
        host.onPump = [this] {
            palette.timerTick();
            return 1;
        };
    }
    void run(uint32_t n, std::initializer_list<uint32_t> more = {}) {
        ArgumentList args = numbers({n});
        for (uint32_t v : more) {
            Argument* e = args.beginEntry();
            e->setKind(Argument::kNumber);
            e->setValue(v);
            args.endEntry();
        }
        ASSERT_TRUE(externals.execute(n, args));
    }
    // Puts a palette on screen at once.
    void show(const Palette& p) {
        palette.writeTarget(p);
        commands.setNow(0, 256);
    }

    ScriptMachine machine; // the registers as start-up leaves them
    PlaneSet planes;
    PaletteManager palette;
    FakeGraphicsHost host{&machine.memory};
    GraphicsCommands commands{machine.memory, planes, palette, host, ImageLoader::Format::kBitmap};
    BuiltinPalettes builtin;
    PaletteCommands externals{machine.memory, planes, palette, commands, host, builtin};
};

Palette filled(uint8_t r, uint8_t g, uint8_t b) {
    Palette p{};
    for (auto& e : p) e = {r, g, b, 0};
    return p;
}

TEST_F(PaletteCommandsTest, PresetsCopyIntoTheWorkingPaletteSwappingTheStoredOrder) {
    run(96); // the standard colours into the reserved entries
    EXPECT_EQ(commands.working()[1], (PaletteEntry{128, 0, 0, 0}));  // dark red
    EXPECT_EQ(commands.working()[12], (PaletteEntry{0, 0, 255, 0})); // blue
    EXPECT_EQ(commands.working()[15], (PaletteEntry{255, 255, 255, 0}));
    machine.memory.setFlag(2024, 1);
    commands.working()[12] = {};
    run(96); // only 10 reserved now
    EXPECT_EQ(commands.working()[12], PaletteEntry{});
    EXPECT_EQ(externals.reserved(), 10u);

    commands.working()[20].unused = 77;
    run(115);
    EXPECT_EQ(commands.working()[20], PaletteEntry{});
    EXPECT_EQ(commands.working()[236], PaletteEntry{});
    run(110, {2, 1}); // night, one step darker
    EXPECT_NE(commands.working()[100], PaletteEntry{});
    EXPECT_EQ(commands.working()[188], PaletteEntry{}); // past entry 187 nothing changes
    const Palette before = commands.working();
    run(112, {9, 9}); // index past the table: nothing
    EXPECT_EQ(commands.working(), before);
}

TEST_F(PaletteCommandsTest, SavedPaletteCopiesKeepTheFourthByte) {
    commands.working() = filled(10, 20, 30);
    commands.saved() = filled(1, 2, 3);
    for (auto& e : commands.saved()) e.unused = 9;
    run(94, {250, 100}); // S 250..255 = W, the count cut at the end
    EXPECT_EQ(commands.saved()[255], (PaletteEntry{10, 20, 30, 9}));
    EXPECT_EQ(commands.saved()[249], (PaletteEntry{1, 2, 3, 9}));
    run(95);
    EXPECT_EQ(commands.working()[0], (PaletteEntry{1, 2, 3, 0}));
}

TEST_F(PaletteCommandsTest, TransitionsReportWhetherTheyFaded) {
    // The screen already shows S from entry 128 on: nothing to do, 18 = 0.
    commands.saved() = filled(50, 60, 70);
    show(filled(50, 60, 70));
    machine.memory.setReg16(18, 7);
    run(120);
    EXPECT_EQ(machine.memory.reg16(18), 0);
    EXPECT_EQ(commands.working()[100], (PaletteEntry{50, 60, 70, 0}));

    // The screen differs: fade 16..235 to black, 18 = 1.
    show(filled(0, 0, 0));
    run(120);
    EXPECT_EQ(machine.memory.reg16(18), 1);
    EXPECT_EQ(palette.current()[100], PaletteEntry{});
    EXPECT_EQ(palette.current()[5].red, 50);

    // 123 compares from entry 10, fades to black and fills plane 0 with the
    // background colour of register 38.
    show(filled(9, 9, 9));
    machine.memory.setReg16(38, 0x0407);
    run(123);
    EXPECT_EQ(machine.memory.reg16(18), 1);
    EXPECT_EQ(planes[0].at(0, 0), 4);
    EXPECT_EQ(planes[0].at(639, 399), 4);
    EXPECT_EQ(palette.current()[1], (PaletteEntry{128, 0, 0, palette.current()[1].unused}));
}

TEST_F(PaletteCommandsTest, GamePaletteFilesReplaceTheBuiltInOnes) {
    BuiltinPalettes game;
    const auto malformed =
        game.loadOverrides([](const std::string& name) -> std::optional<std::string> {
            if (name == "PALETTE1.PAL") return std::string("JASC-PAL\n0100\n1\n1 2 3\n");
            if (name == "PALTAB2_05.PAL") return std::string("oops");
            return std::nullopt;
        });
    EXPECT_EQ(malformed, (std::vector<std::string>{"PALTAB2_05.PAL"}));
    Palette p{};
    game.copyFixed(1, 0, p, 0, 16);
    EXPECT_EQ(p[0], (PaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(p[15], (PaletteEntry{255, 255, 255, 0})); // the rest keeps its default
}

TEST_F(PaletteCommandsTest, OtherNumbersAreNotPaletteCommands) {
    EXPECT_FALSE(externals.execute(92, numbers({92})));
    EXPECT_FALSE(externals.execute(107, numbers({107})));
}

} // namespace
} // namespace fer::test
