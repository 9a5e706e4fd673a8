// The memory views: what each cell shows, where, in which colour, and the
// pages at the ends of the flags and of 16-bit array 0.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "core/MenuIds.h"
#include "debug/MemoryView.h"

namespace fer {
namespace {

using Kind = MemoryView::Kind;
using Cells = std::map<std::pair<int, int>, DebugCell>;

Cells byPlace(MemoryView& view) {
    Cells cells;
    for (DebugCell& cell : view.cells()) {
        const auto place = std::make_pair(cell.x, cell.y);
        EXPECT_EQ(cells.count(place), 0u) << "two cells at " << cell.x << "," << cell.y;
        cells[place] = std::move(cell);
    }
    return cells;
}

std::string at(const Cells& cells, int x, int y) {
    const auto it = cells.find({x, y});
    return it == cells.end() ? "<none>" : it->second.text;
}

void turnPages(MemoryView& view, int key, int times) {
    for (int i = 0; i < times; ++i) EXPECT_TRUE(view.key(key));
}

TEST(MemoryView, FlagsGridWithLabelsAndColours) {
    ScriptMemory memory;
    memory.setFlag(0, 1);
    memory.setFlag(9, 15);
    memory.setFlag(79, 255);
    MemoryView view(Kind::kFlags, memory, menu_id::kViewFlags);
    EXPECT_EQ(view.title(), "调试");
    EXPECT_EQ(view.headerLine(), "[VIEW 40010 page 0]");
    const Cells cells = byPlace(view);
    EXPECT_EQ(cells.size(), 8u + 10u + 80u);
    EXPECT_EQ(at(cells, 48, 0), "00000000");
    EXPECT_EQ(at(cells, 552, 0), "00000007");
    EXPECT_EQ(at(cells, 0, 24), "00000");
    EXPECT_EQ(at(cells, 0, 168), "00072");
    EXPECT_EQ(at(cells, 48, 24), "001");  // flag 0
    EXPECT_EQ(at(cells, 120, 40), "015"); // flag 9: row 1, column 1
    EXPECT_EQ(at(cells, 552, 168), "255");
    EXPECT_EQ(cells.at({48, 0}).colour, 0x00FFFFu);
    EXPECT_EQ(cells.at({0, 24}).colour, 0x00FFFFu);
    EXPECT_EQ(cells.at({48, 24}).colour, 0xFFFFFFu);
}

TEST(MemoryView, LastFlagsPageShowsFlags2000To2047ThenBlanks) {
    ScriptMemory memory;
    memory.setFlag(2000, 7);
    memory.setFlag(2047, 9);
    memory.setByte(ScriptMemory::kFlagBase + 2048, 5); // past the flags: never shown
    MemoryView view(Kind::kFlags, memory, menu_id::kViewFlags);
    turnPages(view, 34, 30); // stops at the last page
    EXPECT_EQ(view.page(), 25u);
    EXPECT_EQ(view.headerLine(), "[VIEW 40010 page 25]");
    const Cells cells = byPlace(view);
    EXPECT_EQ(at(cells, 0, 24), "02000");
    EXPECT_EQ(at(cells, 48, 24), "007");
    EXPECT_EQ(at(cells, 552, 104), "009"); // flag 2047: row 5, column 7
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 8; ++c) {
            const std::string text = at(cells, 48 + 72 * c, 24 + 16 * r);
            if (r < 6)
                EXPECT_EQ(text.size(), 3u);
            else
                EXPECT_EQ(text, "   ") << r << "," << c;
            EXPECT_NE(text, "005");
        }
    }
    turnPages(view, 33, 30); // and back to the first
    EXPECT_EQ(view.page(), 0u);
    EXPECT_FALSE(view.key(27));
}

TEST(MemoryView, Array16ShowsElements160To199OnPage2AndBlankGridsAfter) {
    ScriptMemory memory;
    memory.setReg16(26, 2832);
    memory.setReg16(26 + 160, 160);
    memory.setReg16(26 + 199, 65535);
    memory.setWord(ScriptMemory::kReg16Base + 2 * (26 + 200), 4242); // element 200: not shown
    MemoryView view(Kind::kArray16, memory, menu_id::kViewDim16);
    EXPECT_EQ(at(byPlace(view), 48, 24), "02832");
    turnPages(view, 34, 2);
    Cells cells = byPlace(view);
    EXPECT_EQ(at(cells, 0, 24), "00160");
    EXPECT_EQ(at(cells, 48, 24), "00160");
    EXPECT_EQ(at(cells, 552, 88), "65535"); // element 199: row 4, column 7
    EXPECT_EQ(at(cells, 48, 104), "     ");
    EXPECT_EQ(at(cells, 552, 168), "     ");
    for (unsigned page = 3; page <= 25; ++page) {
        ASSERT_TRUE(view.key(34));
        ASSERT_EQ(view.page(), page);
        cells = byPlace(view);
        EXPECT_EQ(cells.size(), 98u);
        for (const auto& [place, cell] : cells) {
            if (place.first > 0 && place.second > 0) {
                EXPECT_EQ(cell.text, "     ");
            }
        }
    }
}

TEST(MemoryView, RegisterViewsLabelAToZInThreeColumns) {
    ScriptMemory memory;
    memory.setReg32(0, 0xABCD);
    memory.setReg32(25, 0xFFFFFFFF);
    memory.setReg16(11, 65535);
    memory.setReg16(26, 1); // not a register of the view
    MemoryView wide(Kind::kRegisters32, memory, menu_id::kViewReg32);
    Cells cells = byPlace(wide);
    EXPECT_EQ(cells.size(), 52u);
    EXPECT_EQ(at(cells, 0, 0), "   _A");
    EXPECT_EQ(at(cells, 48, 0), "0000ABCD");
    EXPECT_EQ(at(cells, 0, 160), "   _K");
    EXPECT_EQ(at(cells, 120, 0), "   _L");
    EXPECT_EQ(at(cells, 240, 48), "   _Z");
    EXPECT_EQ(at(cells, 288, 48), "FFFFFFFF");
    EXPECT_EQ(cells.at({0, 0}).colour, 0x00FFFFu);
    EXPECT_EQ(cells.at({48, 0}).colour, 0xFFFFFFu);

    MemoryView narrow(Kind::kRegisters16, memory, menu_id::kViewReg16);
    cells = byPlace(narrow);
    EXPECT_EQ(at(cells, 0, 0), "    A");
    EXPECT_EQ(at(cells, 168, 0), "65535"); // register 11: second column, first line
    EXPECT_EQ(at(cells, 240, 48), "    Z");
    // Register views do not page.
    EXPECT_TRUE(narrow.key(34));
    EXPECT_EQ(narrow.page(), 0u);
}

TEST(MemoryView, Array32BasesAreOneRowOfUpperCaseHex) {
    ScriptMemory memory;
    memory.setDword(0x0958, 0x20000);
    memory.setDword(0x0958 + 28, 0xDEADBEEF);
    MemoryView view(Kind::kArray32, memory, menu_id::kViewDim32);
    const Cells cells = byPlace(view);
    EXPECT_EQ(cells.size(), 8u + 10u + 8u);
    EXPECT_EQ(at(cells, 48, 24), "00020000");
    EXPECT_EQ(at(cells, 552, 24), "DEADBEEF");
    EXPECT_EQ(at(cells, 48, 40), "<none>");
}

TEST(MemoryView, DumpShowsEightyBytesInsideTheMemory) {
    ScriptMemory memory;
    memory.setByte(0x1000, 0x0A);
    memory.setByte(0x1000 + 79, 0xFF);
    MemoryView view(Kind::kDump, memory, menu_id::kDump, 0x1000);
    Cells cells = byPlace(view);
    EXPECT_EQ(at(cells, 0, 168), "00072");
    EXPECT_EQ(at(cells, 48, 24), "0AH");
    EXPECT_EQ(at(cells, 552, 168), "FFH");
    // The line under the grid says where the dump starts.
    EXPECT_EQ(at(cells, 0, 184), "ADDR");
    EXPECT_EQ(at(cells, 48, 184), "4096 (00001000H)");
    EXPECT_EQ(view.title(), "调试");
    view.setLive(true);
    EXPECT_EQ(view.title(), "DUMP 4096 (live)");
    // An origin too close to the end is moved back: the dump never leaves the memory.
    memory.setByte(ScriptMemory::kSize - 1, 0xEE);
    MemoryView end(Kind::kDump, memory, menu_id::kDump, 0xFFFFFFFF);
    cells = byPlace(end);
    EXPECT_EQ(at(cells, 552, 168), "EEH");
}

} // namespace
} // namespace fer
