#pragma once

#include "PollUntil.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
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
    return pollUntil(
        condition, timeout, [] { QCoreApplication::processEvents(); }, std::chrono::milliseconds(2));
}

}  // namespace quillmark::testing
