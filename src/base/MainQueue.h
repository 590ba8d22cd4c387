#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace quillmark {

// The core's only view of the main thread: work posted here runs there, in order.
// The app implements it on the Qt event loop; tests use a manual queue with a virtual clock.
class MainQueue {
public:
    using Clock = std::chrono::steady_clock;
    using Work = std::function<void()>;

    // Cancels delayed work that has not run yet. Copies share one flag; dropping a handle cancels nothing.
    class Handle {
    public:
        Handle() = default;
        void cancel() const {
            if (flag_) flag_->store(true);
        }
        bool isCancelled() const { return flag_ && flag_->load(); }
        bool isValid() const { return flag_ != nullptr; }

        static Handle make() {
            Handle handle;
            handle.flag_ = std::make_shared<std::atomic<bool>>(false);
            return handle;
        }

    private:
        std::shared_ptr<std::atomic<bool>> flag_;
    };

    virtual ~MainQueue() = default;

    // Safe from any thread.
    virtual void post(Work work) = 0;
    // Runs `work` on the main thread once `delay` has passed on this queue's clock, unless cancelled.
    virtual Handle postAfter(Clock::duration delay, Work work) = 0;
    // The queue's clock: real steady time in the app, virtual time in tests.
    virtual Clock::time_point now() const = 0;
};

}  // namespace quillmark
