// When the main thread counts as hanging, in virtual time.
#include "platform/crash/AppHangDetector.h"

#include <gtest/gtest.h>

namespace quillmark {
namespace {

using namespace std::chrono_literals;
using Clock = AppHangDetector::Clock;

TEST(AppHangDetector, ABlockOfTwoSecondsIsOneHangAndTheNextHeartbeatEndsIt) {
    const Clock::time_point t0{};
    AppHangDetector detector(2s, t0);
    EXPECT_FALSE(detector.poll(t0 + 1999ms, false));
    EXPECT_EQ(detector.poll(t0 + 2s, false), Clock::duration(2s));
    EXPECT_FALSE(detector.poll(t0 + 5s, false));  // the same block: reported once
    detector.beat(t0 + 6s);
    EXPECT_FALSE(detector.poll(t0 + 7s, false));
    EXPECT_EQ(detector.poll(t0 + 8100ms, false), Clock::duration(2100ms));
}

TEST(AppHangDetector, TimeSpentPausedDoesNotCount) {
    const Clock::time_point t0{};
    AppHangDetector detector(2s, t0);
    EXPECT_FALSE(detector.poll(t0 + 1s, true));
    EXPECT_FALSE(detector.poll(t0 + 10s, true));  // a modal dialog open for long
    EXPECT_FALSE(detector.poll(t0 + 11s, false));
    EXPECT_TRUE(detector.poll(t0 + 12s, false));  // still blocked 2 s after resuming
}

}  // namespace
}  // namespace quillmark
