#pragma once

#include "app/look/HUDAppearance.h"
#include "base/ObservationToken.h"
#include "base/WeakGuard.h"

#include <QMargins>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace quillmark {

class LoginItemController;
class MainQueue;
class MonitorStateStore;
class PreferencesStore;
class PreferencesView;
class VellScrollArea;

// Owns the preferences window "Quillmark Preferences": 880 points wide, as high as its content (at
// least 400) but never past the available area of its screen, frame included; taller content scrolls
// inside it. Not resizable by the user. When the content grows (the SPL rows, a hotkey notice) the top
// edge stays unless the bottom would leave the screen, and then it moves up, never above the top of the
// available area; when it shrinks the top edge stays. Closing only hides it. Created once, on first
// use, and kept. Main thread only.
class PreferencesWindowController {
public:
    static constexpr int minimumContentHeight = 400;
    // What the window manager's frame is taken to be until it tells: a tall title bar.
    static constexpr QMargins estimatedFrame{4, 40, 4, 4};

    // `onRecordingChanged` hears when shortcut recording starts (true) and when the last one ends.
    PreferencesWindowController(PreferencesStore& store, MonitorStateStore& monitorStore,
                                LoginItemController& loginItem, MainQueue& queue,
                                std::function<void(bool)> onRecordingChanged = {});
    ~PreferencesWindowController();
    PreferencesWindowController(const PreferencesWindowController&) = delete;
    PreferencesWindowController& operator=(const PreferencesWindowController&) = delete;

    // Brings the window to the front; one shown from hidden has no field focused.
    void show();
    // What the appearance setting does to the open window.
    void applyAppearance(HUDAppearance appearance);

    QWidget& window() const { return *window_; }
    PreferencesView& view() const { return *view_; }
    VellScrollArea& scrollArea() const { return *scrollArea_; }
    // The frame as the window manager drew it, or the estimate while it has not.
    QMargins frameMargins() const { return frame_.value_or(estimatedFrame); }

private:
    // The height the content needs.
    int contentHeight();
    QRect availableArea() const;
    // Sizes the window to the content within the screen and keeps it on the screen.
    void resizeToFit();
    // Once the window manager has framed the window, fits it to the frame it drew.
    void frameMayHaveChanged();

    std::unique_ptr<QWidget> window_;
    VellScrollArea* scrollArea_;  // a child of the window
    PreferencesView* view_;       // the scroll area's content
    MainQueue& queue_;
    std::optional<QMargins> frame_;
    ObservationToken splResize_;
    WeakGuard guard_;  // last: posted work stops first
};

}  // namespace quillmark
