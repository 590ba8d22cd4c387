#pragma once

#include <chrono>
#include <mutex>
#include <optional>

namespace quillmark {

// Decides when the main thread counts as hanging: no heartbeat for `threshold` or more while
// tracking is not paused. One hang is reported per block; the next heartbeat ends it. No clock of
// its own: the caller passes the time, so tests drive it in virtual time. Safe from any thread.
class AppHangDetector {
public:
    using Clock = std::chrono::steady_clock;

    explicit AppHangDetector(Clock::duration threshold, Clock::time_point now)
        : threshold_(threshold), lastBeat_(now) {}

    void beat(Clock::time_point now);
    // How long the main thread has been blocked, the first time a block reaches the threshold;
    // nothing otherwise. A paused poll counts as a heartbeat.
    std::optional<Clock::duration> poll(Clock::time_point now, bool paused);

private:
    std::mutex mutex_;
    Clock::duration threshold_;
    Clock::time_point lastBeat_;
    bool reported_ = false;
};

}  // namespace quillmark
