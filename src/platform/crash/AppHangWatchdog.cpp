#include "platform/crash/AppHangWatchdog.h"

#include "platform/crash/CrashSignalHandler.h"

namespace quillmark {

AppHangWatchdog::AppHangWatchdog(AppHangDetector::Clock::duration threshold, std::chrono::milliseconds interval,
                                 Hooks hooks)
    : detector_(threshold, AppHangDetector::Clock::now()), interval_(interval), hooks_(std::move(hooks)),
      thread_([this] { run(); }) {}

AppHangWatchdog::~AppHangWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void AppHangWatchdog::run() {
    CrashSignalHandler::prepareThisThread();
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, interval_, [this] { return stopping_; })) {
        lock.unlock();
        if (hooks_.tick) hooks_.tick();
        const bool paused = hooks_.paused && hooks_.paused();
        if (const auto blocked = detector_.poll(AppHangDetector::Clock::now(), paused); blocked && hooks_.onHang)
            hooks_.onHang(*blocked);
        lock.lock();
    }
}

}  // namespace quillmark
