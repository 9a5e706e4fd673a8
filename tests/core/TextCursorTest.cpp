#include <gtest/gtest.h>

#include <vector>

#include "core/TextCursor.h"

namespace fer {
namespace {

struct Presents : TextSink {
    void present(int x, int y, int w, int h) override { seen.push_back({x, y, w, h}); }
    void drawChar(unsigned, uint16_t, int, int, unsigned) override {}
    std::vector<std::vector<int>> seen;
};

void area(ScriptMemory& m, uint16_t l, uint16_t t, uint16_t r, uint16_t b) {
    m.setReg16(reg16::kAreaLeft, l);
    m.setReg16(reg16::kAreaTop, t);
    m.setReg16(reg16::kAreaRight, r);
    m.setReg16(reg16::kAreaBottom, b);
    m.setReg16(reg16::kCursorX, l);
    m.setReg16(reg16::kCursorY, t);
    m.setReg16(reg16::kAdvance, 16);
    m.setReg16(reg16::kLineAdvance, 20);
}

TEST(TextCursor, WrapsToTheNextLineThenBackToTheTop) {
    ScriptMemory m;
    // A cell fits while its left edge plus the advance stays within the right
    // edge: 100, 116 and 132 on a line ending at 148; two lines of 20 pixels.
    area(m, 100, 50, 148, 90);
    advanceTextCursor(m, 16);
    EXPECT_EQ(m.reg16(reg16::kCursorX), 116);
    advanceTextCursor(m, 16);
    EXPECT_EQ(m.reg16(reg16::kCursorX), 132);
    advanceTextCursor(m, 16); // 148 + 16 passes 148: next line
    EXPECT_EQ(m.reg16(reg16::kCursorX), 100);
    EXPECT_EQ(m.reg16(reg16::kCursorY), 70);
    advanceTextCursor(m, 8); // a half-width character
    EXPECT_EQ(m.reg16(reg16::kCursorX), 108);
    advanceTextCursor(m, 16);
    EXPECT_EQ(m.reg16(reg16::kCursorX), 124);
    advanceTextCursor(m, 16); // the third line would pass the bottom: back to the top
    EXPECT_EQ(m.reg16(reg16::kCursorX), 100);
    EXPECT_EQ(m.reg16(reg16::kCursorY), 50);
}

TEST(TextCursor, PresentsTheAreaOnlyForPlane0) {
    ScriptMemory m;
    area(m, 10, 20, 109, 59);
    Presents sink;
    m.setReg16(reg16::kPlane, 2);
    presentTextArea(m, sink);
    EXPECT_TRUE(sink.seen.empty());
    m.setReg16(reg16::kPlane, 0);
    presentTextArea(m, sink);
    EXPECT_EQ(sink.seen, (std::vector<std::vector<int>>{{10, 20, 100, 40}}));
}

} // namespace
} // namespace fer
