// When background checks run, in virtual time.
#include "MemoryUpdaterSettings.h"
#include "VirtualWallClock.h"

#include "ManualMainQueue.h"
#include "platform/updater/UpdateCheckScheduler.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

class UpdateCheckSchedulerTest : public ::testing::Test {
protected:
    std::chrono::system_clock::time_point wallNow() const { return virtualWallTime(queue_); }

    // A scheduler whose checks record themselves, as the updater's do.
    void makeScheduler() {
        scheduler_ = std::make_unique<UpdateCheckScheduler>(
            queue_, settings_, [this] { return wallNow(); },
            [this] {
                checks_.push_back(queue_.now());
                scheduler_->recordCheck();
            });
    }

    ManualMainQueue queue_;
    MemoryUpdaterSettings settings_;
    std::vector<MainQueue::Clock::time_point> checks_;
    std::unique_ptr<UpdateCheckScheduler> scheduler_;
};

TEST_F(UpdateCheckSchedulerTest, WithoutARecentCheckTheFirstRunsSecondsAfterStartThenDaily) {
    makeScheduler();
    scheduler_->setEnabled(true);
    queue_.advance(1h);
    EXPECT_TRUE(checks_.empty()) << "nothing before start";

    const auto started = queue_.now();
    scheduler_->start();
    queue_.advance(UpdateCheckScheduler::firstCheckDelay - 1ms);
    EXPECT_TRUE(checks_.empty());
    queue_.advance(1ms);
    ASSERT_EQ(checks_.size(), 1u);
    EXPECT_EQ(checks_[0], started + UpdateCheckScheduler::firstCheckDelay);
    EXPECT_EQ(settings_.lastCheck_, wallNow());

    queue_.advance(UpdateCheckScheduler::interval * 2);
    ASSERT_EQ(checks_.size(), 3u);
    EXPECT_EQ(checks_[2] - checks_[1], UpdateCheckScheduler::interval);
}

TEST_F(UpdateCheckSchedulerTest, ARecentCheckIsFollowedOneIntervalAfterIt) {
    settings_.lastCheck_ = wallNow() - 20h;
    makeScheduler();
    scheduler_->setEnabled(true);
    scheduler_->start();
    queue_.advance(4h - 1s);
    EXPECT_TRUE(checks_.empty());
    queue_.advance(1s);
    EXPECT_EQ(checks_.size(), 1u);
}

TEST_F(UpdateCheckSchedulerTest, AnOldOrFutureLastCheck) {
    settings_.lastCheck_ = wallNow() - 30h;
    makeScheduler();
    scheduler_->setEnabled(true);
    scheduler_->start();
    queue_.advance(UpdateCheckScheduler::firstCheckDelay);
    EXPECT_EQ(checks_.size(), 1u) << "an overdue check runs soon after start";

    checks_.clear();
    settings_.lastCheck_ = wallNow() + 100h;  // the clock was set back
    scheduler_->setEnabled(true);
    queue_.advance(UpdateCheckScheduler::interval);
    EXPECT_EQ(checks_.size(), 1u) << "waits one interval, not until the future date";
}

TEST_F(UpdateCheckSchedulerTest, SwitchedOffNothingIsScheduledAndSwitchingOnResumes) {
    makeScheduler();
    scheduler_->start();
    EXPECT_FALSE(scheduler_->hasScheduledCheck());
    queue_.advance(UpdateCheckScheduler::interval * 3);
    EXPECT_TRUE(checks_.empty());

    scheduler_->setEnabled(true);
    EXPECT_TRUE(scheduler_->hasScheduledCheck());
    scheduler_->setEnabled(false);
    queue_.advance(UpdateCheckScheduler::interval);
    EXPECT_TRUE(checks_.empty()) << "switching off cancels the pending check";

    scheduler_->recordCheck();  // a check the user asked for still counts
    EXPECT_EQ(settings_.lastCheck_, wallNow());
    EXPECT_FALSE(scheduler_->hasScheduledCheck());
}

}  // namespace
}  // namespace quillmark::testing
