#include "app/meters/MeterWindowController.h"

#include "app/WindowPresenter.h"
#include "app/look/HUDTokens.h"
#include "app/meters/MeterWindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <array>
#include <chrono>

namespace quillmark {

namespace {

using namespace std::chrono_literals;

// Window managers may place a newly mapped window themselves; the saved frame is put back a few
// times, and moves in this first stretch are not stored.
constexpr std::array<MainQueue::Clock::duration, 4> kReapplyDelays{0ms, 100ms, 300ms, 500ms};
constexpr MainQueue::Clock::duration kSettleTime = 600ms;

QRectF primaryScreenGeometry() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

std::vector<QRectF> screenFrames() {
    std::vector<QRectF> frames;
    const QRectF primary = primaryScreenGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        frames.push_back(MeterWindowFrame::fromDesktop(screen->geometry(), primary));
    }
    return frames;
}

}  // namespace

MeterWindowController::MeterWindowController(MeterStore& store, UserDefaults& defaults, MainQueue& queue)
    : store_(store), defaults_(defaults), queue_(queue), window_(std::make_unique<QWidget>()) {
    window_->setWindowTitle(QStringLiteral("Monitor Meters"));
    window_->setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    window_->setAttribute(Qt::WA_QuitOnClose, false);  // closing only orders it out
    window_->setMinimumSize(static_cast<int>(MeterWindowFrame::minimumWidth),
                            static_cast<int>(MeterWindowFrame::minimumHeight));
    window_->setGeometry(0, 0, 220, 320);

    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new MeterView(window_.get());
    layout->addWidget(view_);
    applyAppearance();
    window_->installEventFilter(this);
    window_->winId();  // the native window, so that it carries its states before it is first mapped
    windowStates_ = WindowStateHints::keep(*window_->windowHandle(), {.onAllWorkspaces = true});

    observerID_ = store_.observe(
        guard_.wrap([this](const std::vector<MeterChannel>& channels) { view_->setChannels(channels); }));
}

MeterWindowController::~MeterWindowController() {
    if (observerID_) store_.removeObserver(*observerID_);
    window_->removeEventFilter(this);
}

void MeterWindowController::show() {
    const bool wasVisible = window_->isVisible();
    if (!didShowYet_) {
        didShowYet_ = true;
        firstShowTime_ = queue_.now();
        if (auto frame = readSavedFrame()) setFrame(*frame);
        else placeInAvailableArea();
    }
    WindowPresenter::present(*window_);
    if (wasVisible) return;

    for (auto delay : kReapplyDelays) queue_.postAfter(delay, guard_.wrap([this] { reapplySavedFrame(); }));
    if (!didInstallObservers_) {
        didInstallObservers_ = true;
        installFrameObservers();
    }
    if (onShow) onShow();
}

void MeterWindowController::hide() { window_->hide(); }

bool MeterWindowController::isVisible() const { return window_->isVisible(); }

bool MeterWindowController::isOnScreen() const { return window_->isVisible() && !window_->isMinimized(); }

void MeterWindowController::setSurroundMode(const std::optional<std::string>& mode) {
    const QString text = mode ? QString::fromStdString(*mode) : QString();
    if (text == view_->surroundModeText()) return;
    view_->setSurroundModeText(text);
}

void MeterWindowController::setAppearance(HUDAppearance appearance) {
    appearance_ = appearance;
    applyAppearance();
}

void MeterWindowController::applyAppearance() {
    const bool dark = HUDTokens::isDark(appearance_);
    view_->setDarkAppearance(dark);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, HUDTokens::resolve(HUDTokens::bg, dark));
    window_->setPalette(palette);
}

void MeterWindowController::installFrameObservers() {
    // The move and resize events reach eventFilter() from now on.
}

bool MeterWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_.get()) return false;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (didInstallObservers_) saveFrame();
        break;
    case QEvent::ApplicationPaletteChange:
    case QEvent::ThemeChange:
        if (appearance_ == HUDAppearance::system) applyAppearance();
        break;
    default: break;
    }
    return false;
}

void MeterWindowController::saveFrame() {
    if (firstShowTime_ && queue_.now() - *firstShowTime_ < kSettleTime) return;
    defaults_.setString(MeterWindowFrame::settingsKey, MeterWindowFrame::format(currentFrame()).toStdString());
}

std::optional<QRectF> MeterWindowController::readSavedFrame() const {
    auto text = defaults_.string(MeterWindowFrame::settingsKey);
    if (!text) return std::nullopt;
    return MeterWindowFrame::validated(QString::fromStdString(*text), screenFrames());
}

void MeterWindowController::reapplySavedFrame() {
    auto frame = readSavedFrame();
    if (frame && *frame != currentFrame()) setFrame(*frame);
}

QRectF MeterWindowController::currentFrame() const {
    return MeterWindowFrame::fromDesktop(window_->geometry(), primaryScreenGeometry());
}

void MeterWindowController::placeInAvailableArea() {
    // The frame the window manager draws is placed, not the window inside it: its title bar starts on
    // the screen, below a top panel.
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        window_->windowHandle()->setFramePosition(primary->availableGeometry().topLeft());
}

void MeterWindowController::setFrame(const QRectF& frame) {
    window_->setGeometry(MeterWindowFrame::toDesktop(frame, primaryScreenGeometry()).toRect());
}

}  // namespace quillmark
