#pragma once

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <memory>

namespace quillmark::testing {

// The one QGuiApplication of a test executable: made on first use, destroyed when the tests end
// (before Qt's own statics go, which a function-local static would outlive).
inline QGuiApplication& qtTestApplication() {
    class Environment : public ::testing::Environment {
    public:
        void TearDown() override { app.reset(); }
        std::unique_ptr<QGuiApplication> app;
    };
    static int argc = 1;
    static char name[] = "quillmark-test";
    static char* argv[] = {name, nullptr};
    static Environment* environment = [] {
        auto* made = new Environment;  // owned by GoogleTest
        ::testing::AddGlobalTestEnvironment(made);
        made->app = std::make_unique<QGuiApplication>(argc, argv);
        return made;
    }();
    return *environment->app;
}

} // namespace quillmark::testing
