#include "app/ChangedValues.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillmark::testing {
namespace {

TEST(ChangedValues, CurrentValueAtOnceThenRealChangesOnly) {
    Published<int> setting(1);
    std::vector<int> seen;
    auto token = ChangedValues::observe<int>(setting, [&](const int& value) { seen.push_back(value); });
    setting.set(1);
    setting.set(2);
    setting.set(2);
    setting.set(1);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 1}));
}

TEST(ChangedValues, SkippingTheCurrentValueStillComparesWithIt) {
    Published<bool> setting(false);
    std::vector<bool> seen;
    auto token = ChangedValues::observe<bool>(
        setting, [&](const bool& value) { seen.push_back(value); }, Published<bool>::Initial::skip);
    setting.set(false);
    setting.set(true);
    setting.set(true);
    EXPECT_EQ(seen, (std::vector<bool>{true}));
}

TEST(ChangedValues, DroppingTheTokenEndsTheObservation) {
    Published<int> setting(0);
    int calls = 0;
    {
        auto token = ChangedValues::observe<int>(setting, [&](const int&) { ++calls; });
    }
    setting.set(5);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace quillmark::testing
