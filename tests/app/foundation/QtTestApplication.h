#pragma once

#include <QGuiApplication>

#include <memory>

namespace quillmark::testing {

// The one QGuiApplication of a test executable, made on first use (Qt allows one per process).
inline QGuiApplication& qtTestApplication() {
    static int argc = 1;
    static char name[] = "quillmark-test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

} // namespace quillmark::testing
