#include "app/QuitOnSignal.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace quillmark::testing {
namespace {

// A signal delivered while the loop runs ends exec() normally, so shut-down code after it runs.
class QuitOnSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(QuitOnSignalTest, SignalEndsTheEventLoop) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QuitOnSignal quitter;
    bool aboutToQuit = false;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { aboutToQuit = true; });
    const int signalNumber = GetParam();
    QTimer::singleShot(0, [signalNumber] { std::raise(signalNumber); });
    QTimer::singleShot(5000, [&] { app.exit(2); });
    EXPECT_EQ(app.exec(), 0);
    EXPECT_TRUE(aboutToQuit);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitOnSignalTest, ::testing::Values(SIGTERM, SIGINT));

}  // namespace
}  // namespace quillmark::testing
