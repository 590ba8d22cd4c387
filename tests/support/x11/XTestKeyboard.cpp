#include "XTestKeyboard.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>

namespace quillmark::testing {

namespace {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

xcb_connection_t* connectOrThrow() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        throw std::runtime_error("no X display");
    }
    return connection;
}

xcb_window_t firstRoot(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

}  // namespace

XTestKeyboard::XTestKeyboard() : connection_(connectOrThrow()), root_(firstRoot(connection_)) {}

XTestKeyboard::~XTestKeyboard() { xcb_disconnect(connection_); }

xcb_keycode_t XTestKeyboard::keycode(std::uint32_t keysym) {
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection_),
                                                                                &xcb_key_symbols_free);
    std::unique_ptr<xcb_keycode_t, FreeDeleter> codes(xcb_key_symbols_get_keycode(symbols.get(), keysym));
    if (!codes || codes.get()[0] == XCB_NO_SYMBOL) throw std::runtime_error("no key for keysym");
    return codes.get()[0];
}

void XTestKeyboard::press(std::uint32_t keysym) { fake(XCB_KEY_PRESS, keysym); }

void XTestKeyboard::release(std::uint32_t keysym) { fake(XCB_KEY_RELEASE, keysym); }

void XTestKeyboard::tap(const std::vector<std::uint32_t>& keys) {
    for (std::uint32_t key : keys) press(key);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) release(*key);
}

void XTestKeyboard::setLock(std::uint32_t lockKeysym, std::uint16_t lockBit, bool on) {
    if (bool(modifierState() & lockBit) != on) tap({lockKeysym});
    // The server applies the lock as it processes the key; the state is read after a round trip.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (bool(modifierState() & lockBit) != on) {
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("lock did not change");
        std::this_thread::yield();
    }
}

std::uint16_t XTestKeyboard::modifierState() {
    std::unique_ptr<xcb_query_pointer_reply_t, FreeDeleter> pointer(
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
    return pointer ? pointer->mask & 0xff : 0;
}

void XTestKeyboard::fake(std::uint8_t type, std::uint32_t keysym) {
    xcb_test_fake_input(connection_, type, keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
}

void XTestKeyboard::sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

ForeignGrabber::ForeignGrabber() : connection_(connectOrThrow()), root_(firstRoot(connection_)) {}

ForeignGrabber::~ForeignGrabber() { xcb_disconnect(connection_); }

int ForeignGrabber::grab(xcb_keycode_t keycode, std::uint16_t modifiers) {
    const auto cookie =
        xcb_grab_key_checked(connection_, 0, root_, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(connection_, cookie));
    return error ? error->error_code : 0;
}

void ForeignGrabber::ungrab(xcb_keycode_t keycode, std::uint16_t modifiers) {
    std::free(xcb_request_check(connection_, xcb_ungrab_key_checked(connection_, keycode, root_, modifiers)));
}

}  // namespace quillmark::testing
