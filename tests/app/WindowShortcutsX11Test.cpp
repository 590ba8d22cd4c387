// The File menu's Close as a window shortcut on a real X server: Ctrl+W hides the About window, which
// shows again where it was.
#include "TestApplication.h"
#include "X11TestSupport.h"
#include "XTestKeyboard.h"

#include "app/dialogs/AboutWindowController.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace quillmark::testing {
namespace {

constexpr std::uint32_t kW = 0x77;

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

}  // namespace
}  // namespace quillmark::testing
