#pragma once

#include "base/MainQueue.h"

#include <memory>

class QObject;

namespace quillmark {

// The application's MainQueue on the Qt event loop of the thread that creates it (the main thread).
// post() and postAfter() are safe from any thread; work still queued when the queue is destroyed is
// dropped. now() is the steady clock.
class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;
    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    void post(Work work) override;
    Handle postAfter(Clock::duration delay, Work work) override;
    Clock::time_point now() const override;

private:
    std::unique_ptr<QObject> context_;
};

}  // namespace quillmark
