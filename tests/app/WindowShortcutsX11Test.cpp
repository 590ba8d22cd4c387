// Window shortcuts on a real X server: the File menu's Close, Ctrl+W, hides the About window, which
// shows again where it was; Ctrl+, which the tray menu shows beside "Preferences…", opens them from our
// windows.
#include "ManualMainQueue.h"
#include "ScopedEnvironment.h"
#include "TestApplication.h"
#include "WidgetTestSupport.h"
#include "X11TestSupport.h"
#include "XTestKeyboard.h"

#include "app/AppDelegate.h"
#include "app/WindowShortcuts.h"
#include "app/dialogs/AboutWindowController.h"
#include "app/preferences/HotkeyRecorderField.h"
#include "app/preferences/PreferencesView.h"
#include "app/preferences/PreferencesWindowController.h"
#include "app/services/LoginItemController.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"
#include "core/MonitorStateStore.h"
#include "platform/autostart/XdgLoginItemService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

namespace quillmark::testing {
namespace {

constexpr std::uint32_t kW = 0x77;
constexpr std::uint32_t kComma = 0x2c;

TEST(WindowShortcutsX11, ControlWHidesTheAboutWindowAndItShowsAgainWhereItWas) {
    testApplication<QApplication>();
    XTestKeyboard keyboard;
    AboutWindowController about;
    about.show(HUDAppearance::dark);
    ASSERT_TRUE(waitFor([&] { return about.window().isActiveWindow(); }));
    const QPoint position = about.window().pos();

    keyboard.tap({keysym::Control_L, kW});
    ASSERT_TRUE(waitFor([&] { return !about.window().isVisible(); }));

    about.show(HUDAppearance::dark);
    ASSERT_TRUE(waitFor([&] { return about.window().isVisible(); }));
    EXPECT_EQ(about.window().pos(), position);
}

TEST(WindowShortcutsX11, ControlCommaOpensThePreferencesFromOurWindows) {
    testApplication<QApplication>();
    XTestKeyboard keyboard;
    QTemporaryDir configHome;
    ScopedEnvironment configEnvironment("XDG_CONFIG_HOME", configHome.path().toStdString().c_str());
    ManualMainQueue queue;
    MemoryUserDefaults defaults;
    AppDelegate::Options options;
    options.queue = &queue;
    options.defaults = &defaults;
    AppDelegate delegate(options);
    auto preferencesActive = [&] {
        queue.runPending();
        return delegate.preferencesWindow() && delegate.preferencesWindow()->window().isActiveWindow();
    };

    delegate.showAbout();
    ASSERT_TRUE(waitFor([&] { return delegate.aboutWindow()->window().isActiveWindow(); }));
    keyboard.tap({keysym::Control_L, kComma});
    ASSERT_TRUE(waitFor(preferencesActive)) << "Ctrl+, in the About window did not bring the preferences";

    // Back in the About window, and again, the same preferences window comes to the front.
    QWidget& preferences = delegate.preferencesWindow()->window();
    delegate.showAbout();
    ASSERT_TRUE(waitFor([&] { return delegate.aboutWindow()->window().isActiveWindow(); }));
    keyboard.tap({keysym::Control_L, kComma});
    ASSERT_TRUE(waitFor(preferencesActive));
    EXPECT_EQ(&delegate.preferencesWindow()->window(), &preferences);

    // In the preferences window itself it keeps them open.
    keyboard.tap({keysym::Control_L, kComma});
    QCoreApplication::processEvents();
    EXPECT_TRUE(waitFor(preferencesActive));
    EXPECT_TRUE(delegate.aboutWindow()->window().isVisible());
}

// A hotkey field that records takes Ctrl+, as the combination to record; the shortcut does not fire.
TEST(WindowShortcutsX11, ControlCommaGivesWayToAHotkeyFieldThatRecords) {
    testApplication<QApplication>();
    XTestKeyboard keyboard;
    QTemporaryDir configHome;
    MemoryUserDefaults defaults;
    PreferencesStore store(defaults);
    MonitorStateStore monitor;
    LoginItemController loginItem(
        std::make_unique<XdgLoginItemService>("/opt/quillmark/bin/quillmark", configHome.path().toStdString()));
    ManualMainQueue queue;
    PreferencesWindowController preferences(store, monitor, loginItem, queue);
    int opened = 0;
    WindowShortcuts::installPreferences(preferences.window(), [&] { ++opened; });
    preferences.show();
    queue.runPending();
    ASSERT_TRUE(waitFor([&] { return preferences.window().isActiveWindow(); }));

    HotkeyRecorderField& field = preferences.view().recorder(HotkeyAction::mute);
    click(field, field.cellRect().center());
    ASSERT_TRUE(field.isRecording());
    keyboard.tap({keysym::Control_L, kComma});
    ASSERT_TRUE(waitFor([&] { return !field.isRecording(); }));
    EXPECT_EQ(field.shownText(), QStringLiteral("Ctrl+,"));
    EXPECT_EQ(opened, 0);

    keyboard.tap({keysym::Control_L, kComma});
    EXPECT_TRUE(waitFor([&] { return opened == 1; })) << "once the recording is over, the shortcut works";
}

}  // namespace
}  // namespace quillmark::testing
