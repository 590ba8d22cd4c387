#pragma once

#include "base/MainQueue.h"

#include <vector>

namespace quillmark {

// A main queue whose clock the benchmark moves; due work runs when the clock passes it.
class VirtualMainQueue final : public MainQueue {
public:
    void post(Work work) override { work(); }
    Handle postAfter(Clock::duration delay, Work work) override {
        Handle handle = Handle::make();
        delayed_.push_back({now_ + delay, handle, std::move(work)});
        return handle;
    }
    Clock::time_point now() const override { return now_; }

    void advance(Clock::duration step) {
        now_ += step;
        while (!delayed_.empty() && delayed_.front().due <= now_) {
            Delayed item = std::move(delayed_.front());
            delayed_.erase(delayed_.begin());
            if (!item.handle.isCancelled()) item.work();
        }
    }

private:
    struct Delayed {
        Clock::time_point due;
        Handle handle;
        Work work;
    };
    std::vector<Delayed> delayed_;  // few pending at once: the stores' batching passes
    Clock::time_point now_{};
};

}  // namespace quillmark
