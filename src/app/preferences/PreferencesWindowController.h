#pragma once

#include "app/look/HUDAppearance.h"
#include "base/ObservationToken.h"
#include "base/WeakGuard.h"

#include <functional>
#include <memory>

class QWidget;

namespace quillmark {

class LoginItemController;
class MainQueue;
class MonitorStateStore;
class PreferencesStore;
class PreferencesView;

// Owns the preferences window "Quillmark Preferences": 880 points wide, as high as its content (at
// least 400), not resizable by the user; the top edge stays put when the SPL rows come and go. Closing
// only hides it. Created once, on first use, and kept. Main thread only.
class PreferencesWindowController {
public:
    static constexpr int minimumContentHeight = 400;

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

private:
    void resizeToFit();

    std::unique_ptr<QWidget> window_;
    PreferencesView* view_;  // a child of the window
    MainQueue& queue_;
    ObservationToken splResize_;
    WeakGuard guard_;  // last: posted work stops first
};

}  // namespace quillmark
