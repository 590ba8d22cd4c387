#include "app/preferences/PreferencesWindowController.h"

#include "app/ChangedValues.h"
#include "app/WindowShortcuts.h"
#include "app/look/HUDTokens.h"
#include "app/preferences/PreferencesView.h"
#include "app/settings/PreferencesStore.h"
#include "base/MainQueue.h"

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quillmark {

PreferencesWindowController::PreferencesWindowController(PreferencesStore& store, MonitorStateStore& monitorStore,
                                                         LoginItemController& loginItem, MainQueue& queue,
                                                         std::function<void(bool)> onRecordingChanged)
    : window_(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                                     Qt::WindowMinimizeButtonHint)),
      view_(new PreferencesView(store, loginItem, monitorStore, queue, window_.get())), queue_(queue) {
    view_->onRecordingChanged = std::move(onRecordingChanged);
    view_->onContentHeightChanged = [this] { queue_.post(guard_.wrap([this] { resizeToFit(); })); };
    window_->setWindowTitle(QStringLiteral("Quillmark Preferences"));
    window_->setObjectName(QStringLiteral("preferencesWindow"));
    window_->setFocusPolicy(Qt::ClickFocus);
    WindowShortcuts::install(*window_);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window,
                     HUDTokens::resolve(HUDTokens::bg, HUDTokens::isDark(store.hudAppearance.value())));
    window_->setPalette(palette);
    const int width = static_cast<int>(PreferencesView::contentWidth);
    const int height = std::max(minimumContentHeight, view_->fittingHeight());
    window_->setFixedSize(width, height);
    view_->setGeometry(0, 0, width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        window_->move(available.center() - QPoint(width / 2, height / 2));
    }
    applyAppearance(store.hudAppearance.value());
    splResize_ = ChangedValues::observe<bool>(
        store.splReadoutEnabled, [this](const bool&) { queue_.post(guard_.wrap([this] { resizeToFit(); })); },
        Published<bool>::Initial::skip);
}

PreferencesWindowController::~PreferencesWindowController() = default;

void PreferencesWindowController::applyAppearance(HUDAppearance appearance) {
    VellWidget::applyAppearance(*window_, appearance);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, HUDTokens::resolve(HUDTokens::bg, HUDTokens::isDark(appearance)));
    window_->setPalette(palette);
}

void PreferencesWindowController::show() {
    const bool wasVisible = window_->isVisible();
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (wasVisible) return;  // the focused control keeps its focus
    // No field focused. Clearing the focus is not enough: on activation Qt focuses the first field of a
    // window that has no focus, so the window itself takes it, now and once more after activation.
    auto focusWindow = [this] { window_->setFocus(Qt::OtherFocusReason); };
    focusWindow();
    queue_.post(guard_.wrap(focusWindow));
}

void PreferencesWindowController::resizeToFit() {
    const int target = std::max(minimumContentHeight, view_->fittingHeight());
    const QRect frame = window_->geometry();
    if (target == frame.height()) return;
    // The top edge stays where it is; only the bottom moves.
    window_->setFixedSize(frame.width(), target);
    window_->setGeometry(frame.x(), frame.y(), frame.width(), target);
    view_->setGeometry(0, 0, frame.width(), target);
}

}  // namespace quillmark
