// The debug monitor's view of the code in script memory.

#include "script/MemoryDisassembly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <random>

#include "Assembler.h"
#include "script/Charset.h"

namespace fer::mes {
namespace {

class MemoryDisassemblyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        charset_ = Charset::open("gb2312");
        ASSERT_NE(charset_, nullptr);
    }

    std::vector<uint8_t> assemble(const std::string& source) {
        Assembler assembler(*charset_, memorySourceLoader({}));
        AssemblyResult result = assembler.assembleText("monitor.mes", source);
        for (const Diagnostic& d : result.diagnostics) ADD_FAILURE() << d.format();
        return result.code;
    }

    static std::vector<std::string> texts(const std::vector<DisassemblyLine>& lines) {
        std::vector<std::string> out;
        for (const DisassemblyLine& l : lines) out.push_back(l.text);
        return out;
    }

    std::unique_ptr<Charset> charset_;
    ScriptMemory memory_;
};

TEST_F(MemoryDisassemblyTest, ListsTheInstructionsOfLoadedCodeWithTheirAddresses) {
    const std::vector<uint8_t> code =
        assemble("top:\nr16[1] = r16[2] * (3 + 4)\ntext \"你好\"\nwait 100\n"
                 "unless flag[r16[1]] == 1 goto top\nend");
    ASSERT_FALSE(code.empty());
    std::copy(code.begin(), code.end(), memory_.bytes().begin() + ScriptMemory::kCodeBase);
    memory_.setByte(ScriptMemory::kCodeBase + code.size(), 0x15); // no opcode

    auto lines = disassembleMemory(memory_, ScriptMemory::kCodeBase, 6, *charset_);
    EXPECT_EQ(texts(lines),
              (std::vector<std::string>{"r16[1] = r16[2] * (3 + 4)", "text \"你好\"", "wait 100",
                                        "unless flag[r16[1]] == 1 goto 0", "end", "bytes 0x15"}));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].address, ScriptMemory::kCodeBase);
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].address, lines[i - 1].address + lines[i - 1].size) << i;
    }
    EXPECT_EQ(lines[5].address, ScriptMemory::kCodeBase + code.size());
    EXPECT_EQ(lines[5].size, 1u);

    // From the third line's address on, two lines only.
    auto tail = disassembleMemory(memory_, lines[2].address, 2, *charset_);
    EXPECT_EQ(texts(tail),
              (std::vector<std::string>{"wait 100", "unless flag[r16[1]] == 1 goto 0"}));
    EXPECT_EQ(tail[0].address, lines[2].address);
}

TEST_F(MemoryDisassemblyTest, StopsAtTheEndOfTheMemory) {
    // An assignment whose value list would run past the last byte.
    memory_.setByte(ScriptMemory::kSize - 2, 0x04);
    memory_.setByte(ScriptMemory::kSize - 1, 0x01);
    auto lines = disassembleMemory(memory_, ScriptMemory::kSize - 2, 10, *charset_);
    EXPECT_EQ(texts(lines), (std::vector<std::string>{"bytes 0x04", "bytes 0x01"}));
    EXPECT_TRUE(disassembleMemory(memory_, ScriptMemory::kSize, 10, *charset_).empty());
    EXPECT_TRUE(disassembleMemory(memory_, 0xFFFFFFFF, 10, *charset_).empty());
    EXPECT_TRUE(disassembleMemory(memory_, 0x1000, 0, *charset_).empty());
}

TEST_F(MemoryDisassemblyTest, RandomBytesStayInsideTheMemoryAndTheWindow) {
    std::mt19937 rng(20240611);
    for (uint8_t& b : memory_.bytes()) b = static_cast<uint8_t>(rng());
    std::uniform_int_distribution<uint32_t> anywhere(0, ScriptMemory::kSize - 1);
    std::uniform_int_distribution<uint32_t> nearEnd(ScriptMemory::kSize - 600,
                                                    ScriptMemory::kSize - 1);
    for (int round = 0; round < 120; ++round) {
        const uint32_t address = round % 2 ? anywhere(rng) : nearEnd(rng);
        const size_t count = round % 3 == 0 ? std::numeric_limits<size_t>::max() : 50;
        auto lines = disassembleMemory(memory_, address, count, *charset_);
        ASSERT_FALSE(lines.empty());
        ASSERT_LE(lines.size(), std::min<size_t>(count, kDisassemblyWindow));
        uint64_t next = address;
        for (const DisassemblyLine& l : lines) {
            ASSERT_EQ(l.address, next);
            ASSERT_GE(l.size, 1u);
            ASSERT_FALSE(l.text.empty());
            next += l.size;
        }
        ASSERT_LE(next, ScriptMemory::kSize);
        ASSERT_LE(next - address, kDisassemblyWindow);
        // Without a line limit the whole window, or the rest of the memory, is covered.
        if (count == std::numeric_limits<size_t>::max()) {
            ASSERT_EQ(next, std::min<uint64_t>(uint64_t{address} + kDisassemblyWindow,
                                               ScriptMemory::kSize));
        }
    }
}

} // namespace
} // namespace fer::mes
