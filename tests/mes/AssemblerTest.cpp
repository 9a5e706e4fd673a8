#include "MesTestSupport.h"

namespace fer::mes::test {
namespace {

using AssemblerAssignments = MesTest;
using AssemblerCommands = MesTest;
using AssemblerControlFlow = MesTest;
using AssemblerExpressions = MesTest;
using AssemblerSource = MesTest;
using AssemblerText = MesTest;

// ---- Assignments and value lists --------------------------------------------------------

TEST_F(AssemblerAssignments, EveryTargetKindHasItsOpcodeAndOperandOrder) {
    EXPECT_EQ(code("flag[5] = 32"), (Bytes{3, 5, 0, 0x20, 0xFF, 0}));
    EXPECT_EQ(code("flag[0x1234] = 1"), (Bytes{3, 0x34, 0x12, 1, 0xFF, 0}));
    EXPECT_EQ(code("r16[10] = 1, 2"), (Bytes{4, 10, 1, 0xFF, 1, 2, 0xFF, 0}));
    EXPECT_EQ(code("r32[255] = 0"), (Bytes{20, 255, 0, 0xFF, 0}));
    EXPECT_EQ(code("mem[3] = 4"), (Bytes{5, 3, 0xFF, 4, 0xFF, 0}));
    // The element index comes before the array number.
    EXPECT_EQ(code("dim8[7][2] = 1"), (Bytes{6, 2, 0xFF, 7, 1, 0xFF, 0}));
    EXPECT_EQ(code("dim16[7][2] = 1"), (Bytes{7, 2, 0xFF, 7, 1, 0xFF, 0}));
    EXPECT_EQ(code("dim32[7][2] = 1"), (Bytes{8, 2, 0xFF, 7, 1, 0xFF, 0}));
}

TEST_F(AssemblerAssignments, ExplicitContinuationBytes) {
    EXPECT_EQ(code("r16[1] = 1, {9} 2, 3"), (Bytes{4, 1, 1, 0xFF, 9, 2, 0xFF, 1, 3, 0xFF, 0}));
    EXPECT_NE(firstError("r16[1] = 1, {0} 2").find("ends the list"), std::string::npos);
    EXPECT_NE(firstError("r16[1] = 1, {256} 2").find("out of range"), std::string::npos);
}

TEST_F(AssemblerAssignments, FixedNumbersMustBeConstantsInRange) {
    EXPECT_EQ(firstError("r16[256] = 1"),
              "main.mes:1:5: first register number 256 is out of range 0..255");
    EXPECT_EQ(firstError("flag[65536] = 1"),
              "main.mes:1:6: first flag number 65536 is out of range 0..65535");
    EXPECT_EQ(firstError("flag[r16[1]] = 1"), "main.mes:1:6: first flag number must be a constant");
    EXPECT_EQ(firstError("dim8[300][0] = 1"),
              "main.mes:1:6: array number 300 is out of range 0..255");
}

// ---- Expressions ------------------------------------------------------------------------

TEST_F(AssemblerExpressions, LiteralsTakeTheShortestFormUnlessASuffixChooses) {
    EXPECT_EQ(code("r16[0] = 127"), (Bytes{4, 0, 0x7F, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 128"), (Bytes{4, 0, 0xF1, 0x80, 0, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 65535"), (Bytes{4, 0, 0xF1, 0xFF, 0xFF, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 65536"), (Bytes{4, 0, 0xF2, 0, 0, 1, 0, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 5:w"), (Bytes{4, 0, 0xF1, 5, 0, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 5:d"), (Bytes{4, 0, 0xF2, 5, 0, 0, 0, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 0x90:b"), (Bytes{4, 0, 0x90, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = -1"), (Bytes{4, 0, 0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0}));
}

TEST_F(AssemblerExpressions, SuffixesThatCannotHoldTheValueAreErrors) {
    EXPECT_NE(firstError("r16[0] = 0x80:b").find("no single byte pushes 0x80"), std::string::npos);
    EXPECT_NE(firstError("r16[0] = 0xA0:b").find("no single byte"), std::string::npos);
    EXPECT_NE(firstError("r16[0] = 0xE5:b").find("no single byte"), std::string::npos);
    EXPECT_NE(firstError("r16[0] = 0xFF:b").find("no single byte"), std::string::npos);
    EXPECT_NE(firstError("r16[0] = 0x10000:w").find(":w"), std::string::npos);
    EXPECT_EQ(code("r16[0] = 0xFE:b"), (Bytes{4, 0, 0xFE, 0xFF, 0}));
}

TEST_F(AssemblerExpressions, PrecedenceAndAssociativityFollowC) {
    // 1 + 2 * 3 -> 1 2 3 * +
    EXPECT_EQ(code("r16[0] = 1 + 2 * 3"), (Bytes{4, 0, 1, 2, 3, 0xE2, 0xE0, 0xFF, 0}));
    // 5 - 3 - 1 is (5 - 3) - 1
    EXPECT_EQ(code("r16[0] = 5 - 3 - 1"), (Bytes{4, 0, 5, 3, 0xE1, 1, 0xE1, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 5 - (3 - 1)"), (Bytes{4, 0, 5, 3, 1, 0xE1, 0xE1, 0xFF, 0}));
    // a || b && c == d | e
    EXPECT_EQ(code("r16[0] = 1 || 2 && 3 == 4 | 5"),
              (Bytes{4, 0, 1, 2, 3, 4, 0xEF, 5, 0xE9, 0xE6, 0xE7, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 1 < 2 != 3 >= 4"),
              (Bytes{4, 0, 1, 2, 0xEB, 3, 4, 0xEE, 0xF0, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = 1 ^ 2 & 3 % 4 / 5 <= 6 > 7"),
              (Bytes{4, 0, 1, 2, 3, 4, 0xE4, 5, 0xE3, 6, 0xED, 7, 0xEC, 0xE8, 0xEA, 0xFF, 0}));
}

TEST_F(AssemblerExpressions, OperandItems) {
    EXPECT_EQ(code("r16[0] = r16[3] + r32[4]"), (Bytes{4, 0, 0x80, 3, 0xF6, 4, 0xE0, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = flag[2047]"), (Bytes{4, 0, 0xF3, 0xFF, 0x07, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = flag[2 + 3]"), (Bytes{4, 0, 0xF3, 5, 0, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = flag[r16[1]]"), (Bytes{4, 0, 0x80, 1, 0xF4, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = flag(5)"), (Bytes{4, 0, 5, 0xF4, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = dim8[1][2]"), (Bytes{4, 0, 2, 0xC0, 1, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = dim16[1][2]"), (Bytes{4, 0, 2, 0xA0, 1, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = dim32[1][2]"), (Bytes{4, 0, 2, 0xF5, 1, 0xFF, 0}));
    EXPECT_EQ(code("r16[0] = random(300)"), (Bytes{4, 0, 0xE5, 0x2C, 0x01, 0xFF, 0}));
}

TEST_F(AssemblerExpressions, NamedConstantsAreLiterals) {
    EXPECT_EQ(code("const A = 200\nconst B = A * 2 + 1\nr16[0] = B"),
              (Bytes{4, 0, 0xF1, 0x91, 0x01, 0xFF, 0}));
    EXPECT_EQ(code("const A = 3\nr16[A] = -A"),
              (Bytes{4, 3, 0xF2, 0xFD, 0xFF, 0xFF, 0xFF, 0xFF, 0}));
    EXPECT_EQ(firstError("r16[0] = B"), "main.mes:1:10: unknown name 'B'");
    EXPECT_EQ(firstError("const A = 1\nconst A = 2"), "main.mes:2:7: 'A' is already defined");
    EXPECT_EQ(firstError("const wait = 1"), "main.mes:1:7: 'wait' is a keyword");
}

TEST_F(AssemblerExpressions, MalformedExpressionsAreReportedWhereTheyGoWrong) {
    EXPECT_EQ(firstError("r16[0] = (1 + 2"), "main.mes:1:16: expected ')' at the end of the line");
    EXPECT_EQ(firstError("r16[0] = 1 +"),
              "main.mes:1:13: expected an expression at the end of the line");
    EXPECT_EQ(firstError("r16[0] = -r16[1]"),
              "main.mes:1:10: '-' negates only a number or a named constant; write 0 - x");
    EXPECT_EQ(firstError("r16[0] = 4294967296"), "main.mes:1:10: number does not fit in 32 bits");
    EXPECT_EQ(firstError("r16[0] = random(r16[1])"),
              "main.mes:1:17: the range of random must be a constant");
    std::string deep = "r16[0] = " + std::string(200, '(') + "1" + std::string(200, ')');
    EXPECT_NE(firstError(deep).find("nested too deeply"), std::string::npos);
}

// ---- Control flow -----------------------------------------------------------------------

TEST_F(AssemblerControlFlow, LabelsAreFileOffsetsBackwardAndForward) {
    EXPECT_EQ(code("top:\n  goto next\nnext: unless 1 goto top"),
              (Bytes{10, 5, 0, 0, 0, 9, 1, 0xFF, 0, 0, 0, 0}));
    // "if" jumps when its condition is 1: the instruction goes on when C != 1 is 1.
    EXPECT_EQ(code("top: if r16[2] < 3 goto top"),
              (Bytes{9, 0x80, 2, 3, 0xEB, 1, 0xF0, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(code("goto 0x12345678"), (Bytes{10, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(firstError("goto nowhere"), "main.mes:1:6: label 'nowhere' is never defined");
    EXPECT_EQ(firstError("a:\na: end"), "main.mes:2:1: label 'a' is already defined at main.mes:1");
    EXPECT_EQ(firstError("if 1 end"),
              "main.mes:1:6: expected 'goto' after the condition before 'end'");
}

TEST_F(AssemblerControlFlow, BlocksSkipTheirBodyAndEndIt) {
    EXPECT_EQ(code("proc 3 {\n  choose\n}\ncall 3"),
              (Bytes{18, 3, 0xFF, 9, 0, 0, 0, 19, 0, 15, 2, 3, 0xFF, 0}));
    EXPECT_EQ(code("choice 1, \"A\" {\n}"), (Bytes{14, 2, 1, 0xFF, 1, 'A', 0, 0, 13, 0, 0, 0, 0}));
    EXPECT_EQ(code("proc 1 -> x\nx:"), (Bytes{18, 1, 0xFF, 7, 0, 0, 0}));
    EXPECT_EQ(code("choice -> 0"), (Bytes{14, 0, 0, 0, 0, 0}));
    // Nested blocks close innermost first.
    Bytes nested = code("proc 1 {\n proc 2 {\n }\n}");
    EXPECT_EQ(nested, (Bytes{18, 1, 0xFF, 16, 0, 0, 0, 18, 2, 0xFF, 15, 0, 0, 0, 0, 0}));
    EXPECT_EQ(firstError("proc 1 {\nend"), "main.mes:1:8: '{' is never closed");
    EXPECT_EQ(firstError("}"), "main.mes:1:1: '}' without an open block");
}

// ---- Commands and arguments -------------------------------------------------------------

TEST_F(AssemblerCommands, SystemCommandsByNameAndByNumber) {
    EXPECT_EQ(code("font_size"), (Bytes{11, 0, 0xFF, 0}));
    EXPECT_EQ(code("wait"), (Bytes{11, 11, 0xFF, 0}));
    EXPECT_EQ(code("wait 100"), (Bytes{11, 11, 0xFF, 2, 100, 0xFF, 0}));
    EXPECT_EQ(code("wait_click"), (Bytes{11, 20, 0xFF, 0}));
    EXPECT_EQ(code("load_image \"BG.BMP\""),
              (Bytes{11, 8, 0xFF, 1, 'B', 'G', '.', 'B', 'M', 'P', 0, 0}));
    EXPECT_EQ(code("sys(r16[1]) 5"), (Bytes{11, 0x80, 1, 0xFF, 2, 5, 0xFF, 0}));
    EXPECT_EQ(code("sys(11:w)"), (Bytes{11, 0xF1, 11, 0, 0xFF, 0}));
}

TEST_F(AssemblerCommands, ScriptsProceduresAndExternalCommands) {
    EXPECT_EQ(code("change_script \"B.MES\""), (Bytes{12, 1, 'B', '.', 'M', 'E', 'S', 0, 0}));
    EXPECT_EQ(code("call_script \"C\""), (Bytes{13, 1, 'C', 0, 0}));
    EXPECT_EQ(code("call 7, r16[2]"), (Bytes{15, 2, 7, 0xFF, 2, 0x80, 2, 0xFF, 0}));
    EXPECT_EQ(code("ext 94, 0, 16"), (Bytes{16, 2, 94, 0xFF, 2, 0, 0xFF, 2, 16, 0xFF, 0}));
    EXPECT_EQ(code("ext tag(9), tag(255)"), (Bytes{16, 9, 255, 0}));
    EXPECT_NE(firstError("ext tag(2)").find("3..255"), std::string::npos);
    EXPECT_EQ(code("newline\ntext_control 4\nchoose\nend\nreturn"),
              (Bytes{17, 0, 17, 4, 19, 0, 0}));
    EXPECT_EQ(code("bytes 1, 0xFF, 2 * 3"), (Bytes{1, 0xFF, 6}));
    EXPECT_NE(firstError("bytes 256").find("out of range"), std::string::npos);
}

// ---- Text -------------------------------------------------------------------------------

TEST_F(AssemblerText, GbTextIsConvertedAndChecked) {
    EXPECT_EQ(code("text \"你好\""), (Bytes{1, 0xC4, 0xE3, 0xBA, 0xC3, 0}));
    EXPECT_EQ(code("\"你好\""), (Bytes{0xC4, 0xE3, 0xBA, 0xC3, 0}));
    EXPECT_EQ(code("stext \"a\\\"b\\\\\""), (Bytes{2, 'a', '"', 'b', '\\', 0}));
    EXPECT_EQ(code("text \"\\x{41}\\x{0}\""), (Bytes{1, 0x41, 0x00, 0}));
    EXPECT_EQ(firstError("text \"ab\xe0\xb8\x81\""),
              "main.mes:1:9: character '\xe0\xb8\x81' (U+0E01) cannot be written in gb2312; "
              "write its bytes as \\x{HH}");
}

TEST_F(AssemblerText, DoubleByteTextMustKeepItsPairs) {
    EXPECT_NE(firstError("text \"abc\"").find("odd number of bytes (3)"), std::string::npos);
    EXPECT_NE(firstError("text \"\\x{0}a\"").find("zero byte at an even position"),
              std::string::npos);
    EXPECT_NE(firstError("stext \"\\x{0}\"").find("cannot contain a zero byte"), std::string::npos);
    EXPECT_NE(firstError("wait \"a\\x{00}\"").find("cannot contain a zero byte"),
              std::string::npos);
    EXPECT_NE(firstError("\"ab\"").find("must begin with a double-byte character"),
              std::string::npos);
}

TEST_F(AssemblerText, ShiftJisBuildUsesItsOwnCodesAndLeadBytes) {
    EXPECT_EQ(code("text \"あ\"", "sjis"), (Bytes{1, 0x82, 0xA0, 0}));
    EXPECT_EQ(code("\"あ\"", "sjis"), (Bytes{0x82, 0xA0, 0}));
    EXPECT_EQ(code("stext \"ｱ\"", "sjis"), (Bytes{2, 0xB1, 0}));
    // Half-width katakana fails the Shift-JIS lead-byte test.
    EXPECT_NE(firstError("\"ｱｲ\"", "sjis").find("double-byte character of sjis"),
              std::string::npos);
    EXPECT_NE(firstError("text \"你\"", "sjis").find("U+4F60"), std::string::npos);
}

// Half-width katakana and digits are one byte each: 'text' would draw them
// in pairs as one character. The assembler refuses them where they stand.
TEST_F(AssemblerText, DoubleByteTextRefusesSingleByteCharacters) {
    const std::string kana = firstError("text \"ｱｲｳｴｵ　123\"", "sjis");
    EXPECT_EQ(kana.rfind("main.mes:1:7: character 'ｱ' (U+FF71) is a single-byte character in sjis, "
                         "which 'text' cannot draw; use the full-width form, or 'stext' for "
                         "single-byte text",
                         0),
              0u)
        << kana;
    EXPECT_EQ(firstError("\n text \"第12章\"").rfind("main.mes:2:11: character '1'", 0), 0u);
    EXPECT_EQ(firstError("\"第12章\"").rfind("main.mes:1:5: character '1'", 0), 0u);
    // Raw bytes are the author's own pairs.
    EXPECT_EQ(code("text \"\\x{41}\\x{42}\""), (Bytes{1, 0x41, 0x42, 0}));
    EXPECT_EQ(code("stext \"ｱｲｳ 12\"", "sjis"), (Bytes{2, 0xB1, 0xB2, 0xB3, ' ', '1', '2', 0}));
}

// ---- Source files -----------------------------------------------------------------------

TEST_F(AssemblerSource, IncludeSharesNamesAndReportsInTheIncludedFile) {
    AssemblyResult ok = assemble("include \"lib/defs.mes\"\nr16[X] = 1\ngoto there", "gb2312",
                                 {{"lib/defs.mes", "const X = 4\nthere: end\n"}});
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(ok.code, (Bytes{0, 4, 4, 1, 0xFF, 0, 10, 0, 0, 0, 0}));
    EXPECT_EQ(ok.files, (std::vector<std::string>{"main.mes", "lib/defs.mes"}));
    // The debug information: each statement's first byte, the label, the register's name.
    using Info = ScriptDebugInfo;
    EXPECT_EQ(ok.debug.sources, ok.files);
    EXPECT_EQ(ok.debug.lines, (std::vector<Info::Line>{{0, 1, 2, 1}, {1, 0, 2, 1}, {6, 0, 3, 1}}));
    EXPECT_EQ(ok.debug.labels, (std::vector<Info::Label>{{0, "there"}}));
    EXPECT_EQ(ok.debug.names, (std::vector<Info::Name>{{Info::NameKind::kReg16, 4, "X"}}));
    Info back;
    std::string why;
    ASSERT_TRUE(back.parse(ok.debug.write(), why)) << why;
    EXPECT_EQ(back, ok.debug);
    EXPECT_FALSE(back.parse("mesdbg 1\nline 0 0 1 1\n", why)); // no source 0
    EXPECT_EQ(why, "line 2 is not understood");
    EXPECT_EQ(assemble("end\nproc 7 {\n}").debug.procedures, (std::vector<Info::Procedure>{{7, 8}}));

    AssemblyResult bad =
        assemble("include \"lib/a.mes\"", "gb2312",
                 {{"lib/a.mes", "end\ninclude \"b.mes\""}, {"lib/b.mes", "bogus"}});
    ASSERT_EQ(bad.diagnostics.size(), 1u);
    EXPECT_EQ(bad.diagnostics[0].format(), "lib/b.mes:1:1: unknown statement 'bogus'");
    EXPECT_TRUE(bad.code.empty());

    AssemblyResult loop = assemble("include \"main.mes\"");
    EXPECT_NE(loop.diagnostics.at(0).message.find("includes itself"), std::string::npos);
    EXPECT_EQ(firstError("include \"none.mes\""), "main.mes:1:9: cannot read 'none.mes'");
}

TEST_F(AssemblerSource, CommentsBlankLinesAndEveryErrorOfAFile) {
    EXPECT_EQ(code("// only a comment\n\n   end // trailing\r\n"), (Bytes{0}));
    AssemblyResult r = assemble("end\nr16[0] =\nbogus\nend extra\n\"unclosed\n@");
    ASSERT_EQ(r.diagnostics.size(), 5u);
    EXPECT_EQ(r.diagnostics[0].where.line, 2);
    EXPECT_EQ(r.diagnostics[1].format(), "main.mes:3:1: unknown statement 'bogus'");
    EXPECT_EQ(r.diagnostics[2].format(), "main.mes:4:5: unexpected 'extra' after the statement");
    EXPECT_EQ(r.diagnostics[3].format(), "main.mes:5:1: string is not closed on its line");
    EXPECT_EQ(r.diagnostics[4].format(), "main.mes:6:1: unexpected character '@'");
    EXPECT_TRUE(r.code.empty());
}

} // namespace
} // namespace fer::mes::test
