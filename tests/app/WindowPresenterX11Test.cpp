// Our windows under a real window manager (openbox) on the test's own X server: one minimised by the
// user comes back, in front and active, when the tray menu asks for it again.
#include "ManualMainQueue.h"
#include "OpenboxWindowManager.h"
#include "ScopedEnvironment.h"
#include "TestApplication.h"
#include "X11TestSupport.h"

#include "app/AppDelegate.h"
#include "app/dialogs/AboutWindowController.h"
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
        options.queue = &queue;
        options.defaults = &defaults;
    }

    void SetUp() override { ASSERT_TRUE(manager.isManaging()) << manager.error(); }

    static xcb_window_t idOf(QWidget& window) { return static_cast<xcb_window_t>(window.winId()); }

    QTemporaryDir configHome;
    ScopedEnvironment configEnvironment{"XDG_CONFIG_HOME", configHome.path().toStdString().c_str()};
    ManualMainQueue queue;
    MemoryUserDefaults defaults;
    AppDelegate::Options options;
    OpenboxWindowManager manager;
};

TEST_F(WindowPresenterX11Test, AMinimisedWindowIsRestoredRaisedAndActivatedWhenShownAgain) {
    AppDelegate delegate(options);
    struct Case {
        const char* name;
        std::function<void()> show;  // what the tray menu item does
        std::function<QWidget&()> window;
    };
    const Case cases[] = {
        {"About", [&] { delegate.showAbout(); }, [&]() -> QWidget& { return delegate.aboutWindow()->window(); }},
        {"Preferences", [&] { delegate.showPreferences(); },
         [&]() -> QWidget& { return delegate.preferencesWindow()->window(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.show();
        queue.runPending();
        QWidget& window = c.window();
        ASSERT_TRUE(waitFor([&] { return window.isActiveWindow() && manager.wmState(idOf(window)); }));

        manager.minimise(idOf(window));
        ASSERT_TRUE(waitFor([&] {
            return manager.wmState(idOf(window)) == OpenboxWindowManager::iconicState && window.isMinimized() &&
                   !window.isActiveWindow();
        })) << "the window manager did not minimise the window";

        c.show();
        queue.runPending();
        EXPECT_TRUE(waitFor([&] {
            return manager.wmState(idOf(window)) == OpenboxWindowManager::normalState && window.isActiveWindow();
        })) << "still minimised, or not active";
        EXPECT_FALSE(window.isMinimized());
        EXPECT_THAT(manager.atomNames(idOf(window), "_NET_WM_STATE"), Not(Contains("_NET_WM_STATE_HIDDEN")));
        window.close();
        ASSERT_TRUE(waitFor([&] { return !window.isVisible(); }));
    }
}

}  // namespace
}  // namespace quillmark::testing
