// The order of release versions, as appcast publishers number them.
#include "platform/updater/VersionComparator.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

struct Ordered {
    const char* older;
    const char* newer;
};

TEST(VersionComparatorTest, OrdersVersionsByTheAppcastRules) {
    const Ordered table[] = {
        {"1.0", "1.1"},
        {"1.9", "1.10"},
        {"1.0", "1.0.1"},
        {"1.0b2", "1.0"},
        {"1.0a1", "1.0b1"},
        {"1.0b1", "1.0b2"},
        {"1.0b9", "1.0b10"},
        {"1.0rc1", "1.0"},
        {"1.0", "1.0.0.1"},
        {"2", "10"},
        {"0.9.9", "1"},
        {"1.0b2", "1.0.1"},
        {"99999999999999999999", "100000000000000000000"},
        {"1.2.3", "1.2.4"},
        {"41", "42"},
    };
    for (const auto& [older, newer] : table) {
        EXPECT_LT(VersionComparator::compare(older, newer), 0) << older << " < " << newer;
        EXPECT_GT(VersionComparator::compare(newer, older), 0) << newer << " > " << older;
    }
}

TEST(VersionComparatorTest, EqualVersionsCompareEqual) {
    const Ordered table[] = {{"1.0", "1.0"}, {"1.01", "1.1"}, {"1.0b2", "1.0b2"}, {"", ""}, {"007", "7"}};
    for (const auto& [a, b] : table) EXPECT_EQ(VersionComparator::compare(a, b), 0) << a << " == " << b;
}

}  // namespace
}  // namespace quillmark::testing
