#include "app/dialogs/DialogWindow.h"

#include "app/ApplicationQuit.h"
#include "app/WindowPresenter.h"
#include "app/dialogs/BackgroundDrag.h"
#include "app/dialogs/WindowAppearance.h"
#include "platform/crash/SentrySDK.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

namespace quillmark {

namespace {

// Keeps the crash reporter from taking the blocked caller for a hang while the loop runs.
class HangTrackingPause {
public:
    HangTrackingPause() { SentrySDK::pauseAppHangTracking(); }
    ~HangTrackingPause() { SentrySDK::resumeAppHangTracking(); }
    HangTrackingPause(const HangTrackingPause&) = delete;
    HangTrackingPause& operator=(const HangTrackingPause&) = delete;
};

}  // namespace

DialogWindow::DialogWindow(std::unique_ptr<DialogPanel> panel, int width)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), panel_(panel.release()),
      width_(width) {
    panel_->setParent(this);
    setWindowTitle(QStringLiteral("Quillmark"));
    setAttribute(Qt::WA_QuitOnClose, false);
    // The window itself takes the keys (Return, Escape); no control inside shows a focus.
    setFocusPolicy(Qt::StrongFocus);
    new BackgroundDrag(*this);
}

DialogWindow::~DialogWindow() = default;

void DialogWindow::present(HUDAppearance appearance) {
    WindowAppearance::apply(*this, appearance);
    const int height = panel_->heightForWidth(width_);
    setFixedSize(width_, height);
    panel_->setGeometry(0, 0, width_, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    clearControlFocus();
}

void DialogWindow::clearControlFocus() { setFocus(Qt::OtherFocusReason); }

std::optional<int> DialogWindow::runModal(HUDAppearance appearance) {
    if (ApplicationQuit::isUnderway()) return std::nullopt;
    answer_.reset();
    present(appearance);
    // Once the loop runs, focus is cleared again: activation may have handed it on meanwhile.
    QTimer::singleShot(0, this, [this] { clearControlFocus(); });
    {
        HangTrackingPause pause;
        QEventLoop loop;
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    hide();
    return answer_;
}

void DialogWindow::stopModal(int code) {
    if (!loop_ || answer_) return;
    answer_ = code;
    loop_->exit(code);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    DialogButton* target = nullptr;
    if (modifiers == Qt::NoModifier && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        target = defaultButton_;
    else if (modifiers == Qt::NoModifier && event->key() == Qt::Key_Escape) target = cancelButton_;
    if (!target) {
        event->ignore();
        return;
    }
    target->click();
}

void DialogWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !loop_) return;
    // Restored once the state change has been handled, not from inside it.
    QTimer::singleShot(0, this, [this] {
        if (loop_ && isMinimized()) WindowPresenter::present(*this);
    });
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // No third answer: the buttons are the only way out, unless the application is quitting.
    if (ApplicationQuit::isUnderway()) event->accept();
    else event->ignore();
}

}  // namespace quillmark
