#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>

#include <chrono>
#include <memory>
#include <thread>

namespace quillmark::testing {

// The one application object of the process, on the platform QT_QPA_PLATFORM names (xcb under
// Xvfb); made on first use and destroyed when the tests end.
class X11TestApplication : public ::testing::Environment {
public:
    static QGuiApplication& get() {
        static int argc = 1;
        static char name[] = "quillmark-x11-test";
        static char* argv[] = {name, nullptr};
        if (!instance()) instance() = std::make_unique<QGuiApplication>(argc, argv);
        return *instance();
    }
    void TearDown() override { instance().reset(); }

private:
    static std::unique_ptr<QGuiApplication>& instance() {
        static std::unique_ptr<QGuiApplication> application;
        return application;
    }
};

inline const bool x11TestApplicationRegistered = (::testing::AddGlobalTestEnvironment(new X11TestApplication), true);

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
