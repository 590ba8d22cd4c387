#include "app/meters/MeterWindowController.h"

#include "ManualMainQueue.h"
#include "TestApplication.h"

#include "app/look/HUDTokens.h"
#include "app/meters/MeterWindowFrame.h"
#include "app/settings/MemoryUserDefaults.h"
#include "core/ChannelLayout.h"
#include <QApplication>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>

namespace quillmark {
namespace {

using namespace std::chrono_literals;
using testing::ManualMainQueue;

constexpr const char* kKey = "Quillmark.meterWindowFrame.v1";

// The offscreen platform's one screen; the stored frame's y counts up from its bottom edge.
class MeterWindowControllerTest : public ::testing::Test {
protected:
    MeterWindowControllerTest() { testing::testApplication<QApplication>(); }

    std::unique_ptr<MeterWindowController> makeController() {
        auto controller = std::make_unique<MeterWindowController>(store, defaults, queue);
        controller->onShow = [this] { ++shows; };
        return controller;
    }

    static double screenHeight() { return QGuiApplication::primaryScreen()->geometry().height(); }
    // A desktop rectangle as the stored text names it.
    static QRect desktop(double x, double y, double w, double h) {
        return MeterWindowFrame::toDesktop(QRectF(x, y, w, h), QGuiApplication::primaryScreen()->geometry()).toRect();
    }
    std::optional<std::string> saved() const { return defaults.string(kKey); }
    void settle(MainQueue::Clock::duration step) {
        QCoreApplication::processEvents();
        queue.advance(step);
        QCoreApplication::processEvents();
    }

    ManualMainQueue queue;
    MeterStore store{queue};
    MemoryUserDefaults defaults;
    int shows = 0;
};

TEST_F(MeterWindowControllerTest, TheFrameRoundTripsThroughTheSettings) {
    auto first = makeController();
    first->show();
    settle(1s);
    first->window().setGeometry(desktop(100, 50, 300, 400));
    settle(10ms);
    ASSERT_EQ(saved(), "100.0 50.0 300.0 400.0");
    first.reset();

    auto second = makeController();
    EXPECT_EQ(second->window().geometry().size(), QSize(220, 320));  // nothing read before the first show
    second->show();
    settle(1s);
    EXPECT_EQ(second->window().geometry(), desktop(100, 50, 300, 400));
    EXPECT_EQ(saved(), "100.0 50.0 300.0 400.0");
}

TEST_F(MeterWindowControllerTest, UsesOnlyValidSavedFrames) {
    struct Case {
        const char* text;
        bool used;
    };
    const double top = screenHeight();
    const std::string onTop = "100 " + std::to_string(top - 39) + " 300 400";  // 39 high on the screen
    for (const Case& c : {Case{"100 50 300 400", true}, Case{"100 x 50 300 400", true}, Case{"100 50 300 400 5", false},
                          Case{"100 50 300", false}, Case{"100 50 139 400", false}, Case{"100 50 300 219", false},
                          Case{"-221 50 300 400", false},  // 79 wide on screen
                          Case{onTop.c_str(), false}, Case{"garbage", false}}) {
        defaults.setString(kKey, c.text);
        auto controller = makeController();
        controller->show();
        settle(1s);
        if (c.used) {
            EXPECT_EQ(controller->window().geometry(), desktop(100, 50, 300, 400)) << c.text;
        } else {
            // Left where the platform put the initial frame.
            EXPECT_EQ(controller->window().geometry().size(), QSize(220, 320)) << c.text;
            EXPECT_NE(controller->window().geometry(), desktop(100, 50, 300, 400)) << c.text;
        }
    }
}

TEST_F(MeterWindowControllerTest, MovesInTheFirstStretchAreNotStored) {
    defaults.setString(kKey, "100 50 300 400");
    auto controller = makeController();
    controller->show();
    settle(200ms);
    controller->window().setGeometry(desktop(300, 60, 300, 400));  // a window manager placing it
    settle(0ms);
    EXPECT_EQ(saved(), "100 50 300 400");
    // The later re-applications put the saved frame back.
    settle(400ms);
    EXPECT_EQ(controller->window().geometry(), desktop(100, 50, 300, 400));

    settle(400ms);  // a second after the first show
    controller->window().setGeometry(desktop(200, 70, 300, 400));
    settle(0ms);
    EXPECT_EQ(saved(), "200.0 70.0 300.0 400.0");
}

TEST_F(MeterWindowControllerTest, ShowingAVisibleWindowOnlyRaisesIt) {
    auto controller = makeController();
    controller->show();
    EXPECT_EQ(shows, 1);
    settle(1s);
    const auto pending = queue.delayedCount();
    controller->show();
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(queue.delayedCount(), pending);

    controller->window().close();  // the close button only orders it out
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller->isVisible());
    controller->show();
    EXPECT_TRUE(controller->isVisible());
    EXPECT_EQ(shows, 2);
    controller->hide();
    EXPECT_FALSE(controller->isVisible());
}

TEST_F(MeterWindowControllerTest, FeedsTheViewFromTheStoreAndTheHeaderFromTheMode) {
    auto controller = makeController();
    store.setChannels(ChannelLayout::channels("5.1", MeterChannelOrder::film));
    ASSERT_EQ(controller->view().channels().size(), 6u);
    EXPECT_EQ(controller->view().channels(), store.channels());

    controller->setSurroundMode("5.1");
    EXPECT_EQ(controller->view().surroundModeText(), "5.1");
    controller->setSurroundMode(std::nullopt);
    EXPECT_EQ(controller->view().surroundModeText(), "");

    controller.reset();  // unregistered: the store's next notification reaches nobody
    store.setChannels(ChannelLayout::channels("STEREO", MeterChannelOrder::film));
}

TEST_F(MeterWindowControllerTest, AppliesTheAppearance) {
    auto controller = makeController();
    controller->setAppearance(HUDAppearance::dark);
    EXPECT_TRUE(controller->view().isDarkAppearance());
    EXPECT_EQ(controller->window().palette().color(QPalette::Window), HUDTokens::resolve(HUDTokens::bg, true));
    controller->setAppearance(HUDAppearance::light);
    EXPECT_FALSE(controller->view().isDarkAppearance());
    controller->setAppearance(HUDAppearance::system);
    EXPECT_EQ(controller->view().isDarkAppearance(), HUDTokens::systemIsDark());
}

TEST_F(MeterWindowControllerTest, IsTheFloatingMonitorMetersWindow) {
    auto controller = makeController();
    QWidget& window = controller->window();
    EXPECT_EQ(window.windowTitle(), "Monitor Meters");
    EXPECT_EQ(window.minimumSize(), QSize(140, 220));
    EXPECT_EQ(window.geometry().size(), QSize(220, 320));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window.testAttribute(Qt::WA_QuitOnClose));
}

}  // namespace
}  // namespace quillmark
