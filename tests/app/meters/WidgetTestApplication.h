#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace quillmark::testing {

// The one application object of a widget test: made on first use, destroyed when the tests end
// (before exit handlers run, which Qt's input devices and font caches do not survive).
class WidgetTestApplication : public ::testing::Environment {
public:
    static QApplication& get() {
        static int argc = 1;
        static char name[] = "quillmark-widget-test";
        static char* argv[] = {name, nullptr};
        if (!instance()) instance() = std::make_unique<QApplication>(argc, argv);
        return *instance();
    }
    void TearDown() override { instance().reset(); }

private:
    static std::unique_ptr<QApplication>& instance() {
        static std::unique_ptr<QApplication> application;
        return application;
    }
};

inline const bool widgetTestApplicationRegistered =
    (::testing::AddGlobalTestEnvironment(new WidgetTestApplication), true);

} // namespace quillmark::testing
