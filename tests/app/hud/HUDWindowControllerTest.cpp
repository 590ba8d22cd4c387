#include "HUDTestSupport.h"
#include "ManualMainQueue.h"

#include "app/hud/HUDWindowController.h"
#include "app/look/HUDTokens.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <cmath>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

// Two offscreen screens; the platform makes the one at (0, 0) primary, the other is listed first.
constexpr const char* screensConfig = R"({
  "synchronousWindowSystemEvents": true,
  "windowFrameMargins": false,
  "screens": [
    {"name": "right", "x": 1920, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBase": 96, "dpr": 1},
    {"name": "primary", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBase": 96, "dpr": 1}
  ]
})";

// The offscreen platform says so for every opacity change and raise; the widget still keeps the value.
QtMessageHandler defaultMessageHandler = nullptr;
void withoutOffscreenNotices(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
    if (defaultMessageHandler) defaultMessageHandler(type, context, message);
}
class HUDWindowControllerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("screens.json"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(screensConfig);
        file.close();
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(path));
        hudTestApplication();
        defaultMessageHandler = qInstallMessageHandler(withoutOffscreenNotices);
    }

    void showLevel(double db, HUDAppearance appearance = HUDAppearance::dark) {
        MonitorSnapshot snapshot;
        snapshot.levelDB = db;
        hud.show(snapshot, MonitorEvent::level, 0, appearance, std::nullopt);
    }

    bool onScreen() { return hud.window().isVisible(); }
    double opacity() { return hud.window().windowOpacity(); }

    ManualMainQueue queue;
    HUDWindowController hud{queue};
};

TEST_F(HUDWindowControllerTest, WindowIsUndecoratedOnTopClickThroughAndNeverFocused) {
    const Qt::WindowFlags flags = hud.window().windowFlags();
    for (Qt::WindowType flag : {Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::WindowTransparentForInput,
                                Qt::WindowDoesNotAcceptFocus}) {
        EXPECT_TRUE(flags.testFlag(flag)) << std::hex << flag;
    }
    EXPECT_EQ(hud.window().windowType(), Qt::Tool);
    EXPECT_TRUE(hud.window().testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(onScreen());
    EXPECT_EQ(opacity(), 0.0);
    EXPECT_EQ(hud.window().size(), QSize(240, 88));
    EXPECT_EQ(hud.autoHideDelay(), 2000ms);
}

TEST_F(HUDWindowControllerTest, SitsSixteenPointsInsideTheTopRightOfThePrimaryScreen) {
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1920, 1080));
    struct Case {
        HUDSize size;
        QSize expected;
    };
    for (const Case& c :
         {Case{HUDSize::small, {240, 88}}, Case{HUDSize::medium, {288, 106}}, Case{HUDSize::large, {336, 123}}}) {
        hud.applySize(c.size);
        showLevel(-10);
        EXPECT_EQ(hud.window().size(), c.expected);
        EXPECT_EQ(hud.view().size(), c.expected);
        EXPECT_EQ(hud.view().hudSize(), c.size);
        EXPECT_EQ(hud.window().geometry(), QRect(QPoint(1920 - c.expected.width() - 16, 16), c.expected));
    }
}

TEST_F(HUDWindowControllerTest, FadesInThenHidesAfterTheDelayWithAShortFadeOut) {
    showLevel(-10);
    EXPECT_TRUE(onScreen());
    queue.advance(100ms);
    EXPECT_GT(opacity(), 0.0);
    EXPECT_LT(opacity(), 1.0);
    queue.advance(200ms);
    EXPECT_EQ(opacity(), 1.0);
    queue.advance(1690ms);  // 1.99 s after the show
    EXPECT_EQ(opacity(), 1.0);
    queue.advance(100ms);  // 2.09 s: fading out
    EXPECT_TRUE(onScreen());
    EXPECT_LT(opacity(), 1.0);
    EXPECT_GT(opacity(), 0.0);
    queue.advance(100ms);  // 2.19 s: the 0.18 s fade is over
    EXPECT_FALSE(onScreen());
    EXPECT_EQ(opacity(), 0.0);
}

TEST_F(HUDWindowControllerTest, AShowRestartsTheDelay) {
    showLevel(-10);
    queue.advance(1s);
    showLevel(-9);
    queue.advance(1900ms);  // 2.9 s after the first show
    EXPECT_TRUE(onScreen());
    EXPECT_EQ(opacity(), 1.0);
    queue.advance(300ms);
    EXPECT_FALSE(onScreen());
}

TEST_F(HUDWindowControllerTest, AShowDuringTheFadeOutKeepsTheWindowAtFullOpacity) {
    showLevel(-10);
    queue.advance(2090ms);
    ASSERT_TRUE(onScreen());
    ASSERT_LT(opacity(), 1.0);
    showLevel(-8);
    EXPECT_EQ(opacity(), 1.0);
    queue.advance(1s);
    EXPECT_TRUE(onScreen());
    EXPECT_EQ(opacity(), 1.0);
    queue.advance(1200ms);
    EXPECT_FALSE(onScreen()) << "a new hide was scheduled by the show";
}

TEST_F(HUDWindowControllerTest, HeldStaysUpUntilReleasedThenHidesAFullDelayLater) {
    hud.setHeld(true);
    for (int i = 0; i < 5; ++i) {
        showLevel(-10 + i);
        queue.advance(30s);
    }
    EXPECT_TRUE(onScreen());
    EXPECT_EQ(opacity(), 1.0);
    hud.setHeld(false);
    queue.advance(1990ms);
    EXPECT_EQ(opacity(), 1.0);
    queue.advance(200ms);
    EXPECT_FALSE(onScreen());
}

TEST_F(HUDWindowControllerTest, HoldingCancelsAPendingHide) {
    showLevel(-10);
    queue.advance(1s);
    hud.setHeld(true);
    queue.advance(10s);
    EXPECT_TRUE(onScreen());
    EXPECT_EQ(opacity(), 1.0);
}

TEST_F(HUDWindowControllerTest, DisplayTimeIsLimitedToAQuarterSecondAndAMinute) {
    struct Case {
        double seconds;
        std::chrono::milliseconds delay;
    };
    for (const Case& c : {Case{0.1, 250ms}, Case{0.25, 250ms}, Case{-3, 250ms}, Case{std::nan(""), 250ms},
                          Case{2.5, 2500ms}, Case{1.2345, 1234ms}, Case{60, 60s}, Case{90, 60s}, Case{INFINITY, 60s}}) {
        hud.applyDisplayTime(c.seconds);
        EXPECT_EQ(hud.autoHideDelay(), c.delay) << c.seconds;
    }
    hud.applyDisplayTime(0.5);
    showLevel(-10);
    queue.advance(490ms);
    EXPECT_TRUE(onScreen());
    queue.advance(200ms);
    EXPECT_FALSE(onScreen());
}

TEST_F(HUDWindowControllerTest, MessagesAndAppearanceArePerShow) {
    MonitorSnapshot snapshot;
    snapshot.levelDB = -20;
    hud.show(snapshot, MonitorEvent::level, 0, HUDAppearance::light, QStringLiteral("Mix"));
    EXPECT_EQ(renderHUD(hud.view()).pixelColor(3, 80), QColor(244, 243, 236));

    hud.showMessage(QStringLiteral("No Interface Detected"), HUDAppearance::dark);
    EXPECT_TRUE(hud.view().showsMessage());
    EXPECT_EQ(hud.view().referenceLabel(), QStringLiteral("Mix")) << "the state stays for later";
    EXPECT_EQ(renderHUD(hud.view()).pixelColor(3, 80), QColor(7, 9, 10));
    EXPECT_EQ(hud.window().palette().color(QPalette::Window), QColor(7, 9, 10));

    hud.show(snapshot, MonitorEvent::level, 0, HUDAppearance::light, std::nullopt);
    EXPECT_FALSE(hud.view().showsMessage());
    EXPECT_EQ(renderHUD(hud.view()).pixelColor(3, 80), QColor(244, 243, 236));
}

TEST_F(HUDWindowControllerTest, WorkLeftOnTheQueueAfterTheControllerIsGoneDoesNothing) {
    ManualMainQueue ownQueue;
    for (std::chrono::milliseconds pending : {1000ms, 2050ms}) {  // a pending hide; a fade-out under way
        {
            HUDWindowController gone(ownQueue);
            gone.show(MonitorSnapshot{}, MonitorEvent::level, 0, HUDAppearance::dark, std::nullopt);
            ownQueue.advance(pending);
        }
        ownQueue.advance(10s);
    }
    SUCCEED();
}

}  // namespace
}  // namespace quillmark::testing
