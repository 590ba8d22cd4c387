#include "platform/updater/UpdateCheckScheduler.h"

#include <algorithm>

namespace quillmark {

UpdateCheckScheduler::UpdateCheckScheduler(MainQueue& queue, UpdaterSettings& settings, WallClock wallClock,
                                           std::function<void()> backgroundCheck)
    : queue_(queue), settings_(settings), wallClock_(std::move(wallClock)),
      backgroundCheck_(std::move(backgroundCheck)) {}

UpdateCheckScheduler::~UpdateCheckScheduler() { pending_.cancel(); }

void UpdateCheckScheduler::start() {
    started_ = true;
    reschedule();
}

void UpdateCheckScheduler::setEnabled(bool enabled) {
    enabled_ = enabled;
    reschedule();
}

void UpdateCheckScheduler::recordCheck() {
    settings_.setLastCheck(wallClock_());
    reschedule();
}

void UpdateCheckScheduler::reschedule() {
    pending_.cancel();
    pending_ = {};
    if (!started_ || !enabled_) return;
    const auto last = settings_.lastCheck();
    const auto elapsed = last ? wallClock_() - *last : UpdaterSettings::TimePoint::duration::max();
    MainQueue::Clock::duration delay = firstCheckDelay;
    // A last check in the future (the clock was set back) waits one interval, not longer.
    if (elapsed < interval) {
        const auto sinceLast = std::max(elapsed, UpdaterSettings::TimePoint::duration::zero());
        delay = std::chrono::duration_cast<MainQueue::Clock::duration>(interval - sinceLast);
    }
    pending_ = queue_.postAfter(delay, [this] {
        pending_ = {};
        backgroundCheck_();
    });
}

}  // namespace quillmark
