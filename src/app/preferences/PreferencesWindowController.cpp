#include "app/preferences/PreferencesWindowController.h"

#include "app/ChangedValues.h"
#include "app/WindowPresenter.h"
#include "app/WindowShortcuts.h"
#include "app/look/HUDTokens.h"
#include "app/preferences/PreferencesView.h"
#include "app/preferences/kit/VellScrollArea.h"
#include "app/settings/PreferencesStore.h"
#include "base/MainQueue.h"

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace quillmark {

PreferencesWindowController::PreferencesWindowController(PreferencesStore& store, MonitorStateStore& monitorStore,
                                                         LoginItemController& loginItem, MainQueue& queue,
                                                         std::function<void(bool)> onRecordingChanged)
    : window_(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                                     Qt::WindowMinimizeButtonHint)),
      scrollArea_(new VellScrollArea(window_.get())), view_(new PreferencesView(store, loginItem, monitorStore, queue)),
      queue_(queue) {
    view_->onRecordingChanged = std::move(onRecordingChanged);
    view_->onContentHeightChanged = [this] { queue_.post(guard_.wrap([this] { resizeToFit(); })); };
    window_->setWindowTitle(QStringLiteral("Quillmark Preferences"));
    window_->setObjectName(QStringLiteral("preferencesWindow"));
    window_->setFocusPolicy(Qt::ClickFocus);
    WindowShortcuts::install(*window_);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea_);
    scrollArea_->setWidget(view_);

    const int width = static_cast<int>(PreferencesView::contentWidth);
    const int content = contentHeight();
    const QRect available = availableArea();
    const QMargins frame = frameMargins();
    const int height = std::min(content, available.height() - frame.top() - frame.bottom());
    view_->resize(width, content);
    window_->setFixedSize(width, height);
    // Centred, frame and all; the top of a window taller than the screen stays on it.
    const QSize outer = window_->size().grownBy(frame);
    QPoint topLeft = available.center() - QPoint(outer.width() / 2, outer.height() / 2);
    topLeft.ry() = std::max(topLeft.y(), available.top());
    window_->move(topLeft);
    applyAppearance(store.hudAppearance.value());
    splResize_ = ChangedValues::observe<bool>(
        store.splReadoutEnabled, [this](const bool&) { queue_.post(guard_.wrap([this] { resizeToFit(); })); },
        Published<bool>::Initial::skip);
    // The window manager frames the window after it is mapped and moves it by the title bar's height.
    window_->winId();
    for (auto changed : {&QWindow::xChanged, &QWindow::yChanged})
        QObject::connect(window_->windowHandle(), changed, window_.get(), [this] { frameMayHaveChanged(); });
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
    WindowPresenter::present(*window_);
    frameMayHaveChanged();
    if (wasVisible) return;  // the focused control keeps its focus
    // No field focused. Clearing the focus is not enough: on activation Qt focuses the first field of a
    // window that has no focus, so the scroll area takes it (the arrow keys then scroll), now and once
    // more after activation.
    auto focusArea = [this] { scrollArea_->setFocus(Qt::OtherFocusReason); };
    focusArea();
    queue_.post(guard_.wrap(focusArea));
}

int PreferencesWindowController::contentHeight() { return std::max(minimumContentHeight, view_->fittingHeight()); }

QRect PreferencesWindowController::availableArea() const {
    const QScreen* screen = window_->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), window_->size());
}

void PreferencesWindowController::frameMayHaveChanged() {
    if (!window_->isVisible()) return;
    const QRect outer = window_->frameGeometry();
    const QRect inner = window_->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    // None yet: not framed so far, or no window manager; the estimate stands.
    if (frame.isNull() || frame == frame_) return;
    frame_ = frame;
    resizeToFit();
}

void PreferencesWindowController::resizeToFit() {
    const int content = contentHeight();
    const int width = window_->width();
    if (view_->height() != content) view_->resize(width, content);
    const QRect available = availableArea();
    const QMargins frame = frameMargins();
    const int height = std::min(content, available.height() - frame.top() - frame.bottom());
    // Where the frame's top left is now; before the window manager has framed the window, where it
    // was asked to put it.
    const QPoint topLeft = window_->frameGeometry().topLeft();
    const QSize outer = QSize(width, height).grownBy(frame);
    int top = topLeft.y();
    if (top + outer.height() > available.bottom() + 1) top = available.bottom() + 1 - outer.height();
    top = std::max(top, available.top());
    int left = topLeft.x();
    if (left + outer.width() > available.right() + 1) left = available.right() + 1 - outer.width();
    left = std::max(left, available.left());
    if (height != window_->height()) window_->setFixedSize(width, height);
    if (QPoint(left, top) != topLeft) window_->move(left, top);
}

}  // namespace quillmark
