#include "app/status/StatusBarController.h"

#include "FakeTrayHost.h"
#include "TestApplication.h"

#include <QApplication>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace quillmark::testing {
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

QDir renderingsDirectory() {
    const QString binaryDir = qEnvironmentVariable("QUILLMARK_BINARY_DIR", QDir::currentPath());
    QDir directory(QDir(binaryDir).filePath(QStringLiteral("status-renderings")));
    EXPECT_TRUE(directory.mkpath(QStringLiteral(".")));
    return directory;
}

// The screen's pixels at `area`.
QImage grab(const QRect& area) {
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// Saves `shot` as it is and eight times larger, for a person to look at.
void save(const QImage& shot, const QString& name) {
    const QDir directory = renderingsDirectory();
    EXPECT_TRUE(shot.save(directory.filePath(name + QStringLiteral(".png"))));
    EXPECT_TRUE(shot.scaled(shot.size() * 8, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(directory.filePath(name + QStringLiteral("-8x.png"))));
}

int lightnessGap(QRgb a, QRgb b) { return std::abs(qGray(a) - qGray(b)); }

// How many pixels of `shot` stand out from `panel` in lightness by at least `gap` (of 255).
int pixelsStandingOut(const QImage& shot, QRgb panel, int gap) {
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) count += lightnessGap(shot.pixel(x, y), panel) >= gap;
    return count;
}

// The pixel of `shot` farthest from `panel` in lightness: the core of a stroke.
QColor strongestInk(const QImage& shot, QRgb panel) {
    QRgb strongest = panel;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (lightnessGap(shot.pixel(x, y), panel) > lightnessGap(strongest, panel)) strongest = shot.pixel(x, y);
    return QColor(strongest);
}

// How many pixels of `shot` lie on the other side of `panel` in lightness from `ink`, by at least `gap`:
// an icon drawn in `ink` alone has none, only blends between the two.
int pixelsBeyondThePanel(const QImage& shot, QRgb panel, const QColor& ink, int gap) {
    const int side = qGray(ink.rgb()) > qGray(panel) ? 1 : -1;
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) count += side * (qGray(panel) - qGray(shot.pixel(x, y))) >= gap;
    return count;
}

int colourDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// A real XEmbed tray host on this test's own X server; `options` add to its place and size.
class TrayHost {
public:
    explicit TrayHost(const QStringList& options = {}) {
        process_.setProgram(QStringLiteral("trayer"));
        process_.setArguments(QStringList{"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                                          "--height", "32"} +
                              options);
        process_.start();
    }
    ~TrayHost() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(3000);
    }
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    bool started() { return process_.waitForStarted(5000); }

private:
    QProcess process_;
};

// Waits for `bar`'s icon to dock; its place on the screen, or nothing.
std::optional<QRect> docked(StatusBarController& bar) {
    if (!waitFor([&] { return bar.trayIcon().geometry().width() > 0 && bar.trayIcon().geometry().x() > 0; }))
        return std::nullopt;
    return bar.trayIcon().geometry();
}

class StatusBarTrayX11Test : public ::testing::Test {
protected:
    void SetUp() override { testing::testApplication<QApplication>(); }
};

TEST_F(StatusBarTrayX11Test, TheIconDocksInTheTrayAndShowsTheDrawing) {
    TrayHost tray;
    ASSERT_TRUE(tray.started()) << "trayer did not start";
    ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); })) << "no tray host appeared";

    StatusBarController bar({});
    // Docked: inside the tray host at the top right of the screen, not at the origin.
    const std::optional<QRect> where = docked(bar);
    ASSERT_TRUE(where) << "the icon did not dock";
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
        shot = grab(*where);
        const int ink = shot.isNull() ? 0 : inkIn(shot.rect());
        return ink > 10 && ink < shot.width() * shot.height() / 2;
    })) << "no icon drawing on screen at "
        << where->x() << "," << where->y() << " " << where->width() << "x" << where->height();
    if (const char* dir = std::getenv("QUILLMARK_BINARY_DIR")) shot.save(QString(dir) + "/tray-icon.png");
    const int half = shot.height() / 2;
    EXPECT_GT(inkIn(QRect(0, 0, shot.width(), half)), inkIn(QRect(0, half, shot.width(), shot.height() - half)));
    EXPECT_LT(inkIn(shot.rect()), shot.width() * shot.height() / 2);
    EXPECT_EQ(bar.trayIcon().toolTip(), "Connecting\u2026");
}

// On a light panel and a dark one, the docked icon stands out: drawn in the colours the host publishes
// while it publishes them, and legible on either without them. Also saves what it saw to
// <build>/status-renderings/.
TEST_F(StatusBarTrayX11Test, TheIconReadsOnLightAndDarkPanelsWithAndWithoutTheHostsColours) {
    struct Panel {
        const char* name;
        const char* tint;
        QColor hostForeground;  // what a host of this panel publishes
    };
    const Panel panels[] = {{"light", "0xffffff", QColor(0x2e, 0x34, 0x36)},
                            {"dark", "0x303030", QColor(0xee, 0xee, 0xec)}};
    for (const Panel& panel : panels) {
        SCOPED_TRACE(panel.name);
        TrayHost tray({"--transparent", "true", "--alpha", "0", "--tint", panel.tint});
        ASSERT_TRUE(tray.started()) << "trayer did not start";
        FakeTrayHost colours;
        ASSERT_TRUE(waitFor([&] { return colours.owner() != XCB_WINDOW_NONE; })) << "no tray host appeared";
        ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));

        StatusBarController bar({});
        const std::optional<QRect> where = docked(bar);
        ASSERT_TRUE(where) << "the icon did not dock";
        QImage shot;
        // The corner lies outside every stroke and its halo: the panel shows there.
        auto panelColour = [&] { return shot.pixel(0, 0); };
        ASSERT_TRUE(waitFor([&] {
            shot = grab(*where);
            return !shot.isNull() && pixelsStandingOut(shot, panelColour(), 16) > 10;
        })) << "no icon drawing on screen";
        save(shot, QStringLiteral("tray-%1-panel").arg(QString::fromLatin1(panel.name)));
        EXPECT_GE(pixelsStandingOut(shot, panelColour(), 100), 20)
            << "without the host's colours the icon hardly stands out from the " << panel.name << " panel";

        const QColor foreground = panel.hostForeground;
        colours.publish(FakeTrayHost::cardinals(foreground, Qt::red, Qt::yellow, Qt::green));
        EXPECT_TRUE(waitFor([&] {
            shot = grab(*where);
            return colourDistance(strongestInk(shot, panelColour()), foreground) <= 24 &&
                   pixelsBeyondThePanel(shot, panelColour(), foreground, 16) == 0;
        })) << "not drawn in the host's foreground "
            << foreground.name().toStdString() << " alone; its strongest ink is "
            << strongestInk(shot, panelColour()).name().toStdString();
        save(shot, QStringLiteral("tray-%1-panel-host-colours").arg(QString::fromLatin1(panel.name)));
        EXPECT_GE(pixelsStandingOut(shot, panelColour(), 100), 20);
    }
    std::printf("Tray renderings in %s\n", qPrintable(renderingsDirectory().absolutePath()));
}

}  // namespace
}  // namespace quillmark::testing
