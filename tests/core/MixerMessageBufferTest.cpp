#include "core/MixerMessageBuffer.h"
#include "core/MixerMessageDecoder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cstdint>
#include <random>

namespace quillmark::testing {
namespace {

using namespace std::string_literals;
using Object = JSONValue::Object;

std::vector<std::string> split(MixerMessageBuffer& buffer, const std::vector<std::string>& reads) {
    std::vector<std::string> messages;
    for (const auto& read : reads) buffer.ingest(read, [&](std::string_view m) { messages.emplace_back(m); });
    return messages;
}

TEST(MixerMessageBufferTest, SplitsAtNulWhateverTheReadBoundaries) {
    struct Case {
        const char* name;
        std::vector<std::string> reads;
        std::vector<std::string> messages;
        std::size_t pending;
    };
    const std::vector<Case> cases = {
        {"two in one read", {"a\0b\0"s}, {"a", "b"}, 0},
        {"one over three reads", {"ab", "cd", "e\0"s}, {"abcde"}, 0},
        {"empty between nuls", {"a\0\0b\0"s}, {"a", "", "b"}, 0},
        {"tail kept", {"a\0bc"s}, {"a"}, 2},
        {"tail finished by the next read", {"a\0bc"s, "d\0e\0"s}, {"a", "bcd", "e"}, 0},
        {"nul alone ends pending", {"abc", "\0"s}, {"abc"}, 0},
        {"empty reads", {"", "a", "", "\0"s}, {"a"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MixerMessageBuffer buffer;
        EXPECT_EQ(split(buffer, c.reads), c.messages);
        EXPECT_EQ(buffer.pendingBytes(), c.pending);
    }
}

TEST(MixerMessageBufferTest, DiscardsUnterminatedDataAboveTheCap) {
    const std::size_t cap = MixerMessageBuffer::maximumUnterminatedBytes;
    {
        MixerMessageBuffer buffer;
        EXPECT_TRUE(split(buffer, {std::string(cap, 'x')}).empty());
        EXPECT_EQ(buffer.pendingBytes(), cap);  // at the cap is still kept
    }
    {
        // Growing past the cap over several reads, then the rest of that message and a valid one.
        MixerMessageBuffer buffer;
        EXPECT_TRUE(split(buffer, {std::string(cap - 1, 'x'), "yy"}).empty());
        EXPECT_EQ(buffer.pendingBytes(), 0u);
        EXPECT_EQ(split(buffer, {"zz\0ok\0"s}), (std::vector<std::string>{"zz", "ok"}));
    }
    {
        // Past the cap within one read, after a complete message.
        MixerMessageBuffer buffer;
        EXPECT_EQ(split(buffer, {"first\0"s + std::string(cap + 1, 'x')}), (std::vector<std::string>{"first"}));
        EXPECT_EQ(buffer.pendingBytes(), 0u);
    }
}

JSONValue nested(std::size_t depth) {
    JSONValue value = JSONValue::Array{};
    for (std::size_t level = 1; level < depth; ++level) value = JSONValue::Array{value};
    return value;
}

TEST(MixerMessageDecoderTest, DecodesObjectsWithAStringPath) {
    struct Case {
        const char* name;
        std::string message;
        std::optional<MixerFrame> frame;
    };
    const std::vector<Case> cases = {
        {"path and data", R"({"path":"/a/value","data":-12.5})", MixerFrame{"/a/value", -12.5}},
        {"no data is null", R"({"path":"/a"})", MixerFrame{"/a", nullptr}},
        {"other members ignored", R"({"x":1,"path":"/a","data":{"children":{}}})",
         MixerFrame{"/a", Object{{"children", Object{}}}}},
        {"empty", "", std::nullopt},
        {"not json", "{path", std::nullopt},
        {"empty object", "{}", std::nullopt},
        {"no path", R"({"data":1})", std::nullopt},
        {"path not a string", R"({"path":1,"data":1})", std::nullopt},
        {"array", R"([{"path":"/a"}])", std::nullopt},
        {"bare string", R"("/a")", std::nullopt},
        {"bare number", "1", std::nullopt},
        {"trailing garbage", R"({"path":"/a"} x)", std::nullopt},
        {"invalid utf-8", "{\"path\":\"/\xff\"}", std::nullopt},
        {"nested to the limit",
         R"({"path":"/a","data":)" + std::string(MixerMessageDecoder::maximumDataDepth, '[') +
             std::string(MixerMessageDecoder::maximumDataDepth, ']') + "}",
         MixerFrame{"/a", nested(MixerMessageDecoder::maximumDataDepth)}},
        // Far deeper than any stack could convert recursively.
        {"nested too deep", R"({"path":"/a","data":)" + std::string(1'000'000, '[') + std::string(1'000'000, ']') + "}",
         std::nullopt},
        {"refusal gives no frame", R"({"path":"/a/value","error":true,"data":0})", std::nullopt},
        {"error false is a report", R"({"path":"/a/value","error":false,"data":0})", MixerFrame{"/a/value", 0.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MixerMessageDecoder::decode(c.message), c.frame);
    }
}

TEST(MixerMessageDecoderTest, TellsRefusalsFromReportsByTheirErrorMember) {
    struct Case {
        const char* error;  // the member's JSON, or nothing for no member
        bool refusal;
    };
    const std::vector<Case> cases = {
        {nullptr, false}, {"true", true},  {"false", false},  {"1", true},           {"-0.5", true},
        {"0", false},     {"null", false}, {"[true]", false}, {R"({"a":1})", false},
    };
    for (const auto& c : cases) {
        const std::string error = c.error ? std::string(R"(,"error":)") + c.error : std::string();
        SCOPED_TRACE(error);
        const auto decoded = MixerMessageDecoder::decodeMessage(R"({"path":"/a","data":-3)" + error + "}");
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->frame, (MixerFrame{"/a", -3.0}));
        EXPECT_EQ(decoded->isRefusal, c.refusal);
    }
    // The error member is not depth-checked as data is: a deep one must not be converted at all.
    const std::string deep = std::string(1'000'000, '[') + std::string(1'000'000, ']');
    const auto decoded = MixerMessageDecoder::decodeMessage(R"({"path":"/a","error":)" + deep + "}");
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->isRefusal);
}

// What the general parser makes of a report, read straight from its document.
std::optional<MixerFrame> parsedByTheDocument(const std::string& message) {
    const nlohmann::json document = nlohmann::json::parse(message, nullptr, false);
    if (!document.is_object() || document.empty()) return std::nullopt;
    const auto path = document.find("path");
    if (path == document.end() || !path->is_string()) return std::nullopt;
    const auto data = document.find("data");
    return MixerFrame{path->get<std::string>(), data == document.end() ? JSONValue() : JSONValue::fromJSON(*data)};
}

// Equal, and numbers equal to the bit (so that -0 and 0 differ).
void expectSameDecoding(const std::string& message) {
    SCOPED_TRACE(message);
    const std::optional<MixerFrame> expected = parsedByTheDocument(message);
    const std::optional<MixerFrame> decoded = MixerMessageDecoder::decode(message);
    ASSERT_EQ(decoded.has_value(), expected.has_value());
    if (!expected) return;
    EXPECT_EQ(decoded->path, expected->path);
    const auto number = decoded->data.doubleValue(), expectedNumber = expected->data.doubleValue();
    if (number && expectedNumber) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*number), std::bit_cast<std::uint64_t>(*expectedNumber));
    } else {
        EXPECT_EQ(decoded->data, expected->data);
    }
}

// Everyday reports are read without building a document; whatever their form, they must decode as
// the document reads them.
TEST(MixerMessageDecoderTest, PlainReportsDecodeExactlyAsTheGeneralParserReadsThem) {
    const std::vector<std::string> data = {"0",
                                           "-0",
                                           "0.0",
                                           "-0.0",
                                           "1",
                                           "-1",
                                           "12",
                                           "-12.5",
                                           "1e3",
                                           "1E+3",
                                           "1e-3",
                                           "-29.883743497776145",
                                           "9223372036854775807",
                                           "9223372036854775808",
                                           "-9223372036854775808",
                                           "-9223372036854775809",
                                           "18446744073709551615",
                                           "18446744073709551616",
                                           "123456789012345678901234567890",
                                           "1e308",
                                           "1e309",
                                           "-1e400",
                                           "4.9e-324",
                                           "1e-400",
                                           "0.1",
                                           "true",
                                           "false",
                                           "null",
                                           "01",
                                           "-",
                                           "+1",
                                           "1.",
                                           ".5",
                                           "1e",
                                           "1e+",
                                           "-01",
                                           "NaN",
                                           "Infinity",
                                           "0x10",
                                           "1.5.2",
                                           "--1",
                                           "tru",
                                           "nul",
                                           "\"x\"",
                                           "[1]",
                                           "{}",
                                           " 1",
                                           "1 "};
    const std::vector<std::string> paths = {"/a",         "/devices/0/outputs/22/meters/3/MeterLevel/value",
                                            "",           "/a b",
                                            R"(/\u00e9)", R"(/\/x)",
                                            "/\xc3\xa9",  "/\xff",
                                            "/\t",        R"(a\"b)",
                                            "/~"};
    for (const std::string& value : data) {
        for (const std::string& path : paths) {
            const std::string pathMember = R"("path":")" + path + "\"";
            const std::string dataMember = R"("data":)" + value;
            expectSameDecoding("{" + dataMember + "," + pathMember + "}");
            expectSameDecoding("{" + pathMember + "," + dataMember + "}");
        }
        expectSameDecoding(R"({"data":)" + value + R"(,"path":"/a"}})");
        expectSameDecoding(R"({"data":)" + value + R"(,"path":"/a",})");
        expectSameDecoding(R"({"data":)" + value + R"(,"path":"/a","x":1})");
        expectSameDecoding(R"({"data":)" + value + R"(,"data":2,"path":"/a"})");
        expectSameDecoding(R"({"path":"/a","path":"/b","data":)" + value + "}");
        expectSameDecoding(R"( {"data":)" + value + R"(, "path":"/a"} )");
        expectSameDecoding(R"({"data":)" + value + "}");
        expectSameDecoding(R"({"path":"/a"})");
    }
    // Numbers of every shape, well formed or not.
    std::mt19937 random(7);
    const std::string alphabet = "0123456789-+.eE";
    for (int i = 0; i < 5000; ++i) {
        std::string value(std::uniform_int_distribution<std::size_t>(1, 24)(random), '0');
        for (char& c : value) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        expectSameDecoding(R"({"data":)" + value + R"(,"path":"/a"})");
    }
}

}  // namespace
}  // namespace quillmark::testing
