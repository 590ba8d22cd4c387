#pragma once

#include "ManualMainQueue.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace quillmark::testing {

// Runs the main thread, the queue's posted work and Qt's events, until `done` holds or `timeout` of
// real time passes; returns whether it held.
inline bool spinUntil(ManualMainQueue& queue, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        queue.runPending();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1)); // poll, not spin
    }
}

} // namespace quillmark::testing
