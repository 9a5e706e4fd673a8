#include <gtest/gtest.h>

#include <string>

#include "GraphicsTestSupport.h"
#include "files/FileMessages.h"
#include "graphics/GraphicsCommands.h"

namespace fer::test {
namespace {

struct Arg {
    Arg(int v) : number(static_cast<uint32_t>(v)) {}
    Arg(uint32_t v) : number(v) {}
    Arg(const char* t) : text(t), isText(true) {}
    uint32_t number = 0;
    std::string text;
    bool isText = false;
};

ArgumentList argsOf(std::initializer_list<Arg> list) {
    ArgumentList args;
    for (const Arg& a : list) {
        Argument* e = args.beginEntry();
        if (a.isText) {
            e->setKind(Argument::kText);
            for (size_t i = 0; i < a.text.size(); ++i)
                e->putTextByte(i, static_cast<uint8_t>(a.text[i]));
        } else {
            e->setKind(Argument::kNumber);
            e->setValue(a.number);
        }
        args.endEntry();
    }
    return args;
}

class GraphicsCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(planes.allocate());
        commands.registerWith(table);
        // Every pump round is one timer tick.
        host.onPump = [this] {
            palette.timerTick();
            ++ticks;
            return 1;
        };
    }
    ScriptMemory& memory() { return machine.memory; }
    void command(uint32_t number, std::initializer_list<Arg> list) {
        ASSERT_TRUE(table.has(CommandKind::kSystem, number));
        table.run(CommandKind::kSystem, number, argsOf(list));
    }

    ScriptMachine machine; // the registers as start-up leaves them
    PlaneSet planes;
    PaletteManager palette;
    FakeGraphicsHost host{&machine.memory};
    GraphicsCommands commands{machine.memory, planes, palette, host, ImageLoader::Format::kBitmap};
    CommandTable table;
    int ticks = 0;
};

// Block transfer -------------------------------------------------------------

TEST_F(GraphicsCommandsTest, BlockTransferCornersAreInclusiveAndPlane0IsPresented) {
    fillPlane(planes[2], 9);
    command(10, {0, 10, 20, 10, 21, 2, 100, 200, 0}); // one column, two rows
    EXPECT_EQ(planes[0].at(100, 200), 9);
    EXPECT_EQ(planes[0].at(100, 201), 9);
    EXPECT_EQ(planes[0].at(101, 200), 0);
    EXPECT_EQ(planes[0].at(100, 202), 0);
    ASSERT_EQ(host.presents.size(), 1u);
    EXPECT_EQ(host.presents[0], (FakeGraphicsHost::Present{100, 200, 1, 2}));

    command(10, {0, 0, 0, 9, 9, 2, 0, 0, 3}); // not plane 0: nothing presented
    EXPECT_EQ(host.presents.size(), 1u);
}

TEST_F(GraphicsCommandsTest, BlockTransferWithoutAutoPresentChangesNothingOnScreen) {
    memory().clearControlBits(control::kAutoPresent);
    fillPlane(planes[2], 9);
    command(10, {0, 0, 0, 639, 399, 2, 0, 0, 0});
    EXPECT_EQ(planes[0].at(639, 399), 9);
    EXPECT_TRUE(host.presents.empty());
}

TEST_F(GraphicsCommandsTest, FillAndColourExchangeUseTheDrawingPlaneAndPresentAtTheirCorner) {
    memory().setReg16(27, 0);
    memory().setReg16(38, 0x0F07);
    command(10, {2, 5, 6, 8, 9, 4, 300, 300, 4}); // P5..P8 ignored
    EXPECT_EQ(planes[0].at(5, 6), 0x0F);
    EXPECT_EQ(planes[0].at(8, 9), 0x0F);
    EXPECT_EQ(planes[4].at(300, 300), 0);
    ASSERT_EQ(host.presents.size(), 1u);
    EXPECT_EQ(host.presents[0], (FakeGraphicsHost::Present{5, 6, 4, 4}));

    planes[0].set(5, 6, 0x07);
    command(10, {4, 5, 6, 8, 9});
    EXPECT_EQ(planes[0].at(5, 6), 0x0F);
    EXPECT_EQ(planes[0].at(6, 6), 0x07);
    EXPECT_EQ(host.presents.size(), 2u);

    memory().setReg16(27, 3);
    command(10, {2, 0, 0, 0, 0});
    EXPECT_EQ(planes[3].at(0, 0), 0x0F);
    EXPECT_EQ(host.presents.size(), 2u);
}

TEST_F(GraphicsCommandsTest, TransparentCopyAndComposeTakeTheKeyRegister) {
    memory().setReg16(51, 5);
    planes[2].set(0, 0, 5);
    planes[2].set(1, 0, 6);
    fillPlane(planes[3], 1);
    command(10, {1, 0, 0, 1, 0, 2, 10, 10, 3});
    EXPECT_EQ(planes[3].at(10, 10), 1);
    EXPECT_EQ(planes[3].at(11, 10), 6);

    // Compose into plane 0 presents at the destination (P9, P10).
    command(10, {6, 0, 0, 1, 0, 2, 10, 10, 3, 30, 40, 0});
    EXPECT_EQ(planes[0].at(30, 40), 1);
    EXPECT_EQ(planes[0].at(31, 40), 6);
    ASSERT_EQ(host.presents.size(), 1u);
    EXPECT_EQ(host.presents[0], (FakeGraphicsHost::Present{30, 40, 2, 1}));
}

// Load image -----------------------------------------------------------------

TEST_F(GraphicsCommandsTest, LoadImageReadsAtRegister26DrawsAndSetsTheRectangle) {
    const Rows rows = patternRows(33, 4);
    host.files["BG01.BMP"] = makeBitmap(rows, 256, 0, 7, 8);
    memory().setReg32(26, 0x30000);
    memory().setReg16(27, 2);
    ASSERT_EQ(commands.loadImage(argsOf({"BG01.BMP"})), 1);
    ASSERT_EQ(host.loads.size(), 1u);
    EXPECT_EQ(host.loads[0].second, 0x31000u);
    EXPECT_EQ(host.fileNames[1], "BG01.BMP");
    EXPECT_EQ(planes[2].at(7, 8), rows.top[0][0]);
    EXPECT_EQ(planes[2].at(7 + 35, 8 + 3), rows.top[3][35]);
    EXPECT_EQ(memory().reg16(47), 7);
    EXPECT_EQ(memory().reg16(48), 8);
    EXPECT_EQ(memory().reg16(49), 33);
    EXPECT_EQ(memory().reg16(50), 4);
    EXPECT_TRUE(host.presents.empty()); // plane 2

    memory().setReg16(27, 0);
    memory().setReg16(45, 0);
    memory().setReg16(46, 1);
    memory().clearControlBits(control::kAutoPresent);
    ASSERT_EQ(commands.loadImage(argsOf({"BG01.BMP"})), 1);
    EXPECT_EQ(planes[0].at(0, 1), rows.top[0][0]);
    ASSERT_EQ(host.presents.size(), 1u);
    EXPECT_EQ(host.presents[0], (FakeGraphicsHost::Present{0, 1, 33, 4}));
}

TEST_F(GraphicsCommandsTest, LoadImageTakesThePaletteOnlyWithBit01) {
    host.files["P.BMP"] = makeBitmap(patternRows(4, 1), 16, 16, 0, 0);
    commands.working().fill({200, 201, 202, 0});
    memory().clearControlBits(control::kTakePalette);
    commands.loadImage(argsOf({"P.BMP"}));
    EXPECT_EQ(commands.working()[0], (PaletteEntry{200, 201, 202, 0}));

    memory().setControlBits(control::kTakePalette);
    commands.loadImage(argsOf({"P.BMP"}));
    const PaletteEntry c = fileColour(3);
    EXPECT_EQ(commands.working()[3], (PaletteEntry{c.red, c.green, c.blue, 0}));
    EXPECT_EQ(commands.working()[16], (PaletteEntry{200, 201, 202, 0}));
    // The screen's colours change only with a palette command.
    EXPECT_EQ(palette.current()[3], PaletteEntry{});
}

TEST_F(GraphicsCommandsTest, LoadImageThatCannotBeReadChangesNothing) {
    memory().setReg16(47, 1234);
    EXPECT_EQ(commands.loadImage(argsOf({"NONE.BMP"})), 0);
    EXPECT_EQ(memory().reg16(47), 1234);
    EXPECT_TRUE(host.presents.empty());

    // Register 26 placing the file past the end of script memory.
    host.files["P.BMP"] = makeBitmap(patternRows(4, 1), 16, 16, 0, 0);
    host.errors.clear();
    memory().setReg32(26, 0xFFFFFFF0u);
    EXPECT_EQ(commands.loadImage(argsOf({"P.BMP"})), 0);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], std::string(file_text::kReadFailed) + "|P.BMP");

    // The name in the message has its control bytes escaped.
    host.errors.clear();
    EXPECT_EQ(commands.loadImage(argsOf({"P\x1B[2J.BMP"})), 0);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], std::string(file_text::kReadFailed) + "|P\\x1B[2J.BMP");
}

TEST_F(GraphicsCommandsTest, LoadImageOfAnLzssPicture) {
    GraphicsCommands lzss(machine.memory, planes, palette, host, ImageLoader::Format::kLzssPicture);
    const Rows rows = patternRows(640, 400, 3);
    host.files["BG.PIC"] = makeLzssPicture(rows, 0, 0);
    memory().setReg16(27, 0);
    ASSERT_EQ(lzss.loadImage(argsOf({"BG.PIC"})), 1);
    for (int y = 0; y < 400; y += 37)
        for (int x = 0; x < 640; x += 13) ASSERT_EQ(planes[0].at(x, y), rows.top[y][x]);
    EXPECT_EQ(memory().reg16(49), 640);
    EXPECT_EQ(memory().reg16(50), 400);
}

// Palette --------------------------------------------------------------------

TEST_F(GraphicsCommandsTest, Mode0SetsTheColoursAtOnceAndShowsThem) {
    command(9, {0, 255});
    EXPECT_EQ(palette.current()[0], (PaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(palette.current()[235].blue, 255);
    EXPECT_EQ(palette.current()[236], PaletteEntry{});
    EXPECT_EQ(host.screen[100].red, 255);
    EXPECT_EQ(host.screen[255], PaletteEntry{});
    ASSERT_FALSE(host.presents.empty());
    EXPECT_EQ(host.presents.back(), (FakeGraphicsHost::Present{0, 0, 640, 400}));
    EXPECT_GE(host.textRefreshes, 1);
    EXPECT_EQ(host.textColours[9].green, 255);
}

TEST_F(GraphicsCommandsTest, Mode1FadesToBlackAndReturnsWhenTheFadeHasEnded) {
    command(9, {0, 255});
    ticks = 0;
    command(9, {1, 0});
    EXPECT_FALSE(palette.fadeActive());
    EXPECT_EQ(palette.current()[0], PaletteEntry{});
    EXPECT_LE(ticks, 16 + 1);
    EXPECT_GE(ticks, 16);
    EXPECT_EQ(host.screen[0], PaletteEntry{});
    EXPECT_EQ(host.textColours[0], PaletteEntry{});
}

TEST_F(GraphicsCommandsTest, Mode4ReturnsAtOnceAndTheNextCommandWaits) {
    command(9, {4, 255});
    EXPECT_TRUE(palette.fadeActive());
    EXPECT_EQ(ticks, 0);
    command(9, {5, 0, 0}); // waits for the fade before doing anything
    EXPECT_FALSE(palette.fadeActive());
    EXPECT_EQ(ticks, 16 + 1);
    EXPECT_EQ(palette.current()[0].red, 255);
}

TEST_F(GraphicsCommandsTest, Mode3FadesARangeToWhite) {
    memory().setControlWord(0); // W follows the fill
    command(9, {3, 255, 16, 16});
    const Palette now = palette.current();
    EXPECT_EQ(now[15], PaletteEntry{});
    EXPECT_EQ(now[16], (PaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(now[31], (PaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(now[32], PaletteEntry{});
    EXPECT_EQ(commands.working()[16].red, 255);
}

TEST_F(GraphicsCommandsTest, Mode7FadesWithTheGivenSpeed) {
    command(9, {7, 0xFF, 200});
    EXPECT_EQ(ticks, 201);
    EXPECT_EQ(palette.current()[10].green, 200);
}

TEST_F(GraphicsCommandsTest, KeepAndTakeBitsLeaveTheWorkingPaletteUnchangedByAFill) {
    commands.working().fill({10, 20, 30, 0});
    // Bits 0x01 and 0x02 are set after start-up.
    command(9, {1, 0});
    EXPECT_EQ(commands.working()[5], (PaletteEntry{10, 20, 30, 0}));
    EXPECT_EQ(palette.current()[5], PaletteEntry{});
    command(9, {1}); // back to the pictures' colours
    EXPECT_EQ(palette.current()[5], (PaletteEntry{10, 20, 30, 0}));

    memory().setControlWord(0);
    command(9, {0, 0});
    EXPECT_EQ(commands.working()[5], (PaletteEntry{0, 0, 0, 0}));
}

TEST_F(GraphicsCommandsTest, FadeWaitEndsWhenTheWindowCloses) {
    host.onPump = [] { return 0; }; // no ticks, and the window is gone
    command(9, {1, 255});
    EXPECT_EQ(host.pumps, 1u);
    EXPECT_TRUE(palette.fadeActive());
}

TEST_F(GraphicsCommandsTest, OtherCommandsAreNotOurs) {
    for (uint32_t n = 0; n <= kLastSystemCommand; ++n)
        EXPECT_EQ(table.has(CommandKind::kSystem, n), n >= 8 && n <= 10) << n;
    command(9, {8, 255});
    EXPECT_EQ(palette.current()[0], PaletteEntry{});
}

} // namespace
} // namespace fer::test
