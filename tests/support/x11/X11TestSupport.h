#pragma once

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>

#include <chrono>
#include <memory>
#include <thread>

namespace quillmark::testing {

// The application object, on the platform QT_QPA_PLATFORM names (xcb under Xvfb).
inline QGuiApplication& x11TestApplication() { return testApplication<QGuiApplication>(); }

// Runs the event loop until `condition` holds or `timeout` passes; returns whether it held.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    QDeadlineTimer deadline(timeout.count());
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // poll, not spin
    }
    return true;
}

} // namespace quillmark::testing
