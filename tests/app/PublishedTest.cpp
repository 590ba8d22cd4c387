#include "app/Published.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quillmark {
namespace {

TEST(Published, DeliversTheCurrentValueAtOnceUnlessSkipped) {
    Published<int> value(7);
    std::vector<int> seen, skipped;
    auto first = value.observe([&](int v) { seen.push_back(v); });
    auto second = value.observe([&](int v) { skipped.push_back(v); }, Published<int>::Initial::skip);
    value.set(8);
    value.set(8);  // equal values are announced too
    EXPECT_EQ(seen, (std::vector<int>{7, 8, 8}));
    EXPECT_EQ(skipped, (std::vector<int>{8, 8}));
}

TEST(Published, ObserversAreToldBeforeTheValueIsStoredThenTheOwnerPersists) {
    std::vector<std::string> order;
    Published<int>* self = nullptr;
    Published<int> value(
        1, [&] { order.push_back("willChange " + std::to_string(self->value())); },
        [&](const int& stored) { order.push_back("stored " + std::to_string(stored)); });
    self = &value;
    auto token = value.observe(
        [&](int v) { order.push_back("observer " + std::to_string(v) + " sees " + std::to_string(value.value())); },
        Published<int>::Initial::skip);
    value.set(2);
    EXPECT_EQ(order, (std::vector<std::string>{"willChange 1", "observer 2 sees 1", "stored 2"}));
    EXPECT_EQ(value(), 2);
}

TEST(Published, TokensEndObservationsAndMayOutliveTheValue) {
    std::vector<int> seen;
    ObservationToken kept;
    {
        Published<int> value(0);
        auto dropped = value.observe([&](int v) { seen.push_back(-v); }, Published<int>::Initial::skip);
        kept = value.observe([&](int v) { seen.push_back(v); }, Published<int>::Initial::skip);
        dropped.cancel();
        value.set(1);
    }
    EXPECT_TRUE(kept.isActive());
    kept.cancel();  // the value is gone: nothing to remove, nothing breaks
    EXPECT_EQ(seen, (std::vector<int>{1}));
}

TEST(Published, AnObserverMayRemoveAnotherWhileBeingCalled) {
    Published<int> value(0);
    std::vector<std::string> calls;
    ObservationToken second;
    auto first = value.observe(
        [&](int) {
            calls.push_back("first");
            second.cancel();
        },
        Published<int>::Initial::skip);
    second = value.observe([&](int) { calls.push_back("second"); }, Published<int>::Initial::skip);
    ObservationToken late;
    auto adder = value.observe(
        [&](int) {
            if (!late.isActive())
                late = value.observe([&](int) { calls.push_back("late"); }, Published<int>::Initial::skip);
        },
        Published<int>::Initial::skip);
    value.set(1);
    value.set(2);
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "first", "late"}));
}

}  // namespace
}  // namespace quillmark
