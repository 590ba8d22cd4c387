// The one rule for the engine's decimal-integer keys, shared by child ordering, meter paths and
// immersive layouts.
#include "core/DecimalInteger.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillmark {
namespace {

TEST(DecimalIntegerTest, OneOptionalSignAndDigitsWithinSixtyFourBits) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::string_view text;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"0", 0},
        {"22", 22},
        {"05", 5},
        {"+5", 5},
        {"-5", -5},
        {"+-5", std::nullopt},
        {"-+5", std::nullopt},
        {"++5", std::nullopt},
        {"--5", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"1a", std::nullopt},
        {"0x10", std::nullopt},
        {"1.0", std::nullopt},
        {"9223372036854775807", max},
        {"-9223372036854775808", min},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(decimalInteger(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
}  // namespace quillmark
