#include "app/TalkbackLatch.h"

namespace quillmark {

bool TalkbackLatch::press(Clock::time_point now, bool talkbackOn) {
    pressAt_ = now;
    wasOnAtPress_ = talkbackOn;
    return !talkbackOn;
}

bool TalkbackLatch::release(Clock::time_point now) {
    // A release without a press counts as held for no time, so it never ends a latch it did not see start.
    const Clock::duration held = pressAt_ ? now - *pressAt_ : Clock::duration::zero();
    pressAt_.reset();
    const bool tapThatLatches = !wasOnAtPress_ && held < holdThreshold;
    return !tapThatLatches;
}

}  // namespace quillmark
