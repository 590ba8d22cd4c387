#pragma once

#include "platform/crash/AppHangDetector.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace quillmark {

// A thread that polls an AppHangDetector every `interval` and reports each hang once. The main thread
// keeps it fed through beat(). `tick` runs on the watchdog's thread at every poll. The thread has an
// alternate signal stack of its own (CrashSignalHandler::prepareThisThread).
class AppHangWatchdog {
public:
    struct Hooks {
        std::function<bool()> paused;
        std::function<void(AppHangDetector::Clock::duration)> onHang;
        std::function<void()> tick;
    };

    AppHangWatchdog(AppHangDetector::Clock::duration threshold, std::chrono::milliseconds interval, Hooks hooks);
    ~AppHangWatchdog();
    AppHangWatchdog(const AppHangWatchdog&) = delete;
    AppHangWatchdog& operator=(const AppHangWatchdog&) = delete;

    void beat() { detector_.beat(AppHangDetector::Clock::now()); }

private:
    void run();

    AppHangDetector detector_;
    std::chrono::milliseconds interval_;
    Hooks hooks_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace quillmark
