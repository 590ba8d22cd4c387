#pragma once

#include <chrono>
#include <thread>

namespace quillmark::testing {

// The one way tests wait on the real clock: runs `step` (the event loop, a queue; nothing by default),
// then checks `condition`, pausing `pause` between rounds, until the condition holds or `timeout`
// passes. Returns whether it held. Waits that can run in virtual time should.
template <class Condition, class Step>
bool pollUntil(Condition&& condition, std::chrono::milliseconds timeout, Step&& step,
               std::chrono::milliseconds pause = std::chrono::milliseconds(1)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        step();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pause);
    }
}

// For state outside this process (another program, the X server): nothing to run, a slower pace.
template <class Condition>
bool pollUntil(Condition&& condition, std::chrono::milliseconds timeout) {
    return pollUntil(
        condition, timeout, [] {}, std::chrono::milliseconds(20));
}

}  // namespace quillmark::testing
