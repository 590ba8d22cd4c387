#include "app/hud/WindowFade.h"

#include <QWidget>

#include <algorithm>

namespace quillmark {

WindowFade::WindowFade(MainQueue& queue, QWidget& window) : queue_(queue), window_(window) {}

WindowFade::~WindowFade() { cancel(); }

void WindowFade::start(double target, std::chrono::milliseconds duration, std::function<void()> completion) {
    cancel();
    from_ = window_.windowOpacity();
    to_ = target;
    startedAt_ = queue_.now();
    duration_ = duration;
    completion_ = std::move(completion);
    if (duration_.count() <= 0) {
        tick();
        return;
    }
    scheduleTick();
}

void WindowFade::cancel() {
    tick_.cancel();
    completion_ = nullptr;
}

// The last step falls exactly on the end of the fade.
void WindowFade::scheduleTick() {
    const auto remaining = startedAt_ + duration_ - queue_.now();
    tick_ = queue_.postAfter(std::min<MainQueue::Clock::duration>(frameInterval, remaining), [this] { tick(); });
}

void WindowFade::tick() {
    const double elapsed = std::chrono::duration<double>(queue_.now() - startedAt_).count();
    const double total = std::chrono::duration<double>(duration_).count();
    const double progress = total > 0 ? std::clamp(elapsed / total, 0.0, 1.0) : 1.0;
    if (progress < 1.0) {
        const double eased = progress * progress * (3 - 2 * progress);
        window_.setWindowOpacity(from_ + (to_ - from_) * eased);
        scheduleTick();
        return;
    }
    // The last step lands exactly on the target, so that callers may test for it.
    window_.setWindowOpacity(to_);
    tick_.cancel();
    auto completion = std::move(completion_);
    completion_ = nullptr;
    if (completion) completion();
}

}  // namespace quillmark
