#pragma once

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

namespace quillmark::testing {

// Counts the presses and repeats of one key that reach the application's X connection. Make it after
// the shortcuts under test: the filter made last sees each event first, even one they swallow.
class KeyPressCounter final : public QAbstractNativeEventFilter {
public:
    explicit KeyPressCounter(xcb_keycode_t keycode);
    ~KeyPressCounter() override;
    KeyPressCounter(const KeyPressCounter&) = delete;
    KeyPressCounter& operator=(const KeyPressCounter&) = delete;

    int count() const { return count_; }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    xcb_keycode_t keycode_;
    int count_ = 0;
};

}  // namespace quillmark::testing
