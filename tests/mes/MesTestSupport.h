#pragma once
// Shared helpers of the MES toolchain tests.

#include "Assembler.h"
#include "Charset.h"
#include "Disassembler.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fer::mes::test {

using Bytes = std::vector<uint8_t>;

inline Charset& charsetNamed(const std::string& name) {
    // One converter per test thread and name; each test body uses it alone.
    thread_local std::map<std::string, std::unique_ptr<Charset>> open;
    auto& slot = open[name];
    if (!slot) slot = Charset::open(name);
    if (!slot) ADD_FAILURE() << "charset " << name << " is not available";
    return *slot;
}

inline AssemblyResult assemble(const std::string& source, const std::string& charset = "gb2312",
                               std::map<std::string, std::string> files = {}) {
    Assembler assembler(charsetNamed(charset), memorySourceLoader(std::move(files)));
    return assembler.assembleText("main.mes", source);
}

inline Bytes code(const std::string& source, const std::string& charset = "gb2312") {
    AssemblyResult r = assemble(source, charset);
    for (const Diagnostic& d : r.diagnostics) ADD_FAILURE() << d.format();
    return r.code;
}

inline std::string firstError(const std::string& source, const std::string& charset = "gb2312") {
    AssemblyResult r = assemble(source, charset);
    EXPECT_TRUE(r.code.empty());
    return r.diagnostics.empty() ? std::string("<no error>") : r.diagnostics.front().format();
}

inline std::string disassemble(const Bytes& bytes, const std::string& charset = "gb2312") {
    Disassembler d(charsetNamed(charset));
    return d.disassemble(bytes);
}

// mesasm(mesdis(bytes)) must give the bytes back.
inline void expectRoundTrip(const Bytes& bytes, const std::string& charset = "gb2312") {
    std::string source = disassemble(bytes, charset);
    AssemblyResult r = assemble(source, charset);
    ASSERT_TRUE(r.ok()) << r.diagnostics.front().format() << "\n" << source;
    ASSERT_EQ(r.code, bytes) << source;
}

} // namespace fer::mes::test
