// The meter window under a real window manager (openbox), started before the window as a desktop
// session's is: a first show, with no frame saved, puts the title bar the manager draws on the
// screen, where the user can take the window by it.
#include "app/meters/MeterWindowController.h"

#include "ManualMainQueue.h"
#include "OpenboxWindowManager.h"
#include "PollUntil.h"
#include "TestApplication.h"

#include "app/settings/MemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <chrono>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

class MeterWindowManagedX11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }

    QApplication& application = testApplication<QApplication>();
    OpenboxWindowManager manager;  // before the window, as a desktop session is
    ManualMainQueue queue;
    MeterStore store{queue};
    MemoryUserDefaults defaults;
    MeterWindowController meters{store, defaults, queue};
};

TEST_F(MeterWindowManagedX11Test, TheFirstShowPutsTheWholeFrameOnTheScreen) {
    ASSERT_TRUE(manager.isManaging()) << manager.error();
    meters.show();
    QWidget& window = meters.window();
    const auto spin = [] { QApplication::processEvents(QEventLoop::AllEvents, 20); };
    // The frame as the window manager drew it around the window.
    const auto frame = [&] { return window.geometry().marginsAdded(window.windowHandle()->frameMargins()); };
    ASSERT_TRUE(pollUntil([&] { return window.windowHandle()->frameMargins().top() > 0; }, 5s, spin, 0ms))
        << "openbox never framed the window";
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(pollUntil([&] { return frame().topLeft() == available.topLeft(); }, 2s, spin, 0ms))
        << "frame at " << frame().x() << ", " << frame().y() << "; screen from " << available.x() << ", "
        << available.y();
    EXPECT_EQ(window.size(), QSize(220, 320));
}

}  // namespace
}  // namespace quillmark::testing
