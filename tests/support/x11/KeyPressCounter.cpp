#include "KeyPressCounter.h"

#include <QCoreApplication>

namespace quillmark::testing {

KeyPressCounter::KeyPressCounter(xcb_keycode_t keycode) : keycode_(keycode) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeyPressCounter::~KeyPressCounter() { QCoreApplication::instance()->removeNativeEventFilter(this); }

bool KeyPressCounter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_KEY_PRESS &&
        reinterpret_cast<const xcb_key_press_event_t*>(event)->detail == keycode_)
        ++count_;
    return false;
}

}  // namespace quillmark::testing
