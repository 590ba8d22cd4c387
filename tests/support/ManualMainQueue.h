#pragma once

#include "base/MainQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace quillmark::testing {

// A main queue for tests: work runs only when the test says so, and delayed work follows a
// virtual clock that moves only by advance(). post() is safe from other threads (the engine thread).
class ManualMainQueue final : public MainQueue {
public:
    void post(Work work) override;
    Handle postAfter(Clock::duration delay, Work work) override;
    Clock::time_point now() const override;

    // Runs immediate work, including work posted while running, until none is left. Returns how many ran.
    int runPending();
    // Moves the virtual clock forward by `step`, running due delayed work in time order (and the
    // immediate work it posts) at the instant it falls due.
    void advance(Clock::duration step);
    // Runs work posted by other threads as it arrives until `done()` holds or `realTimeout` of real
    // time has passed. Returns whether `done()` held. For tests against a real peer.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds realTimeout = std::chrono::seconds(5));
    // Number of delayed items not yet run (cancelled ones included until their time comes).
    std::size_t delayedCount() const;

private:
    struct Delayed {
        Clock::time_point due;
        std::uint64_t sequence;
        Handle handle;
        Work work;
    };

    bool takeImmediate(Work& work);
    bool takeDueDelayed(Clock::time_point until, Delayed& item);

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Work> immediate_;
    std::vector<Delayed> delayed_;
    Clock::time_point now_{};
    std::uint64_t sequence_ = 0;
};

}  // namespace quillmark::testing
