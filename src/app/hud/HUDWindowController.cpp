#include "app/hud/HUDWindowController.h"

#include "app/look/HUDTokens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace quillmark {

namespace {

constexpr Qt::WindowFlags kHUDWindowFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                            Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;

std::unique_ptr<QWidget> makeWindow() {
    auto window = std::make_unique<QWidget>(nullptr, kHUDWindowFlags);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_TransparentForMouseEvents);
    window->setFocusPolicy(Qt::NoFocus);
    window->setWindowTitle(QStringLiteral("Quillmark HUD"));
    window->setFixedSize(HUDView::baseSize);
    window->setWindowOpacity(0.0);
    return window;
}

}  // namespace

HUDWindowController::HUDWindowController(MainQueue& queue) : queue_(queue), window_(makeWindow()) {
    // The native window exists from now on, so it carries its states before it is first mapped.
    window_->winId();
    windowStates_ = WindowStateHints::keep(*window_->windowHandle(),
                                           {.onAllWorkspaces = true, .skipTaskbar = true, .skipPager = true});
    view_ = new HUDView(window_.get());
    view_->setGeometry(QRect(QPoint(0, 0), HUDView::baseSize));
    fade_ = std::make_unique<WindowFade>(queue_, *window_);
    applyAppearance(HUDAppearance::system);
}

HUDWindowController::~HUDWindowController() {
    hideTask_.cancel();
    fade_.reset();
}

void HUDWindowController::show(const MonitorSnapshot& snapshot, const MonitorEvent& event, double splReferenceAt0dBFS,
                               HUDAppearance appearance, const std::optional<QString>& referenceLabel) {
    applyAppearance(appearance);
    view_->update(snapshot, event, splReferenceAt0dBFS, referenceLabel);
    bringIn();
}

void HUDWindowController::showMessage(const QString& text, HUDAppearance appearance) {
    applyAppearance(appearance);
    view_->setMessage(text);
    bringIn();
}

void HUDWindowController::setHeld(bool held) {
    pinned_ = held;
    if (held) {
        hideTask_.cancel();
        return;
    }
    scheduleHide();
}

void HUDWindowController::applySize(HUDSize size) {
    const double scale = HUDView::scaleFor(size);
    const QSize content(static_cast<int>(std::lround(HUDView::baseSize.width() * scale)),
                        static_cast<int>(std::lround(HUDView::baseSize.height() * scale)));
    window_->setFixedSize(content);
    view_->setGeometry(QRect(QPoint(0, 0), content));
    view_->setSize(size);
    positionOnPrimaryScreen();
}

void HUDWindowController::applyDisplayTime(double seconds) {
    const double milliseconds = (std::isnan(seconds) || seconds < 0.25) ? 250.0 : std::min(seconds, 60.0) * 1000.0;
    autoHideDelay_ = std::chrono::milliseconds(static_cast<long long>(milliseconds));
}

void HUDWindowController::applyAppearance(HUDAppearance appearance) {
    view_->setAppearance(appearance);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, view_->resolved(HUDTokens::bg));
    window_->setPalette(palette);
    window_->setAutoFillBackground(true);
}

// Full opacity at once when on screen (this also ends a running fade-out), else a fade-in; then a
// fresh hide.
void HUDWindowController::bringIn() {
    positionOnPrimaryScreen();
    if (window_->isVisible()) {
        fade_->cancel();
        window_->setWindowOpacity(1.0);
    } else {
        window_->setWindowOpacity(0.0);
        window_->show();
        window_->raise();
        fade_->start(1.0, fadeInDuration);
    }
    scheduleHide();
}

void HUDWindowController::positionOnPrimaryScreen() {
    QScreen* screen = primaryScreen();
    if (!screen) return;
    const QRect visible = screen->availableGeometry();
    const QSize size = window_->size();
    window_->move(visible.x() + visible.width() - size.width() - edgeInset, visible.y() + edgeInset);
}

void HUDWindowController::scheduleHide() {
    if (pinned_) return;
    hideTask_.cancel();
    hideTask_ = queue_.postAfter(autoHideDelay_, guard_.wrap([this] { fadeOut(); }));
}

// The window leaves the screen only if nothing brought it back while it faded.
void HUDWindowController::fadeOut() {
    fade_->start(0.0, fadeOutDuration, [this] {
        if (window_->windowOpacity() == 0.0) window_->hide();
    });
}

// The screen the desktop calls primary (the first in Qt's screen list), none without screens. On X11
// the point (0, 0) is the corner of the whole desktop and may lie on another monitor, so it does not
// pick the primary screen as it does where the menu bar defines the origin.
QScreen* HUDWindowController::primaryScreen() {
    return QGuiApplication::screens().isEmpty() ? nullptr : QGuiApplication::primaryScreen();
}

}  // namespace quillmark
