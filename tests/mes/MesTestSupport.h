#pragma once
// Shared helpers of the MES toolchain tests.

#include "Assembler.h"
#include "script/Charset.h"
#include "Disassembler.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fer::mes::test {

using Bytes = std::vector<uint8_t>;

// Each test owns its converters; helpers take the charset by name.
class MesTest : public ::testing::Test {
  protected:
    Charset& charsetNamed(const std::string& name) {
        auto& slot = name == "sjis" ? sjis_ : gb2312_;
        if (!slot) slot = Charset::open(name);
        if (!slot) ADD_FAILURE() << "charset " << name << " is not available";
        return *slot;
    }

    AssemblyResult assemble(const std::string& source, const std::string& charset = "gb2312",
                            std::map<std::string, std::string> files = {}) {
        Assembler assembler(charsetNamed(charset), memorySourceLoader(std::move(files)));
        return assembler.assembleText("main.mes", source);
    }

    Bytes code(const std::string& source, const std::string& charset = "gb2312") {
        AssemblyResult r = assemble(source, charset);
        for (const Diagnostic& d : r.diagnostics) ADD_FAILURE() << d.format();
        return r.code;
    }

    std::string firstError(const std::string& source, const std::string& charset = "gb2312") {
        AssemblyResult r = assemble(source, charset);
        EXPECT_TRUE(r.code.empty());
        return r.diagnostics.empty() ? std::string("<no error>") : r.diagnostics.front().format();
    }

    std::string disassemble(const Bytes& bytes, const std::string& charset = "gb2312") {
        Disassembler d(charsetNamed(charset));
        return d.disassemble(bytes);
    }

    // mesasm(mesdis(bytes)) must give the bytes back.
    void expectRoundTrip(const Bytes& bytes, const std::string& charset = "gb2312") {
        std::string source = disassemble(bytes, charset);
        AssemblyResult r = assemble(source, charset);
        ASSERT_TRUE(r.ok()) << r.diagnostics.front().format() << "\n" << source;
        ASSERT_EQ(r.code, bytes) << source;
    }

  private:
    std::unique_ptr<Charset> gb2312_;
    std::unique_ptr<Charset> sjis_;
};

} // namespace fer::mes::test
