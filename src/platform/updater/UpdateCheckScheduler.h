#pragma once

#include "base/MainQueue.h"
#include "platform/updater/UpdaterSettings.h"

#include <chrono>
#include <functional>

namespace quillmark {

// When background checks run: while enabled and started, one every `interval` counted from the last
// check (stored in the settings); the first a few seconds after start when none is recent. Runs on the
// main queue's clock; the last check is wall time, so it survives restarts.
class UpdateCheckScheduler {
public:
    using WallClock = std::function<UpdaterSettings::TimePoint()>;

    static constexpr std::chrono::seconds interval{86400};
    static constexpr std::chrono::seconds firstCheckDelay{5};

    UpdateCheckScheduler(MainQueue& queue, UpdaterSettings& settings, WallClock wallClock,
                         std::function<void()> backgroundCheck);
    ~UpdateCheckScheduler();
    UpdateCheckScheduler(const UpdateCheckScheduler&) = delete;
    UpdateCheckScheduler& operator=(const UpdateCheckScheduler&) = delete;

    // Scheduling begins; before this nothing is scheduled.
    void start();
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    // Any check, background or not: stores the time and counts the next one from it.
    void recordCheck();
    // Whether a background check is waiting to run.
    bool hasScheduledCheck() const { return pending_.isValid() && !pending_.isCancelled(); }

private:
    void reschedule();

    MainQueue& queue_;
    UpdaterSettings& settings_;
    WallClock wallClock_;
    std::function<void()> backgroundCheck_;
    bool started_ = false;
    bool enabled_ = false;
    MainQueue::Handle pending_;
};

}  // namespace quillmark
