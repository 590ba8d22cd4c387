// Our windows under a real window manager (openbox) on the test's own X server: one minimised by the
// user is offered again by the tray menu, and comes back, in front and active, when chosen there.
#include "FakeGlobalShortcuts.h"
#include "FirstRunAsked.h"
#include "ManualMainQueue.h"
#include "OpenboxWindowManager.h"
#include "ScopedEnvironment.h"
#include "TestApplication.h"
#include "TrayMenuChoice.h"
#include "X11TestSupport.h"

#include "app/AppDelegate.h"
#include "app/dialogs/AboutWindowController.h"
#include "app/meters/MeterWindowController.h"
#include "app/preferences/PreferencesWindowController.h"
#include "app/settings/MemoryUserDefaults.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>

namespace quillmark::testing {
namespace {

using ::testing::Contains;
using ::testing::Not;

class WindowPresenterX11Test : public ::testing::Test {
protected:
    WindowPresenterX11Test() {
        testApplication<QApplication>();
        markFirstRunQuestionsAsked(defaults);
        options.queue = &queue;
        options.defaults = &defaults;
        options.enginePort = 9;  // nothing listens: the windows need no engine
        options.shortcuts = [this] { return std::make_unique<FakeGlobalShortcuts>(shortcuts); };
    }

    void SetUp() override { ASSERT_TRUE(manager.isManaging()) << manager.error(); }

    static xcb_window_t idOf(QWidget& window) { return static_cast<xcb_window_t>(window.winId()); }

    static bool choose(AppDelegate& delegate, const QString& title) {
        return chooseTrayItem(delegate.statusBar(), title);
    }

    QTemporaryDir configHome;
    ScopedEnvironment configEnvironment{"XDG_CONFIG_HOME", configHome.path().toStdString().c_str()};
    ManualMainQueue queue;
    MemoryUserDefaults defaults;
    FakeGlobalShortcuts::Log shortcuts;
    AppDelegate::Options options;
    OpenboxWindowManager manager;
};

TEST_F(WindowPresenterX11Test, AMinimisedWindowIsRestoredRaisedAndActivatedWhenShownAgain) {
    AppDelegate delegate(options);
    delegate.finishLaunch();  // the tray menu
    struct Case {
        const char* item;  // the tray menu's, while the window is not on screen
        std::function<QWidget&()> window;
    };
    const Case cases[] = {
        {"About Quillmark", [&]() -> QWidget& { return delegate.aboutWindow()->window(); }},
        {"Preferences\u2026", [&]() -> QWidget& { return delegate.preferencesWindow()->window(); }},
        {"Show Meters", [&]() -> QWidget& { return delegate.meterWindow().window(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const QString item = QString::fromUtf8(c.item);
        ASSERT_TRUE(choose(delegate, item));
        queue.runPending();
        QWidget& window = c.window();
        ASSERT_TRUE(waitFor([&] { return window.isActiveWindow() && manager.wmState(idOf(window)); }));

        manager.minimise(idOf(window));
        ASSERT_TRUE(waitFor([&] {
            return manager.wmState(idOf(window)) == OpenboxWindowManager::iconicState && window.isMinimized() &&
                   !window.isActiveWindow();
        })) << "the window manager did not minimise the window";

        ASSERT_TRUE(choose(delegate, item)) << "a minimised window is offered again";
        queue.runPending();
        EXPECT_TRUE(waitFor([&] {
            return manager.wmState(idOf(window)) == OpenboxWindowManager::normalState && window.isActiveWindow();
        })) << "still minimised, or not active";
        EXPECT_FALSE(window.isMinimized());
        EXPECT_THAT(manager.atomNames(idOf(window), "_NET_WM_STATE"), Not(Contains("_NET_WM_STATE_HIDDEN")));
        window.close();
        ASSERT_TRUE(waitFor([&] { return !window.isVisible(); }));
    }
    delegate.applicationWillTerminate();
}

}  // namespace
}  // namespace quillmark::testing
