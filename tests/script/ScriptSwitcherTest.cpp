#include <gtest/gtest.h>

#include "ScriptRig.h"
#include "script/ScriptMessages.h"

namespace fer::test {
namespace {

Bytes change(const std::string& name) {
    return cat({{0x0C}, argText(name), {0}});
}
Bytes callMes(const std::string& name) {
    return cat({{0x0D}, argText(name), {0}});
}

TEST(ScriptSwitcher, CallRunsTheCalleeAndResumesTheCaller) {
    ScriptRig rig;
    const Bytes caller = cat({setReg16(100, 1), callMes("SUB.MES"), setReg16(101, 1), {0}});
    rig.host.scripts["MAIN.MES"] = caller;
    // The callee scribbles over the code area; the caller is reloaded afterwards.
    rig.host.scripts["SUB.MES"] = cat({setReg16(102, 1), {0x05}, num(0x1000), num(0xEE), {0}, {0}});
    rig.machine.memory.setScriptName("MAIN.MES");
    rig.run(caller);
    const ScriptMemory& m = rig.machine.memory;
    EXPECT_EQ(m.reg16(100) + m.reg16(101) + m.reg16(102), 3);
    EXPECT_EQ(m.scriptName(), "MAIN.MES");
    EXPECT_EQ(rig.host.fileNames[0], "MAIN.MES");
    EXPECT_EQ(rig.host.loads, (std::vector<std::string>{"SUB.MES", "MAIN.MES"}));
    EXPECT_EQ(rig.host.log, (std::vector<std::string>{"COM_CALLMES", "SUB.MES"}));
    EXPECT_EQ(rig.machine.depth, 0);
}

TEST(ScriptSwitcher, ChangeInsideACalledScriptReplacesTheCaller) {
    ScriptRig rig;
    const Bytes caller = cat({callMes("SUB.MES"), setReg16(101, 1), {0}});
    rig.host.scripts["MAIN.MES"] = caller;
    rig.host.scripts["SUB.MES"] = cat({change("NEXT.MES"), setReg16(102, 1), {0}});
    // The new script records the depth it runs at through machine-block word... none:
    // it sets a register and ends.
    rig.host.scripts["NEXT.MES"] = cat({setReg16(103, 1), {0}});
    rig.machine.memory.setScriptName("MAIN.MES");
    int depthSeen = -1;
    rig.host.onPump = [&](uint64_t) {
        if (rig.machine.memory.scriptName() == "NEXT.MES" && depthSeen < 0 &&
            !(rig.machine.memory.controlWord() & control::kChangePending))
            depthSeen = rig.machine.depth;
    };
    rig.run(caller);
    const ScriptMemory& m = rig.machine.memory;
    EXPECT_EQ(m.reg16(101), 0);
    EXPECT_EQ(m.reg16(102), 0);
    EXPECT_EQ(m.reg16(103), 1);
    EXPECT_EQ(depthSeen, 1);
    EXPECT_EQ(m.scriptName(), "NEXT.MES");
}

TEST(ScriptSwitcher, CallFromAProcedureReturnsWithCodeBase0x1000) {
    ScriptRig rig;
    // The procedure is run from code at 0x9000 (so its base is 0x9000) and calls a script.
    rig.host.scripts["SUB.MES"] = cat({{0}});
    rig.load(
        cat({{0x12}, num(4), u32(0), callMes("SUB.MES"), {0x14, 50, 0x0D, 0xF5, 36, 0xFF, 0}, {0}}),
        0x9000);
    // Fix the skip target: the body runs from right after the definition to the end.
    const uint32_t headSize = 1 + 2 + 4;
    const uint32_t bodySize = static_cast<uint32_t>(callMes("SUB.MES").size() + 7 + 1);
    rig.machine.memory.setDword(0x9000 + 3, headSize + bodySize);
    rig.machine.memory.setByte(0x9000 + headSize + bodySize, 0);
    const Bytes main = cat({sys(13, argNum(0x9000)), callProc(4), {0}});
    rig.host.scripts["MAIN.MES"] = main;
    rig.machine.memory.setScriptName("MAIN.MES");
    rig.run(main);
    EXPECT_TRUE(rig.host.fatals.empty());
    EXPECT_EQ(rig.machine.memory.reg32(50), 0x1000u);
}

TEST(ScriptSwitcher, LongNamesAreRestoredInFullAndNeverOverrun) {
    ScriptRig rig;
    const std::string longName(127, 'L');
    const Bytes caller = cat({callMes("SUB.MES"), setReg16(101, 1), {0}});
    rig.host.scripts[longName] = caller;
    rig.host.scripts["SUB.MES"] = {0};
    rig.machine.memory.setScriptName(longName);
    rig.machine.memory.setFlag(0, 9);
    rig.run(caller);
    EXPECT_EQ(rig.machine.memory.scriptName(), longName);
    EXPECT_EQ(rig.machine.memory.reg16(101), 1);

    // A text argument holds at most 26 bytes, so a name from a script is short;
    // the menu can hand over longer ones.
    rig.interpreter.switcher().switchTo(std::string(300, 'N'));
    EXPECT_EQ(rig.machine.memory.scriptName().size(), 127u);
    EXPECT_EQ(rig.machine.memory.flag(0), 9);
    EXPECT_EQ(rig.host.state, 3);
    EXPECT_TRUE(rig.machine.memory.controlWord() & control::kChangePending);
}

TEST(ScriptSwitcher, EmptyArgumentListsAreFatal) {
    ScriptRig rig;
    rig.run({0x0C, 0x00, 0x00});
    ASSERT_EQ(rig.host.fatals.size(), 1u);
    EXPECT_EQ(rig.host.fatals[0].first, script_text::kChangeErrorTitle);
    EXPECT_EQ(rig.host.fatals[0].second, script_text::kBadArgumentsText);
    ScriptRig call;
    call.run({0x0D, 0x00, 0x00});
    ASSERT_EQ(call.host.fatals.size(), 1u);
    EXPECT_EQ(call.host.fatals[0].first, script_text::kCallMesErrorTitle);
}

TEST(ScriptSwitcher, ChangeInAChoiceHandlerEndsTheChoice) {
    ScriptRig rig;
    rig.host.scripts["NEXT.MES"] = cat({setReg16(103, 1), {0}});
    const Bytes body = cat({change("NEXT.MES"), {0}});
    const Bytes head = cat({{0x12}, num(38), u32(0)});
    const uint32_t end = static_cast<uint32_t>(head.size() + body.size());
    rig.run(cat({{0x12}, num(38), u32(end), body, {0x13}, setReg16(104, 1), {0}}));
    EXPECT_EQ(rig.machine.memory.reg16(103), 1);
    EXPECT_EQ(rig.machine.memory.reg16(104), 0);
    EXPECT_LT(rig.host.pumps, 100u);
}

} // namespace
} // namespace fer::test
