// The code view: the running script's name and the current instruction's
// address, with the disassembly around it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assembler.h"
#include "core/MenuIds.h"
#include "debug/CodeView.h"
#include "script/Charset.h"

namespace fer {
namespace {

class CodeViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        charset_ = mes::Charset::open("gb2312");
        ASSERT_NE(charset_, nullptr);
    }

    void load(const std::string& source) {
        mes::Assembler assembler(*charset_, mes::memorySourceLoader({}));
        mes::AssemblyResult result = assembler.assembleText("code.mes", source);
        for (const mes::Diagnostic& d : result.diagnostics) ADD_FAILURE() << d.format();
        for (size_t i = 0; i < result.code.size(); ++i)
            machine_.memory.setByte(ScriptMemory::kCodeBase + i, result.code[i]);
        machine_.memory.setScriptName("MAIN.MES");
    }

    std::vector<std::string> print(CodeView& view) {
        std::vector<std::string> lines;
        for (const DebugCell& cell : view.cells())
            lines.push_back(std::to_string(cell.x) + " " + std::to_string(cell.y) + " " +
                            cell.text);
        return lines;
    }

    std::unique_ptr<mes::Charset> charset_;
    ScriptMachine machine_;
};

TEST_F(CodeViewTest, ShowsThreeInstructionsBeforeTheCurrentOneAndThoseAfter) {
    load("r16[1] = 1\n"
         "r16[2] = 300\n"
         "flag[5] = 1, 0, 1\n"
         "r32[3] = 100000\n"
         "wait 100\n"
         "r16[4] = r16[4] + 1\n"
         "end\n");
    CodeView view(machine_, charset_.get(), "CP936", menu_id::kViewCode);
    const std::vector<mes::DisassemblyLine> all =
        mes::disassembleMemory(machine_.memory, ScriptMemory::kCodeBase, 7, *charset_);
    ASSERT_EQ(all.size(), 7u);
    ASSERT_EQ(all[4].text, "wait 100");
    machine_.instructionStart = all[4].address;
    const std::vector<std::string> printed = print(view);
    char address[16];
    std::snprintf(address, sizeof address, "%08X", all[4].address);
    ASSERT_GE(printed.size(), 4u);
    EXPECT_EQ(printed[0], "0 0 MES");
    EXPECT_EQ(printed[1], "40 0 MAIN.MES");
    EXPECT_EQ(printed[3], std::string("448 0 ") + address);
    const std::vector<mes::DisassemblyLine> lines = view.linesAround(all[4].address);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0].text, all[1].text); // r16[2] = 300
    EXPECT_EQ(lines[2].text, all[3].text); // r32[3] = 100000
    EXPECT_EQ(lines[3].text, "wait 100");
    EXPECT_EQ(lines[4].text, "r16[4] = r16[4] + 1");
    // The current line is marked.
    const auto marker = std::find(printed.begin(), printed.end(), "0 72 =>");
    ASSERT_NE(marker, printed.end());
    EXPECT_EQ(*(marker + 1), std::string("24 72 ") + address);
    EXPECT_EQ(*(marker + 2), "104 72 wait 100");
    EXPECT_EQ(view.headerLine(), "[VIEW 40041 page 0]");
    view.setLive(true);
    EXPECT_EQ(view.headerLine(), "[VIEW 40041 page 0 live]");
}

TEST_F(CodeViewTest, JumpTargetsAreAddressesWithTheLabelsOfLinesInView) {
    load("again:\n"
         "r16[1] = 1\n"
         "goto again\n"
         "goto 0x2000\n");
    const std::vector<mes::DisassemblyLine> all =
        mes::disassembleMemory(machine_.memory, ScriptMemory::kCodeBase, 3, *charset_);
    ASSERT_EQ(all.size(), 3u);
    machine_.instructionStart = all[1].address;
    CodeView view(machine_, charset_.get(), "CP936", menu_id::kViewCode);
    const std::vector<std::string> printed = print(view);
    const auto has = [&](const std::string& line) {
        return std::find(printed.begin(), printed.end(), line) != printed.end();
    };
    EXPECT_TRUE(has("104 24 L0000: r16[1] = 1"));
    EXPECT_TRUE(has("104 40 goto 00001000 (L0000)"));
    EXPECT_TRUE(has("104 56 goto 00003000")); // not a line of the view
}

TEST(CodeViewWrap, LongLinesGoOnInTheRowsBelow) {
    EXPECT_EQ(CodeView::wrap(std::string(70, 'a')),
              (std::vector<std::string>{std::string(64, 'a'), std::string(6, 'a')}));
    // A double-width character takes two columns and is never split.
    std::string wide = std::string(63, 'a') + "字b";
    EXPECT_EQ(CodeView::wrap(wide),
              (std::vector<std::string>{std::string(63, 'a'), "字b"}));
    // Three rows at most; the last says the line goes on.
    const std::vector<std::string> rows = CodeView::wrap(std::string(200, 'a'));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], std::string(61, 'a') + "...");
}

TEST_F(CodeViewTest, AnyAddressIsSafe) {
    load("end\n");
    CodeView view(machine_, charset_.get(), "CP936", menu_id::kViewCode);
    EXPECT_TRUE(view.linesAround(ScriptMemory::kSize).empty());
    for (uint32_t at : {0u, 1u, ScriptMemory::kCodeBase, ScriptMemory::kSize - 1}) {
        const std::vector<mes::DisassemblyLine> lines = view.linesAround(at);
        ASSERT_FALSE(lines.empty());
        EXPECT_LE(lines.size(), CodeView::kLines);
        for (const auto& line : lines) EXPECT_LT(line.address, ScriptMemory::kSize);
        machine_.instructionStart = at;
        EXPECT_FALSE(view.cells().empty());
    }
    // No character set: the view says so rather than decoding.
    CodeView without(machine_, nullptr, "CP936", menu_id::kViewCode);
    EXPECT_TRUE(without.linesAround(ScriptMemory::kCodeBase).empty());
    EXPECT_EQ(without.cells().back().text, "(no character set for the code)");
}

} // namespace
} // namespace fer
