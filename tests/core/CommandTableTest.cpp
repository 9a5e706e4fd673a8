#include <gtest/gtest.h>

#include <set>

#include "core/CommandTable.h"

namespace fer {
namespace {

ArgumentList numbers(std::initializer_list<uint32_t> values) {
    ArgumentList args;
    for (uint32_t v : values) {
        Argument* e = args.beginEntry();
        e->setKind(Argument::kNumber);
        e->setValue(v);
        args.endEntry();
    }
    return args;
}

TEST(CommandListing, NamesEveryCommandOnceWithAnOwner) {
    std::set<std::pair<CommandKind, uint32_t>> seen;
    std::set<std::pair<CommandKind, std::string_view>> names;
    for (const TableEntry& c : operation_table::kRows) {
        EXPECT_TRUE(names.insert({c.kind, c.name}).second) << c.name << " named twice";
        EXPECT_FALSE(c.name.empty());
    }
    for (const TableEntry& c : operation_table::kCommands) {
        EXPECT_TRUE(seen.insert({c.kind, c.number}).second) << c.number << " listed twice";
        EXPECT_FALSE(c.what.empty());
        EXPECT_NE(subsystemName(c.owner), "unknown");
        EXPECT_EQ(commandEntry(c.kind, c.number), &c);
    }
    for (uint32_t n = 0; n <= kLastSystemCommand; ++n)
        EXPECT_TRUE(seen.count({CommandKind::kSystem, n})) << n;
    for (uint32_t n = kFirstExternalCommand; n <= kLastExternalCommand; ++n)
        EXPECT_TRUE(seen.count({CommandKind::kExternal, n})) << n;
    EXPECT_EQ(commandEntry(CommandKind::kSystem, 21), nullptr);
    EXPECT_EQ(commandEntry(CommandKind::kExternal, 89), nullptr);
    EXPECT_EQ(commandEntry(CommandKind::kSystem, 12)->owner, Subsystem::kText);
    EXPECT_EQ(instructionEntry(9)->signature, "expr c, target t");
    EXPECT_EQ(instructionEntry(21), nullptr);
}

TEST(CommandTable, RunsTheRegisteredHandlerWithItsArguments) {
    CommandTable table;
    std::vector<uint32_t> got;
    ASSERT_TRUE(table.add(CommandKind::kSystem, 10, Subsystem::kGraphics,
                          [&](const ArgumentList& a) { got.push_back(a.value(1)); }));
    ASSERT_TRUE(table.add(CommandKind::kExternal, 94, Subsystem::kPalette,
                          [&](const ArgumentList& a) { got.push_back(1000 + a.value(0)); }));
    table.run(CommandKind::kSystem, 10, numbers({0, 7}));
    table.run(CommandKind::kExternal, 94, numbers({5}));
    // The same number of the other kind is another command.
    table.run(CommandKind::kExternal, 10, numbers({0, 9}));
    EXPECT_EQ(got, (std::vector<uint32_t>{7, 1005}));
}

TEST(CommandTable, RefusesOtherOwnersSecondHandlersAndUnlistedNumbers) {
    CommandTable table;
    int calls = 0;
    auto count = [&](const ArgumentList&) { ++calls; };
    EXPECT_FALSE(table.add(CommandKind::kSystem, 8, Subsystem::kText, count)); // graphics owns 8
    EXPECT_FALSE(table.has(CommandKind::kSystem, 8));
    EXPECT_TRUE(table.add(CommandKind::kSystem, 8, Subsystem::kGraphics, count));
    EXPECT_FALSE(table.add(CommandKind::kSystem, 8, Subsystem::kGraphics, count));
    EXPECT_FALSE(table.add(CommandKind::kSystem, 21, Subsystem::kScript, count));
    EXPECT_FALSE(table.add(CommandKind::kExternal, 127, Subsystem::kScript, count));
    EXPECT_FALSE(table.add(CommandKind::kExternal, 97, Subsystem::kScript, nullptr));
    table.run(CommandKind::kSystem, 8, numbers({}));
    EXPECT_EQ(calls, 1);
}

TEST(CommandTable, NumbersWithoutAHandlerDoNothing) {
    CommandTable table;
    int calls = 0;
    auto count = [&](const ArgumentList&) { ++calls; };
    ASSERT_TRUE(table.add(CommandKind::kSystem, 10, Subsystem::kGraphics, count));
    ASSERT_TRUE(table.add(CommandKind::kExternal, 94, Subsystem::kPalette, count));
    // Every other number of either kind, listed or not, reaches neither.
    for (uint32_t n = 0; n < 300; ++n) {
        if (n != 10) table.run(CommandKind::kSystem, n, numbers({1, 2, 3}));
        if (n != 94) table.run(CommandKind::kExternal, n, numbers({1, 2, 3}));
    }
    table.run(CommandKind::kSystem, 0xFFFFFFFF, numbers({}));
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace fer
