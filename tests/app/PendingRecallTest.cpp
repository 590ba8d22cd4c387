#include "app/PendingRecall.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Clock = PendingRecall::Clock;

TEST(PendingRecall, NothingPendingShowsTheReportedLevelUnlabelled) {
    PendingRecall recall;
    auto shown = recall.decide(true, -12.0, Clock::time_point{});
    EXPECT_EQ(shown.levelDB, -12.0);
    EXPECT_FALSE(shown.label);
}

// Recall to -20 dB from -30 dB: intermediate frames show the target, the landing frame shows itself,
// a non-level event drops the label, and after 1.5 s the recall is gone.
TEST(PendingRecall, RecallFromMinus30ToMinus20) {
    PendingRecall recall;
    const Clock::time_point t0{100s};
    recall.record("Mix", -20.0, t0, PendingRecall::hasLanded(-30.0, -20.0));
    EXPECT_FALSE(recall.hasLanded());

    auto first = recall.decide(true, -28.0, t0 + 100ms);
    EXPECT_EQ(first.levelDB, -20.0);
    EXPECT_EQ(first.label, "Mix");
    auto second = recall.decide(true, -24.0, t0 + 200ms);
    EXPECT_EQ(second.levelDB, -20.0);

    auto mute = recall.decide(false, -24.0, t0 + 250ms);
    EXPECT_EQ(mute.levelDB, -24.0);
    EXPECT_FALSE(mute.label);
    EXPECT_TRUE(recall.isPending());

    auto landing = recall.decide(true, -20.02, t0 + 300ms);
    EXPECT_EQ(landing.levelDB, -20.02);
    EXPECT_EQ(landing.label, "Mix");
    EXPECT_TRUE(recall.hasLanded());

    // Once landed, later levels show themselves, still labelled.
    auto afterLanding = recall.decide(true, -25.0, t0 + 1400ms);
    EXPECT_EQ(afterLanding.levelDB, -25.0);
    EXPECT_EQ(afterLanding.label, "Mix");

    auto late = recall.decide(true, -25.0, t0 + 1500ms);
    EXPECT_EQ(late.levelDB, -25.0);
    EXPECT_FALSE(late.label);
    EXPECT_FALSE(recall.isPending());
}

TEST(PendingRecall, LandingToleranceIsStrict) {
    EXPECT_TRUE(PendingRecall::hasLanded(-20.049, -20.0));
    EXPECT_FALSE(PendingRecall::hasLanded(-20.05, -20.0));
    EXPECT_FALSE(PendingRecall::hasLanded(-19.9, -20.0));
    EXPECT_FALSE(PendingRecall::hasLanded(std::nullopt, -20.0));
}

TEST(PendingRecall, UnknownLevelShowsTheTarget) {
    PendingRecall recall;
    recall.record("Ref", -18.0, Clock::time_point{}, false);
    auto shown = recall.decide(true, std::nullopt, Clock::time_point{} + 10ms);
    EXPECT_EQ(shown.levelDB, -18.0);
    EXPECT_FALSE(recall.hasLanded());
}

TEST(PendingRecall, NonLevelEventAfterTheWindowClearsIt) {
    PendingRecall recall;
    recall.record("Ref", -18.0, Clock::time_point{}, true);
    recall.decide(false, -18.0, Clock::time_point{} + 2s);
    EXPECT_FALSE(recall.isPending());
}

TEST(PendingRecall, ANewRecallReplacesTheOld) {
    PendingRecall recall;
    recall.record("One", -30.0, Clock::time_point{}, true);
    recall.record("Two", -10.0, Clock::time_point{} + 1s, false);
    auto shown = recall.decide(true, -30.0, Clock::time_point{} + 2s);
    EXPECT_EQ(shown.label, "Two");
    EXPECT_EQ(shown.levelDB, -10.0);
}

}  // namespace
}  // namespace quillmark::testing
