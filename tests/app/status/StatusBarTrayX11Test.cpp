#include "app/status/StatusBarController.h"

#include "TestApplication.h"

#include <QApplication>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace quillmark {
namespace {

// Runs the event loop until `done` holds or `timeoutMs` of real time have passed.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A real XEmbed tray host on this test's own X server.
class StatusBarTrayX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        testing::testApplication<QApplication>();
        tray.setProgram("trayer");
        tray.setArguments(
            {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height", "32"});
        tray.start();
        ASSERT_TRUE(tray.waitForStarted(5000)) << "trayer did not start";
    }

    void TearDown() override {
        tray.terminate();
        if (!tray.waitForFinished(3000)) tray.kill();
        tray.waitForFinished(3000);
    }

    QProcess tray;
};

TEST_F(StatusBarTrayX11Test, TheIconDocksInTheTrayAndShowsTheDrawing) {
    ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); })) << "no tray host appeared";

    StatusBarController bar({});
    // Docked: inside the tray host at the top right of the screen, not at the origin.
    ASSERT_TRUE(waitFor([&] { return bar.trayIcon().geometry().width() > 0 && bar.trayIcon().geometry().x() > 0; }))
        << "the icon did not dock";
    const QRect where = bar.trayIcon().geometry();
    EXPECT_TRUE(bar.trayIcon().isVisible());

    // The ring and arc are drawn in the text colour over the tray's background: the docked icon
    // holds both ink and background, and more ink in its upper half (the arc) than its lower.
    QImage shot;
    auto inkIn = [&](const QRect& part) {
        int ink = 0;
        for (int y = part.top(); y <= part.bottom(); ++y)
            for (int x = part.left(); x <= part.right(); ++x) ink += qGray(shot.pixel(x, y)) < 128;
        return ink;
    };
    ASSERT_TRUE(waitFor([&] {
        shot = QGuiApplication::primaryScreen()
                   ->grabWindow(0, where.x(), where.y(), where.width(), where.height())
                   .toImage();
        const int ink = shot.isNull() ? 0 : inkIn(shot.rect());
        return ink > 10 && ink < shot.width() * shot.height() / 2;
    })) << "no icon drawing on screen at "
        << where.x() << "," << where.y() << " " << where.width() << "x" << where.height();
    if (const char* dir = std::getenv("QUILLMARK_BINARY_DIR")) shot.save(QString(dir) + "/tray-icon.png");
    const int half = shot.height() / 2;
    EXPECT_GT(inkIn(QRect(0, 0, shot.width(), half)), inkIn(QRect(0, half, shot.width(), shot.height() - half)));
    EXPECT_LT(inkIn(shot.rect()), shot.width() * shot.height() / 2);
    EXPECT_EQ(bar.trayIcon().toolTip(), "Connecting\u2026");
}

}  // namespace
}  // namespace quillmark
