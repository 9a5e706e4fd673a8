#include "MesTestSupport.h"

namespace fer::mes::test {
namespace {

using DisassemblerListing = MesTest;

// The statement lines of a listing, without its header and indentation.
std::vector<std::string> statements(const std::string& listing) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        std::string line = listing.substr(start, end - start);
        start = end + 1;
        if (line.rfind("//", 0) == 0) continue;
        out.push_back(line.substr(line.find_first_not_of(' ')));
    }
    return out;
}

TEST_F(DisassemblerListing, ReadableFormsOfCommonInstructions) {
    Bytes bytes = code("top:\nr16[1] = r16[2] * (3 + 4)\ntext \"你好\"\nwait 100\n"
                       "unless flag[r16[1]] == 1 goto top\nproc 2 {\n}\nend");
    EXPECT_EQ(statements(disassemble(bytes)),
              (std::vector<std::string>{"L0000:", "r16[1] = r16[2] * (3 + 4)", "text \"你好\"",
                                        "wait 100", "unless flag[r16[1]] == 1 goto L0000",
                                        "proc 2 -> L002A", "end", "L002A:", "end"}));
}

TEST_F(DisassemblerListing, LabelsKeepTheirNamesFromTheDebugInformation) {
    AssemblyResult r = assemble("top: r16[1] = 2\ngoto top");
    Disassembler d(charsetNamed("gb2312"));
    d.useNames(r.debug);
    EXPECT_EQ(statements(d.disassemble(r.code)),
              (std::vector<std::string>{"top:", "r16[1] = 2", "goto top"}));
}

TEST_F(DisassemblerListing, NonDefaultEncodingsAreSpelledExplicitly) {
    // Literals in longer forms, a flag read through 0xF4 with a constant, an odd
    // continuation byte, an odd argument tag and a system number written as 0xF1.
    Bytes bytes = {4,    0,    0xF1, 5,    0,    0xF2, 6,  0,    0,  0, 0xE0, 0x90, 0xE0,
                   0xFF, 0x42, 7,    0xF4, 0xFF, 0,    11, 0xF1, 11, 0, 0xFF, 9,    0};
    EXPECT_EQ(statements(disassemble(bytes)),
              (std::vector<std::string>{"r16[0] = 5:w + 6:d + 0x90:b, {66} flag(7)",
                                        "sys(11:w) tag(9)"}));
    expectRoundTrip(bytes);
}

TEST_F(DisassemblerListing, UnmappableTextBytesUseEscapes) {
    // 0xA1 0x40 has no GB2312 character; 0x0A is a control byte; quotes are
    // escaped; in double-byte text every single byte is an escape.
    Bytes bytes = {1, 0xA1, 0x40, 0x0A, '"', 0, 2, '\\', '@', 0};
    EXPECT_EQ(statements(disassemble(bytes)),
              (std::vector<std::string>{"text \"\\x{A1}\\x{40}\\x{0A}\\x{22}\"", "stext \"\\\\@\""}));
    expectRoundTrip(bytes);
}

TEST_F(DisassemblerListing, UndecodableBytesBecomeRawBytes) {
    // 0x15 is no opcode; 0x04 without its list is cut off by the end of the file.
    Bytes bytes = {0x15, 0x80, 0, 4, 1, 2};
    EXPECT_EQ(statements(disassemble(bytes)),
              (std::vector<std::string>{"bytes 0x15, 0x80", "end", "bytes 0x04, 0x01, 0x02"}));
    EXPECT_EQ(statements(disassemble({})), std::vector<std::string>{});
    // An expression that leaves two values is not a single value.
    expectRoundTrip({4, 0, 1, 2, 0xFF, 0});
    EXPECT_EQ(statements(disassemble({4, 0, 1, 2, 0xFF, 0}))[0].rfind("bytes", 0), 0u);
}

TEST_F(DisassemblerListing, TargetsOffInstructionBoundariesStayNumbers) {
    // goto 2 lands inside the goto itself; goto 10 is past the end; goto 5 is the end.
    Bytes bytes = {10, 2, 0, 0, 0};
    EXPECT_EQ(statements(disassemble(bytes)), (std::vector<std::string>{"goto 2"}));
    EXPECT_EQ(statements(disassemble({10, 5, 0, 0, 0})),
              (std::vector<std::string>{"goto L0005", "L0005:"}));
    // A target inside a run of raw bytes splits the run there.
    EXPECT_EQ(statements(disassemble({10, 6, 0, 0, 0, 0x15, 0x16})),
              (std::vector<std::string>{"goto L0006", "bytes 0x15", "L0006:", "bytes 0x16"}));
}

TEST_F(DisassemblerListing, ShiftJisLeadBytesDecideImplicitText) {
    Bytes bytes = {0x82, 0xA0, 0, 0xB1, 0};
    EXPECT_EQ(statements(disassemble(bytes, "sjis")),
              (std::vector<std::string>{"\"あ\"", "bytes 0xB1", "end"}));
    expectRoundTrip(bytes, "sjis");
    EXPECT_EQ(statements(disassemble({2, 0xB1, 0}, "sjis")),
              (std::vector<std::string>{"stext \"ｱ\""}));
}

} // namespace
} // namespace fer::mes::test
