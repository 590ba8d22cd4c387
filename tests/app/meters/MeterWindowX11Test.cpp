// The meter window on a real X server, as a window manager reads it.
#include "app/meters/MeterWindowController.h"

#include "ManualMainQueue.h"
#include "PollUntil.h"
#include "TestApplication.h"

#include "app/settings/MemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <chrono>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

class MeterWindowX11Test : public ::testing::Test {
protected:
    // No session bus: the desktop services it offers are not needed here, and libdbus leaks on exit.
    static void SetUpTestSuite() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }

    QString windowProperties() {
        QApplication::processEvents();
        QGuiApplication::sync();
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(meters.window().winId())});
        if (!xprop.waitForFinished(5000)) return {};
        return QString::fromUtf8(xprop.readAllStandardOutput());
    }

    QApplication& application = testApplication<QApplication>();
    ManualMainQueue queue;
    MeterStore store{queue};
    MemoryUserDefaults defaults;
    MeterWindowController meters{store, defaults, queue};
};

// On every workspace from before its first map, on every show; unlike the HUD it stays in the
// taskbar, the pager and the window cycle.
TEST_F(MeterWindowX11Test, TheWindowIsOnEveryWorkspaceAndStaysInTheTaskbar) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    auto expectStates = [&](const char* when) {
        const QString properties = windowProperties();
        EXPECT_TRUE(properties.contains(QLatin1String("_NET_WM_STATE_STICKY"))) << when << "\n"
                                                                                << properties.toStdString();
        EXPECT_TRUE(properties.contains(QLatin1String("_NET_WM_DESKTOP(CARDINAL) = 4294967295\n")))
            << when << "\n"
            << properties.toStdString();
        EXPECT_FALSE(properties.contains(QLatin1String("SKIP_TASKBAR")) || properties.contains("SKIP_PAGER"))
            << when << "\n"
            << properties.toStdString();
    };
    expectStates("before the first show");
    for (const char* when : {"shown", "shown again"}) {
        meters.show();
        ASSERT_TRUE(pollUntil([&] { return meters.window().windowHandle()->isExposed(); }, 5s,
                              [] { QApplication::processEvents(QEventLoop::AllEvents, 20); }, 0ms));
        expectStates(when);
        meters.hide();
    }
}

}  // namespace
}  // namespace quillmark::testing
