// The consent dialog on a real X server: the user's Return and Escape reach it with no control focused,
// and the window manager's close request (WM_DELETE_WINDOW, what its close button and Alt+F4 send) is
// ignored.
#include "WidgetTestSupport.h"

#include "app/dialogs/ConsentDialog.h"

#include "TestApplication.h"
#include "X11TestSupport.h"
#include "XTestKeyboard.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstring>

namespace quillmark::testing {
namespace {

constexpr std::uint32_t kReturn = 0xff0d;
constexpr std::uint32_t kEscape = 0xff1b;
constexpr std::uint32_t kW = 0x77;

// Runs `work` once the open dialog has the keyboard focus of the X server.
void whenDialogIsActive(std::function<void(DialogWindow&)> work) {
    whenDialogOpens([work = std::move(work)](DialogWindow& dialog) {
        ASSERT_TRUE(waitFor([&] { return dialog.isActiveWindow(); }));
        work(dialog);
    });
}

bool ask() {
    return ConsentDialog::run(QStringLiteral("Launch at login"), QStringLiteral("Start Quillmark when you log in?"),
                              QStringLiteral("Start at login"), QStringLiteral("Not now"), HUDAppearance::dark);
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return value;
}

// What a window manager sends when the user closes a window.
void sendDeleteWindow(xcb_connection_t* connection, xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(connection, "WM_PROTOCOLS");
    event.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

// Counts the close requests and the Ctrl+W presses that reach a widget.
class RequestCounter : public QObject {
public:
    int closes = 0;
    int controlW = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) ++closes;
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_W && key->modifiers() == Qt::ControlModifier) ++controlW;
        }
        return false;
    }
};

TEST(ConsentDialogX11, KeyboardAnswersWithoutThePointer) {
    testApplication<QApplication>();
    XTestKeyboard keyboard;
    bool buttonFocused = true;
    whenDialogIsActive([&](DialogWindow&) {
        buttonFocused = dynamic_cast<DialogButton*>(QApplication::focusWidget()) != nullptr;
        keyboard.tap({kReturn});
    });
    EXPECT_TRUE(ask());
    EXPECT_FALSE(buttonFocused);

    whenDialogIsActive([&](DialogWindow&) { keyboard.tap({kEscape}); });
    EXPECT_FALSE(ask());
}

TEST(ConsentDialogX11, WindowManagerCloseAndControlWAreIgnored) {
    testApplication<QApplication>();
    XTestKeyboard keyboard;
    bool stayedOpen = false;
    whenDialogIsActive([&](DialogWindow& dialog) {
        RequestCounter requests;
        dialog.installEventFilter(&requests);
        sendDeleteWindow(keyboard.connection(), static_cast<xcb_window_t>(dialog.winId()));
        ASSERT_TRUE(waitFor([&] { return requests.closes == 1; }));
        keyboard.tap({keysym::Control_L, kW});
        ASSERT_TRUE(waitFor([&] { return requests.controlW == 1; }));
        QCoreApplication::processEvents();
        dialog.removeEventFilter(&requests);
        stayedOpen = dialog.isVisible() && dialog.isRunningModal();
        keyboard.tap({kEscape});
    });
    EXPECT_FALSE(ask());
    EXPECT_TRUE(stayedOpen);
}

}  // namespace
}  // namespace quillmark::testing
