// The HUD window on a real X server: it never takes the focus, and clicks go through it.
#include "HUDTestSupport.h"
#include "ManualMainQueue.h"
#include "PollUntil.h"

#include "app/hud/HUDWindowController.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <functional>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    return pollUntil(
        done, timeout, [] { QApplication::processEvents(QEventLoop::AllEvents, 20); }, 0ms);
}

// An ordinary window that counts the mouse presses it receives.
class PressCounter : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class HUDWindowX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        below.setGeometry(1920 - 400, 0, 400, 200);
        below.show();
        below.activateWindow();
        ASSERT_TRUE(waitFor([&] { return below.isActiveWindow(); })) << "the ordinary window takes the focus";
    }

    void showHUD() {
        MonitorSnapshot snapshot;
        snapshot.levelDB = -12;
        hud.show(snapshot, MonitorEvent::level, 0, HUDAppearance::dark, std::nullopt);
        ASSERT_TRUE(waitFor([&] { return hud.window().windowHandle() && hud.window().windowHandle()->isExposed(); }));
    }

    QString windowProperties() {
        QApplication::processEvents();
        QGuiApplication::sync();
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(hud.window().winId())});
        if (!xprop.waitForFinished(5000)) return {};
        return QString::fromUtf8(xprop.readAllStandardOutput());
    }

    // No session bus: the desktop services it offers are not needed here, and libdbus leaks on exit.
    static void SetUpTestSuite() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }

    QApplication& application = hudTestApplication();
    PressCounter below;
    ManualMainQueue queue;
    HUDWindowController hud{queue};
};

// What a window manager goes by: no focus on mapping or ever, kept above, a utility window, no
// decorations; and the fade reaches the window's opacity property.
TEST_F(HUDWindowX11Test, WindowPropertiesKeepItAboveUnfocusedAndFading) {
    showHUD();
    EXPECT_EQ(hud.window().geometry(), QRect(1920 - 240 - 16, 16, 240, 88));
    const QString properties = windowProperties();
    for (const char* expected :
         {"Client accepts input or input focus: False", "_NET_WM_USER_TIME(CARDINAL) = 0", "_NET_WM_STATE_ABOVE",
          "_NET_WM_WINDOW_TYPE_UTILITY", "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x1, 0x0"}) {
        EXPECT_TRUE(properties.contains(QLatin1String(expected))) << expected << "\n" << properties.toStdString();
    }
    EXPECT_TRUE(properties.contains(QLatin1String("_NET_WM_WINDOW_OPACITY(CARDINAL) = 0\n")));
    queue.advance(300ms);
    EXPECT_TRUE(windowProperties().contains(QLatin1String("_NET_WM_WINDOW_OPACITY(CARDINAL) = 4294967295")));
    QApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(QApplication::activeWindow(), &below);
}

// On every workspace, out of the taskbar, the pager and the window cycle: set on the native window
// before it is first mapped, and still there on every later show.
TEST_F(HUDWindowX11Test, TheHUDIsOnEveryWorkspaceAndOutOfTaskbarAndPager) {
    auto expectStates = [&](const char* when) {
        const QString properties = windowProperties();
        for (const char* expected : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
                                     "_NET_WM_DESKTOP(CARDINAL) = 4294967295\n"}) {
            EXPECT_TRUE(properties.contains(QLatin1String(expected))) << when << ": " << expected << "\n"
                                                                      << properties.toStdString();
        }
    };
    ASSERT_FALSE(hud.window().isVisible());
    expectStates("before the first show");
    showHUD();
    expectStates("shown");
    queue.advance(hud.autoHideDelay() + HUDWindowController::fadeOutDuration + 50ms);
    ASSERT_TRUE(waitFor([&] { return !hud.window().isVisible(); }));
    showHUD();
    expectStates("shown again");
}

TEST_F(HUDWindowX11Test, ClicksOnTheHUDReachTheWindowBelow) {
    showHUD();
    const QPoint centre = hud.window().geometry().center();
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
                   QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(xdotool.waitForFinished(5000));
    ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
    EXPECT_TRUE(waitFor([&] { return below.presses > 0; })) << "the press went to the HUD instead";
}

}  // namespace
}  // namespace quillmark::testing
