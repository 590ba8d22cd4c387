#pragma once

#include "app/hud/HUDView.h"
#include "app/hud/WindowFade.h"
#include "app/look/HUDAppearance.h"
#include "app/settings/HUDSize.h"
#include "base/MainQueue.h"
#include "base/WeakGuard.h"
#include "core/MonitorEvent.h"
#include "core/MonitorSnapshot.h"
#include "platform/windows/WindowStateHints.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QScreen;
class QWidget;

namespace quillmark {

// Owns the HUD window: undecorated, always on top, click-through and never focused, in the top-right
// corner of the primary screen, on every workspace and out of the taskbar, the pager and the window
// cycle. It fades in on every show, stays for the display time and fades out; the hide and the fades
// run on the given main queue.
class HUDWindowController {
public:
    static constexpr std::chrono::milliseconds fadeInDuration{250};
    static constexpr std::chrono::milliseconds fadeOutDuration{180};
    static constexpr int edgeInset = 16;

    // `queue` must outlive the controller.
    explicit HUDWindowController(MainQueue& queue);
    ~HUDWindowController();
    HUDWindowController(const HUDWindowController&) = delete;
    HUDWindowController& operator=(const HUDWindowController&) = delete;

    void show(const MonitorSnapshot& snapshot, const MonitorEvent& event, double splReferenceAt0dBFS,
              HUDAppearance appearance, const std::optional<QString>& referenceLabel);
    // Shows `text` in place of the state; the state stays as it was for the next show.
    void showMessage(const QString& text, HUDAppearance appearance);
    // While held the HUD never hides; releasing it hides it a full display time later.
    void setHeld(bool held);
    // Resizes the window to the size's scale of the base panel and places it anew.
    void applySize(HUDSize size);
    // Seconds the HUD stays after the last show, limited to 0.25 ... 60; applies to the next hide.
    void applyDisplayTime(double seconds);

    QWidget& window() { return *window_; }
    HUDView& view() { return *view_; }
    std::chrono::milliseconds autoHideDelay() const { return autoHideDelay_; }
    bool isPinned() const { return pinned_; }

private:
    void applyAppearance(HUDAppearance appearance);
    void bringIn();
    void positionOnPrimaryScreen();
    void scheduleHide();
    void fadeOut();
    static QScreen* primaryScreen();

    MainQueue& queue_;
    std::unique_ptr<QWidget> window_;
    // On every workspace, out of the taskbar, the pager and the window cycle.
    std::unique_ptr<WindowStateHints> windowStates_;
    HUDView* view_ = nullptr;  // owned by window_
    std::unique_ptr<WindowFade> fade_;
    MainQueue::Handle hideTask_;
    bool pinned_ = false;
    std::chrono::milliseconds autoHideDelay_{2000};
    // Hide work holds this weakly, so work that outlives the controller does nothing.
    WeakGuard guard_;
};

}  // namespace quillmark
