#include "ManualMainQueue.h"

#include <algorithm>

namespace quillmark::testing {

void ManualMainQueue::post(Work work) {
    {
        std::lock_guard lock(mutex_);
        immediate_.push_back(std::move(work));
    }
    posted_.notify_all();
}

MainQueue::Handle ManualMainQueue::postAfter(Clock::duration delay, Work work) {
    Handle handle = Handle::make();
    std::lock_guard lock(mutex_);
    delayed_.push_back({now_ + std::max(delay, Clock::duration::zero()), sequence_++, handle, std::move(work)});
    return handle;
}

MainQueue::Clock::time_point ManualMainQueue::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

bool ManualMainQueue::takeImmediate(Work& work) {
    std::lock_guard lock(mutex_);
    if (immediate_.empty()) return false;
    work = std::move(immediate_.front());
    immediate_.pop_front();
    return true;
}

int ManualMainQueue::runPending() {
    int count = 0;
    Work work;
    while (takeImmediate(work)) {
        work();
        ++count;
    }
    return count;
}

bool ManualMainQueue::takeDueDelayed(Clock::time_point until, Delayed& item) {
    std::lock_guard lock(mutex_);
    auto earliest = std::min_element(delayed_.begin(), delayed_.end(), [](const Delayed& a, const Delayed& b) {
        return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
    });
    if (earliest == delayed_.end() || earliest->due > until) return false;
    item = std::move(*earliest);
    delayed_.erase(earliest);
    now_ = std::max(now_, item.due);
    return true;
}

void ManualMainQueue::advance(Clock::duration step) {
    runPending();
    Clock::time_point target;
    {
        std::lock_guard lock(mutex_);
        target = now_ + step;
    }
    Delayed item;
    while (takeDueDelayed(target, item)) {
        if (!item.handle.isCancelled()) item.work();
        runPending();
    }
    std::lock_guard lock(mutex_);
    now_ = target;
}

bool ManualMainQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds realTimeout) {
    const auto deadline = std::chrono::steady_clock::now() + realTimeout;
    for (;;) {
        runPending();
        if (done()) return true;
        std::unique_lock lock(mutex_);
        if (!posted_.wait_until(lock, deadline, [this] { return !immediate_.empty(); })) {
            lock.unlock();
            runPending();
            return done();
        }
    }
}

std::size_t ManualMainQueue::delayedCount() const {
    std::lock_guard lock(mutex_);
    return delayed_.size();
}

}  // namespace quillmark::testing
