#pragma once

#include "ManualMainQueue.h"
#include "PollUntil.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>

namespace quillmark::testing {

// Runs the main thread, the queue's posted work and Qt's events, until `done` holds or `timeout` of
// real time passes; returns whether it held.
inline bool spinUntil(ManualMainQueue& queue, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return pollUntil(done, timeout, [&] {
        queue.runPending();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    });
}

}  // namespace quillmark::testing
