#include "core/JSONValue.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <limits>

namespace quillmark::testing {
namespace {

using Object = JSONValue::Object;
using Array = JSONValue::Array;

struct AccessorCase {
    const char* name;
    JSONValue value;
    std::optional<bool> boolValue;
    std::optional<double> doubleValue;
    std::optional<std::string> stringValue;
    std::optional<bool> asBool;
    std::optional<double> asDouble;
};

TEST(JSONValueTest, StrictAndLenientAccessors) {
    const std::vector<AccessorCase> cases = {
        {"true", true, true, {}, {}, true, 1.0},
        {"false", false, false, {}, {}, false, 0.0},
        {"number", -12.5, {}, -12.5, {}, true, -12.5},
        {"zero", 0.0, {}, 0.0, {}, false, 0.0},
        {"negative zero", -0.0, {}, -0.0, {}, false, -0.0},
        {"string true", "true", {}, {}, "true", {}, {}},
        {"string number", "1", {}, {}, "1", {}, {}},
        {"array", Array{1.0}, {}, {}, {}, {}, {}},
        {"object", Object{{"a", 1.0}}, {}, {}, {}, {}, {}},
        {"null", nullptr, {}, {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.value.boolValue(), c.boolValue);
        EXPECT_EQ(c.value.doubleValue(), c.doubleValue);
        EXPECT_EQ(c.value.stringValue(), c.stringValue);
        EXPECT_EQ(c.value.asBool(), c.asBool);
        EXPECT_EQ(c.value.asDouble(), c.asDouble);
    }
}

TEST(JSONValueTest, NaNReadsAsTrue) { EXPECT_EQ(JSONValue(std::numeric_limits<double>::quiet_NaN()).asBool(), true); }

TEST(JSONValueTest, BuildsFromEveryKindOfParsedDocument) {
    const auto document = nlohmann::json::parse(
        R"({"b": true, "i": 3, "u": 18446744073709551615, "f": -0.25, "s": "x", "n": null,
            "a": [1, "two", [false]], "o": {"k": {}}})");
    const JSONValue expected = Object{
        {"b", true}, {"i", 3.0},     {"u", 18446744073709551615.0},          {"f", -0.25},
        {"s", "x"},  {"n", nullptr}, {"a", Array{1.0, "two", Array{false}}}, {"o", Object{{"k", Object{}}}},
    };
    EXPECT_EQ(JSONValue::fromJSON(document), expected);
    EXPECT_EQ(JSONValue::fromJSON(nlohmann::json::parse("[]", nullptr, false)), JSONValue(Array{}));
    // A document that failed to parse is no JSON kind at all.
    EXPECT_EQ(JSONValue::fromJSON(nlohmann::json::parse("{", nullptr, false)), JSONValue());
}

TEST(JSONValueTest, EqualityIsStructural) {
    struct Case {
        const char* name;
        JSONValue a, b;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"integral and fractional spelling", 1, 1.0, true},
        {"bool is not number", true, 1.0, false},
        {"string is not number", "1", 1.0, false},
        {"null equals null", nullptr, JSONValue(), true},
        {"null is not empty object", nullptr, Object{}, false},
        {"arrays in order", Array{1, 2}, Array{1, 2}, true},
        {"arrays out of order", Array{1, 2}, Array{2, 1}, false},
        {"objects ignore key order", Object{{"a", 1}, {"b", 2}}, Object{{"b", 2}, {"a", 1}}, true},
        {"objects with another value", Object{{"a", 1}}, Object{{"a", 2}}, false},
        {"objects with another key", Object{{"a", 1}}, Object{{"b", 1}}, false},
        {"nested", Object{{"a", Array{Object{{"x", "y"}}}}}, Object{{"a", Array{Object{{"x", "y"}}}}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.a == c.b, c.equal);
        EXPECT_EQ(c.b == c.a, c.equal);
    }
}

TEST(JSONValueTest, SubscriptFindsMembersOfObjectsOnly) {
    const JSONValue object = Object{{"level", -12.0}, {"nested", Object{{"x", true}}}};
    ASSERT_NE(object["level"], nullptr);
    EXPECT_EQ(*object["level"], JSONValue(-12.0));
    EXPECT_EQ(*(*object["nested"])["x"], JSONValue(true));
    EXPECT_EQ(object["missing"], nullptr);
    const JSONValue array = Array{1.0};
    const JSONValue text = "level";
    EXPECT_EQ(array["level"], nullptr);
    EXPECT_EQ(text["level"], nullptr);
}

TEST(JSONValueTest, SubscriptedMemberOutlivesTheCopyItCameFrom) {
    const JSONValue* member = nullptr;
    JSONValue keeper;
    {
        const JSONValue original = Object{{"a", "text"}};
        keeper = original;
        member = keeper["a"];
    }
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->stringValue(), "text");
}

TEST(JSONValueTest, PrettyDescription) {
    struct Case {
        JSONValue value;
        const char* text;
    };
    const std::vector<Case> cases = {
        {true, "true"},
        {false, "false"},
        {1.0, "1"},
        {-12.5, "-12.5"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"},
        {1e21, "1e+21"},
        {"say \"hi\"\n", "\"say \"hi\"\n\""},
        {nullptr, "null"},
        {Array{}, "[]"},
        {Array{1, "a", Array{false}}, "[1, \"a\", [false]]"},
        {Object{}, "{}"},
        {Object{{"k", Object{{"v", nullptr}}}}, "{k: {v: null}}"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value.prettyDescription(), c.text);
}

TEST(JSONValueTest, PrettyDescriptionNumbersReadBackExactly) {
    for (double value : {0.1 + 0.2, 123456789.123456789, 5e-324, -1.7976931348623157e308, 2.0 / 3.0}) {
        const std::string text = JSONValue(value).prettyDescription();
        double readBack = 0;
        std::from_chars(text.data(), text.data() + text.size(), readBack);
        EXPECT_EQ(readBack, value) << text;
    }
}

}  // namespace
}  // namespace quillmark::testing
