#pragma once

#include "base/MainQueue.h"

#include <chrono>
#include <optional>

namespace quillmark {

// The talkback key's latch-or-hold rule: a tap that finds talkback off turns it on and leaves it
// on; a hold of 0.4 s or more is momentary; releasing a press that found talkback on turns it off.
class TalkbackLatch {
public:
    using Clock = MainQueue::Clock;
    static constexpr std::chrono::milliseconds holdThreshold{400};

    // The key went down at `now`, with talkback reported as `talkbackOn`. Returns whether to switch it on.
    bool press(Clock::time_point now, bool talkbackOn);
    // The key came up at `now`. Returns whether to switch talkback off.
    bool release(Clock::time_point now);

    bool isPressed() const { return pressAt_.has_value(); }

private:
    std::optional<Clock::time_point> pressAt_;
    bool wasOnAtPress_ = false;
};

}  // namespace quillmark
