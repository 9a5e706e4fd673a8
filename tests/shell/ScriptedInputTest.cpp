#include <gtest/gtest.h>

#include "platform/ScriptedInput.h"

namespace fer {
namespace {

TEST(ScriptedInput, ParsesEveryEventKindInTimeOrder) {
    ScriptedInput in;
    std::string error;
    ASSERT_TRUE(in.parse("# a comment\n"
                         "500 press enter\r\n"
                         "100 mouse 320 200   # trailing comment\n"
                         "\n"
                         "200 down lbutton\n"
                         "250 up lbutton\n"
                         "300 menu 40017\n"
                         "400 drop some dir/NEXT.MES\n"
                         "600 deactivate\n"
                         "700 activate\n"
                         "900 close\n"
                         "950 wheel down\n"
                         "960 history\n",
                         error))
        << error;
    const auto& e = in.events();
    ASSERT_EQ(e.size(), 12u);
    using T = PlatformEvent::Type;
    EXPECT_EQ(e[0].at, 100u);
    EXPECT_EQ(e[0].event.type, T::kMouseMove);
    EXPECT_EQ(e[0].event.x, 320);
    EXPECT_EQ(e[1].event.code, 0x201);
    EXPECT_EQ(e[2].event.code, 0x202);
    EXPECT_EQ(e[3].event.code, 40017);
    EXPECT_EQ(e[4].event.text, "some dir/NEXT.MES");
    EXPECT_EQ(e[5].at, 500u);
    EXPECT_EQ(e[5].event.type, T::kKeyDown);
    EXPECT_EQ(e[5].event.code, 13);
    EXPECT_EQ(e[6].at, 560u); // press: up 60 ms later
    EXPECT_EQ(e[6].event.type, T::kKeyUp);
    EXPECT_EQ(e[9].event.type, T::kClose);
    EXPECT_EQ(e[10].event.type, T::kWheel);
    EXPECT_EQ(e[10].event.code, -1);
    EXPECT_EQ(e[11].event.type, T::kWheel); // the history: as the wheel turned up
    EXPECT_EQ(e[11].event.code, 1);
    EXPECT_FALSE(in.parse("10 wheel left\n", error));
}

TEST(ScriptedInput, PageKeysAndTypedText) {
    ScriptedInput in;
    std::string error;
    ASSERT_TRUE(in.parse("10 press pgup\n20 down pgdn\n30 type 1024  \n40 type a b\n", error))
        << error;
    const auto& e = in.events();
    ASSERT_EQ(e.size(), 5u);
    using T = PlatformEvent::Type;
    EXPECT_EQ(e[0].event.code, 33);
    EXPECT_EQ(e[1].event.type, T::kKeyDown);
    EXPECT_EQ(e[1].event.code, 34);
    EXPECT_EQ(e[2].event.type, T::kText);
    EXPECT_EQ(e[2].event.text, "1024"); // trailing blanks are not typed
    EXPECT_EQ(e[3].event.text, "a b");
    EXPECT_EQ(e[4].event.type, T::kKeyUp); // the release of Page Up, 60 ms later
    EXPECT_EQ(e[4].event.code, 33);
    EXPECT_FALSE(in.parse("10 type\n", error));
    EXPECT_EQ(error, "line 1: expected 'type TEXT'");
}

TEST(ScriptedInput, ReportsTheLineOfAMistake) {
    const char* bad[] = {"10 press f1",
                         "x press enter",
                         "10",
                         "10 mouse 1",
                         "10 jump",
                         "10 close now",
                         "-5 close",
                         "9223372036854775807 close",
                         "2147483648 press enter",
                         "99999999999999999999 close",
                         "10 mouse 99999999999 0",
                         "10 mouse 0 -99999999999",
                         "10 mouse 32768 0",
                         "10 menu 4294977296",
                         "10 menu -1"};
    for (const char* text : bad) {
        ScriptedInput in;
        std::string error;
        EXPECT_FALSE(in.parse(std::string("# ok\n") + text, error)) << text;
        EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
        EXPECT_TRUE(in.events().empty());
    }
}

TEST(ScriptedInput, NumbersAtTheEndsOfTheirRangesAreKept) {
    ScriptedInput in;
    std::string error;
    ASSERT_TRUE(in.parse("2147483647 mouse -32768 32767\n0 menu 65535\n", error)) << error;
    ASSERT_EQ(in.events().size(), 2u);
    EXPECT_EQ(in.events()[1].at, 2147483647u);
    EXPECT_EQ(in.events()[1].event.x, -32768);
    EXPECT_EQ(in.events()[1].event.y, 32767);
    EXPECT_EQ(in.events()[0].event.code, 65535);
}

} // namespace
} // namespace fer
