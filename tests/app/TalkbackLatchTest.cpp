#include "app/TalkbackLatch.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Clock = TalkbackLatch::Clock;

struct Stroke {
    const char* name;
    bool talkbackOnAtPress;
    Clock::duration held;
    bool switchOnAtPress;
    bool switchOffAtRelease;
};

class TalkbackStroke : public ::testing::TestWithParam<Stroke> {};

TEST_P(TalkbackStroke, PressAndReleaseSendWhatTheRuleSays) {
    const Stroke& stroke = GetParam();
    TalkbackLatch latch;
    const Clock::time_point t0{10s};
    EXPECT_EQ(latch.press(t0, stroke.talkbackOnAtPress), stroke.switchOnAtPress);
    EXPECT_TRUE(latch.isPressed());
    EXPECT_EQ(latch.release(t0 + stroke.held), stroke.switchOffAtRelease);
    EXPECT_FALSE(latch.isPressed());
}

INSTANTIATE_TEST_SUITE_P(Strokes, TalkbackStroke,
                         ::testing::Values(Stroke{"TapFromOffLatches", false, 200ms, true, false},
                                           Stroke{"JustUnderThresholdStillLatches", false, 399ms, true, false},
                                           Stroke{"HoldAtThresholdIsMomentary", false, 400ms, true, true},
                                           Stroke{"LongHoldIsMomentary", false, 1s, true, true},
                                           Stroke{"TapWhileOnTurnsOffAtRelease", true, 100ms, false, true},
                                           Stroke{"HoldWhileOnTurnsOffAtRelease", true, 2s, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TalkbackLatch, SecondTapUnlatches) {
    TalkbackLatch latch;
    const Clock::time_point t0{};
    EXPECT_TRUE(latch.press(t0, false));
    EXPECT_FALSE(latch.release(t0 + 200ms));   // latched on
    EXPECT_FALSE(latch.press(t0 + 1s, true));  // engine reported it on meanwhile
    EXPECT_TRUE(latch.release(t0 + 1s + 200ms));
}

TEST(TalkbackLatch, ReleaseWithoutPressFollowsTheLastPress) {
    TalkbackLatch fresh;
    EXPECT_FALSE(fresh.release(Clock::time_point{5s})) << "nothing seen: talkback counted as off at press";

    TalkbackLatch afterOnPress;
    afterOnPress.press(Clock::time_point{}, true);
    afterOnPress.release(Clock::time_point{1s});
    EXPECT_TRUE(afterOnPress.release(Clock::time_point{3s})) << "last press found talkback on";
}

}  // namespace
}  // namespace quillmark::testing
