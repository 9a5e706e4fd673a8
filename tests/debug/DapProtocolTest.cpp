// The debugger's protocol reader: JSON as RFC 8259 writes it, and the
// Content-Length frames around it.

#include "debug/DapFrameReader.h"

#include <gtest/gtest.h>

namespace fer {
namespace {

TEST(JsonValue, ReadsWhatTheProtocolCarries) {
    std::string error;
    auto v = JsonValue::parse(R"( {"a": [1, -2.5e1, true, null], "s": "x\"\u00e9\ud83d\ude00\n"} )", error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ((*v)["a"].items().at(1).asNumber(), -25.0);
    EXPECT_TRUE((*v)["a"].items().at(2).asBool());
    EXPECT_EQ((*v)["s"].asString(), "x\"\xC3\xA9\xF0\x9F\x98\x80\n");
    EXPECT_EQ(JsonValue::parse(v->write(), error), v);
}

TEST(JsonValue, RefusesWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"[1,]", "not a value at byte 3"},
        {"{\"a\" 1}", "expected ':' at byte 5"},
        {"\"\\ud800\"", "a lone surrogate at byte 7"},
        {"[1] 2", "text after the value at byte 4"},
        {"-x", "not a value at byte 1"},
    };
    for (const auto& [text, why] : cases) {
        std::string error;
        EXPECT_FALSE(JsonValue::parse(text, error)) << text;
        EXPECT_EQ(error, why) << text;
    }
    std::string deep(JsonValue::kMaxDepth + 2, '[');
    std::string error;
    EXPECT_FALSE(JsonValue::parse(deep, error));
    EXPECT_EQ(error.substr(0, 17), "nested too deeply");
}

TEST(DapFrameReader, CutsFramesAsTheyArrive) {
    DapFrameReader reader;
    std::string error;
    reader.feed("Content-Length: 8\r\n\r\n{\"a\":1}");
    EXPECT_FALSE(reader.next(error)); // one byte short
    reader.feed(" Content-Length: 2\r\n\r\n[]Content-Length: 2\r\n\r\n{}");
    EXPECT_EQ((*reader.next(error))["a"].asNumber(), 1.0);
    EXPECT_FALSE(reader.next(error)); // an array is no message
    EXPECT_EQ(error, "a message that is not an object");
    EXPECT_TRUE(reader.next(error)->isObject());
    reader.feed("Content-Type: x\r\n\r\n");
    EXPECT_FALSE(reader.next(error));
    EXPECT_TRUE(reader.broken());
    EXPECT_EQ(error, "a message header without Content-Length");
}

} // namespace
} // namespace fer
