#pragma once

#include "base/MainQueue.h"

#include <chrono>
#include <functional>

class QWidget;

namespace quillmark {

// Animates a window's opacity in small steps on a main queue's clock, so that fades follow virtual
// time under test. At most one fade runs at a time; starting one replaces the previous one.
class WindowFade {
public:
    WindowFade(MainQueue& queue, QWidget& window);
    ~WindowFade();
    WindowFade(const WindowFade&) = delete;
    WindowFade& operator=(const WindowFade&) = delete;

    // Moves the opacity from its present value to `target` over `duration`, then runs `completion`
    // (unless the fade is cancelled or replaced first).
    void start(double target, std::chrono::milliseconds duration, std::function<void()> completion = {});
    // Stops a running fade where it is; its completion does not run.
    void cancel();
    bool isRunning() const { return tick_.isValid() && !tick_.isCancelled(); }

    static constexpr std::chrono::milliseconds frameInterval{16};

private:
    void scheduleTick();
    void tick();

    MainQueue& queue_;
    QWidget& window_;
    MainQueue::Handle tick_;
    double from_ = 0;
    double to_ = 0;
    MainQueue::Clock::time_point startedAt_{};
    std::chrono::milliseconds duration_{0};
    std::function<void()> completion_;
};

}  // namespace quillmark
