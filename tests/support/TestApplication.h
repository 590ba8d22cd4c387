#pragma once

#include <gtest/gtest.h>

#include <memory>

namespace quillmark::testing {

// The one Qt application object of a test executable (QGuiApplication or QApplication): made on first
// use, so a test may choose the platform first, and destroyed when the tests end, before exit handlers
// run, which Qt's input devices and font caches do not survive.
template <class Application>
Application& testApplication() {
    class Holder : public ::testing::Environment {
    public:
        void TearDown() override { application.reset(); }
        std::unique_ptr<Application> application;
    };
    static int argc = 1;
    static char name[] = "quillmark-test";
    static char* argv[] = {name, nullptr};
    static Holder* holder = [] {
        auto* made = new Holder;  // owned by GoogleTest
        ::testing::AddGlobalTestEnvironment(made);
        made->application = std::make_unique<Application>(argc, argv);
        return made;
    }();
    return *holder->application;
}

}  // namespace quillmark::testing
