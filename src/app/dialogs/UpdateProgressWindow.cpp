#include "app/dialogs/UpdateProgressWindow.h"

#include "app/dialogs/ConsentDialog.h"
#include "app/dialogs/WindowAppearance.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace quillmark {
namespace {

QString byteText(std::int64_t bytes) {
    if (bytes < 1'000'000) return QStringLiteral("%1 KB").arg(bytes / 1000);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / 1e6, 0, 'f', 1);
}

}  // namespace

QString UpdateProgressWindow::progressText(std::int64_t received, std::int64_t total) {
    if (total <= 0) return byteText(received);
    return QStringLiteral("%1 of %2").arg(byteText(received), byteText(total));
}

UpdateProgressWindow::UpdateProgressWindow(std::function<void()> cancel, HUDAppearance appearance)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), cancel_(std::move(cancel)),
      panel_(new DialogPanel(QStringLiteral("Downloading Update"), progressText(0, 0), this)),
      bar_(new DownloadProgressBar) {
    setWindowTitle(QStringLiteral("Quillmark"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    panel_->addRow(std::unique_ptr<QWidget>(bar_));
    cancelButton_ = &panel_->addButton(DialogButton::secondary(QStringLiteral("Cancel")));
    QObject::connect(cancelButton_, &DialogButton::clicked, this, [this] {
        if (cancel_) cancel_();
    });
    WindowAppearance::apply(*this, appearance);
    fitHeight();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void UpdateProgressWindow::setProgress(std::int64_t received, std::int64_t total) {
    bar_->setProgress(received, total);
    panel_->message().setRuns({{progressText(received, total), HUDTokens::fgMid}});
    fitHeight();
}

void UpdateProgressWindow::showWorking(const QString& title, const QString& message) {
    cancel_ = nullptr;
    cancelButton_->hide();
    bar_->setProgress(1, 1);
    panel_->title().setRuns({{title, HUDTokens::accent}});
    panel_->message().setRuns({{message, HUDTokens::fgMid}});
    fitHeight();
}

void UpdateProgressWindow::fitHeight() {
    const int height = panel_->heightForWidth(ConsentDialog::width);
    setFixedSize(ConsentDialog::width, height);
    panel_->setGeometry(0, 0, ConsentDialog::width, height);
}

void UpdateProgressWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (cancel_) cancel_();
        return;
    }
    event->ignore();
}

void UpdateProgressWindow::closeEvent(QCloseEvent* event) {
    // Closing from the title bar is cancelling; the owner hides the window when the download ends.
    event->ignore();
    if (cancel_) cancel_();
}

}  // namespace quillmark
