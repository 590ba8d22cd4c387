#pragma once

#include "app/look/HUDAppearance.h"
#include "app/meters/MeterView.h"
#include "app/settings/UserDefaults.h"
#include "base/MainQueue.h"
#include "base/Uuid.h"
#include "base/WeakGuard.h"
#include "core/MeterStore.h"
#include "platform/windows/WindowStateHints.h"

#include <QObject>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace quillmark {

// The floating "Monitor Meters" window around the MeterView: feeds it the meter store's channels,
// shows the surround mode in its header, applies the appearance and keeps the window's frame
// across launches under "Quillmark.meterWindowFrame.v1". One instance for the life of the process.
class MeterWindowController : public QObject {
public:
    MeterWindowController(MeterStore& store, UserDefaults& defaults, MainQueue& queue);
    ~MeterWindowController() override;

    // Shows the window in front, restored if it was minimised. From hidden it also restores the saved
    // frame (again at 0, 0.1, 0.3 and 0.5 s, since window managers move new windows) and calls onShow.
    void show();
    // Orders the window out; it is never destroyed.
    void hide();
    // Shown, minimised or not: the meters it draws stay subscribed.
    bool isVisible() const;
    // Shown and not minimised: what the tray menu's Show/Hide Meters reads.
    bool isOnScreen() const;

    // The header text: the monitor's surround mode, or empty (drawn as an em dash) when none.
    void setSurroundMode(const std::optional<std::string>& mode);
    void setAppearance(HUDAppearance appearance);

    // Called after each show from hidden; the application subscribes the meters here.
    std::function<void()> onShow;

    QWidget& window() { return *window_; }
    MeterView& view() { return *view_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void installFrameObservers();
    std::optional<QRectF> readSavedFrame() const;
    void saveFrame();
    void reapplySavedFrame();
    void applyAppearance();
    QRectF currentFrame() const;
    // The first place of a window with no saved frame: its frame's top left at the screen's free area's.
    void placeInAvailableArea();
    void setFrame(const QRectF& frame);

    MeterStore& store_;
    UserDefaults& defaults_;
    MainQueue& queue_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<WindowStateHints> windowStates_;  // on every workspace; it stays in the window cycle
    MeterView* view_ = nullptr;                       // owned by window_
    std::optional<Uuid> observerID_;
    bool didShowYet_ = false;
    bool didInstallObservers_ = false;
    std::optional<MainQueue::Clock::time_point> firstShowTime_;
    HUDAppearance appearance_ = HUDAppearance::system;
    // Delayed work holds this weakly: it runs only while the controller exists.
    WeakGuard guard_;
};

}  // namespace quillmark
