// Seeded random programs, byte strings and damaged sources: the round trip
// holds and nothing crashes. Bounded so that it runs in seconds under ASan.

#include "MesTestSupport.h"
#include "core/InstructionTable.h"

#include <random>

namespace fer::mes::test {
namespace {

using RoundTrip = MesTest;

class ProgramGenerator {
  public:
    explicit ProgramGenerator(uint32_t seed) : rng_(seed) {}

    std::string program() {
        // Every statement has a label, so any target names a defined one.
        std::string src;
        int statements = pick(1, 25);
        labelCount_ = statements;
        for (int i = 0; i < statements; ++i) {
            src += "s" + std::to_string(i) + ": " + statement() + "\n";
        }
        return src;
    }

  private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    std::string literal() {
        static constexpr uint32_t kValues[] = {0,    1,    5,      0x7F,    0x80,
                                               0x90, 0xFE, 0xFFFF, 0x10000, 0xFFFFFFFF};
        uint32_t v = chance(50) ? kValues[pick(0, 9)] : static_cast<uint32_t>(rng_());
        std::string s = std::to_string(v);
        int form = pick(0, 3);
        if (form == 1 && (v <= 0x7F || (v >= 0x81 && v <= 0x9F) || (v >= 0xF7 && v <= 0xFE))) {
            s += ":b";
        } else if (form == 2 && v <= 0xFFFF) {
            s += ":w";
        } else if (form == 3) {
            s += ":d";
        }
        return s;
    }

    std::string expression(int depth) {
        if (depth <= 0 || chance(35)) {
            switch (pick(0, 6)) {
            case 0: return "r16[" + std::to_string(pick(0, 255)) + "]";
            case 1: return "r32[" + std::to_string(pick(0, 255)) + "]";
            case 2: return "flag[" + std::to_string(pick(0, 65535)) + "]";
            case 3: return "random(" + std::to_string(pick(0, 65535)) + ")";
            default: return literal();
            }
        }
        static constexpr const char* kOps[] = {"+", "-", "*", "/", "%",  "&&", "||", "&",
                                               "|", "^", "<", ">", "<=", ">=", "==", "!="};
        switch (pick(0, 5)) {
        case 0: return "flag(" + expression(depth - 1) + ")";
        case 1:
            return "flag[r16[" + std::to_string(pick(0, 255)) + "] + " + expression(depth - 1) +
                   "]";
        case 2: {
            static constexpr const char* kDims[] = {"dim8", "dim16", "dim32"};
            return std::string(kDims[pick(0, 2)]) + "[" + std::to_string(pick(0, 255)) + "][" +
                   expression(depth - 1) + "]";
        }
        default:
            return "(" + expression(depth - 1) + " " + kOps[pick(0, 15)] + " " +
                   expression(depth - 1) + ")";
        }
    }

    std::string valueList() {
        std::string s = expression(3);
        int more = pick(0, 3);
        for (int i = 0; i < more; ++i) {
            s += chance(70) ? ", " : ", {" + std::to_string(pick(1, 255)) + "} ";
            s += expression(2);
        }
        return s;
    }

    std::string textBody(bool doubleByte) {
        static constexpr const char* kChars[] = {"你",
                                                 "好",
                                                 "世",
                                                 "界",
                                                 "。",
                                                 "Ａ",
                                                 "ab",
                                                 "\\\"\\\\",
                                                 "\\x{A1}\\x{40}",
                                                 "\\x{01}\\x{00}"};
        std::string s = "\"";
        int n = pick(doubleByte ? 1 : 0, 6);
        for (int i = 0; i < n; ++i) {
            const int k = pick(0, doubleByte ? 9 : 6);
            // Double-byte text takes single-byte characters only as raw bytes.
            if (doubleByte && k == 6) s += "\\x{61}\\x{62}";
            else if (doubleByte && k == 7) s += "\\x{22}\\x{5C}";
            else s += kChars[k];
        }
        return s + "\"";
    }

    std::string arguments() {
        std::string s;
        int n = pick(0, 4);
        for (int i = 0; i < n; ++i) {
            s += i ? ", " : " ";
            int kind = pick(0, 5);
            if (kind == 0)
                s += textBody(false);
            else if (kind == 1)
                s += "tag(" + std::to_string(pick(3, 255)) + ")";
            else
                s += expression(2);
        }
        return s;
    }

    std::string target() { return "s" + std::to_string(pick(0, labelCount_ - 1)); }

    std::string statement() {
        switch (pick(0, 22)) {
        case 0: return "end";
        case 1: return "text " + textBody(true);
        case 2: return "stext " + textBody(false);
        case 3: return "\"世" + textBody(true).substr(1);
        case 4: return "flag[" + std::to_string(pick(0, 65535)) + "] = " + valueList();
        case 5: return "r16[" + std::to_string(pick(0, 255)) + "] = " + valueList();
        case 6: return "r32[" + std::to_string(pick(0, 255)) + "] = " + valueList();
        case 7: return "mem[" + expression(2) + "] = " + valueList();
        case 8:
            return "dim8[" + std::to_string(pick(0, 255)) + "][" + expression(2) +
                   "] = " + valueList();
        case 9: return "dim16[3][" + expression(2) + "] = " + valueList();
        case 10: return "dim32[200][" + expression(2) + "] = " + valueList();
        case 11: return (chance(50) ? "if " : "unless ") + expression(3) + " goto " + target();
        case 12: return "goto " + target();
        case 13: return std::string(commandEntry(CommandKind::kSystem, pick(0, 20))->name) + arguments();
        case 14: return "sys(" + expression(2) + ")" + arguments();
        case 15: return (chance(50) ? "change_script" : "call_script") + arguments();
        case 16: return "choice" + arguments() + " -> " + target();
        case 17: return (chance(50) ? "call" : "ext") + arguments();
        case 18: return chance(50) ? "newline" : "text_control " + std::to_string(pick(0, 255));
        case 19: return "proc " + expression(2) + " -> " + target();
        case 20: return "choose";
        case 21: return "proc " + expression(1) + " {\n text \"体\"\n}";
        default: return "choice" + arguments() + " {\n choose\n}";
        }
    }

    std::mt19937 rng_;
    int labelCount_ = 1;
};

TEST_F(RoundTrip, RandomValidProgramsDecodeFullyAndComeBackIdentical) {
    for (uint32_t seed = 1; seed <= 1500; ++seed) {
        ProgramGenerator gen(seed);
        std::string source = gen.program();
        AssemblyResult r = assemble(source);
        ASSERT_TRUE(r.ok()) << "seed " << seed << ": " << r.diagnostics[0].format() << "\n"
                            << source;
        std::string listing = disassemble(r.code);
        ASSERT_EQ(listing.find("bytes "), std::string::npos) << "seed " << seed << "\n" << listing;
        ASSERT_NO_FATAL_FAILURE(expectRoundTrip(r.code)) << "seed " << seed;
    }
}

TEST_F(RoundTrip, RandomByteStringsComeBackIdenticalInBothCharsets) {
    std::mt19937 rng(20240901);
    for (int i = 0; i < 3000; ++i) {
        size_t length = std::uniform_int_distribution<size_t>(0, 200)(rng);
        Bytes bytes(length);
        int style = i % 3;
        for (uint8_t& b : bytes) {
            uint32_t r = rng();
            // Mostly opcode-sized and expression-like bytes, so that decoding gets deep.
            if (style == 0)
                b = static_cast<uint8_t>(r);
            else if (r % 4 == 0)
                b = 0xFF;
            else if (r % 4 == 1)
                b = static_cast<uint8_t>(r % 21);
            else if (r % 4 == 2)
                b = static_cast<uint8_t>(0xE0 + r % 23);
            else
                b = static_cast<uint8_t>(r >> 8);
        }
        const char* charset = i % 2 ? "sjis" : "gb2312";
        ASSERT_NO_FATAL_FAILURE(expectRoundTrip(bytes, charset)) << "case " << i;
    }
}

TEST_F(RoundTrip, DamagedSourcesGiveDiagnosticsOrCode) {
    std::mt19937 rng(77);
    static constexpr char kNoise[] =
        "[](){},=+-*/%&|^<>:\"\\x{}0123456789abcrfg_ \n\t\xe4\xbd\xa0\xff";
    for (uint32_t seed = 1; seed <= 1500; ++seed) {
        std::string source = ProgramGenerator(seed).program();
        int edits = std::uniform_int_distribution<int>(1, 6)(rng);
        for (int e = 0; e < edits && !source.empty(); ++e) {
            size_t at = rng() % source.size();
            switch (rng() % 3) {
            case 0: source.erase(at, 1 + rng() % 4); break;
            case 1: source.insert(at, 1, kNoise[rng() % (sizeof kNoise - 1)]); break;
            default: source[at] = static_cast<char>(rng());
            }
        }
        AssemblyResult r = assemble(source, seed % 2 ? "gb2312" : "sjis");
        if (r.ok()) continue;
        EXPECT_TRUE(r.code.empty());
        for (const Diagnostic& d : r.diagnostics) {
            ASSERT_EQ(d.where.file, "main.mes");
            ASSERT_GE(d.where.line, 1);
            ASSERT_GE(d.where.column, 1);
            ASSERT_FALSE(d.message.empty());
        }
    }
}

TEST_F(RoundTrip, LongPathologicalInputsStayLinear) {
    // Every offset starts a long construct that fails only at the very end.
    Bytes texts(200000, 0x01);
    texts.push_back(0);
    Bytes lists = {3, 0, 0};
    for (int i = 0; i < 100000; ++i) lists.insert(lists.end(), {1, 1});
    Bytes leads(200000, 0xB0);
    leads.push_back(0);
    for (const Bytes* b : {&texts, &lists, &leads}) ASSERT_NO_FATAL_FAILURE(expectRoundTrip(*b));
}

} // namespace
} // namespace fer::mes::test
