#include "app/services/UpdaterAlerts.h"

#include "platform/crash/SentrySDK.h"

#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace quillmark {
namespace {

const QString kAppName = QStringLiteral("Quillmark");

// Progress in kibibytes, so totals beyond the range of int still fit the bar.
int kibibytes(std::int64_t bytes) { return static_cast<int>(std::min<std::int64_t>(bytes / 1024, INT32_MAX)); }

}  // namespace

UpdaterAlerts::UpdaterAlerts()
    : UpdaterAlerts(ModalAlertHooks{&SentrySDK::pauseAppHangTracking, &SentrySDK::resumeAppHangTracking}) {}

UpdaterAlerts::UpdaterAlerts(ModalAlertHooks hooks) : hooks_(std::move(hooks)) {}

UpdaterAlerts::~UpdaterAlerts() {
    if (progress_) delete progress_.data();
    if (alert_) {
        QDialog* open = alert_;
        QObject::disconnect(open, nullptr, nullptr, nullptr);
        delete open;
        if (hooks_.didShowModalAlert) hooks_.didShowModalAlert();
    }
}

void UpdaterAlerts::present(QDialog* alert, std::function<void(int)> finished) {
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::ApplicationModal);
    alert_ = alert;
    QObject::connect(alert, &QDialog::finished, alert, [this, finished = std::move(finished)](int result) {
        alert_ = nullptr;
        if (hooks_.didShowModalAlert) hooks_.didShowModalAlert();
        finished(result);
    });
    if (hooks_.willShowModalAlert) hooks_.willShowModalAlert();
    alert->show();
    alert->raise();
    alert->activateWindow();
}

void UpdaterAlerts::showUpdateFound(const AppcastItem& item, bool skippable, std::function<void(UpdateChoice)> reply) {
    auto* box = new QMessageBox();
    box->setWindowTitle(kAppName);
    box->setText(QStringLiteral("A new version of Quillmark is available"));
    QString message = QStringLiteral("Quillmark %1 is available.").arg(QString::fromStdString(item.displayVersion()));
    if (item.criticalUpdate) message += QStringLiteral(" It is an important update.");
    if (!item.releaseNotesLink.empty())
        message += QStringLiteral(" <a href=\"%1\">Release notes</a>")
                       .arg(QString::fromStdString(item.releaseNotesLink).toHtmlEscaped());
    box->setTextFormat(Qt::RichText);
    box->setInformativeText(message);
    auto* install =
        box->addButton(item.informationalUpdate ? QStringLiteral("Learn More\u2026") : QStringLiteral("Install Update"),
                       QMessageBox::AcceptRole);
    QPushButton* skip =
        skippable ? box->addButton(QStringLiteral("Skip This Version"), QMessageBox::DestructiveRole) : nullptr;
    auto* later = box->addButton(QStringLiteral("Remind Me Later"), QMessageBox::RejectRole);
    box->setDefaultButton(install);
    box->setEscapeButton(later);
    present(box, [box, install, skip, reply = std::move(reply)](int) {
        const auto* clicked = box->clickedButton();
        if (clicked == install) reply(UpdateChoice::install);
        else if (skip && clicked == skip) reply(UpdateChoice::skip);
        else reply(UpdateChoice::remindLater);
    });
}

void UpdaterAlerts::showNotice(const QString& title, const QString& message, std::function<void()> acknowledged) {
    auto* box = new QMessageBox();
    box->setWindowTitle(kAppName);
    box->setText(title);
    box->setInformativeText(message);
    auto* ok = box->addButton(QMessageBox::Ok);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    present(box, [acknowledged = std::move(acknowledged)](int) { acknowledged(); });
}

void UpdaterAlerts::showUpToDate(std::function<void()> acknowledged) {
    showNotice(QStringLiteral("You're up to date"), QStringLiteral("No newer version of Quillmark is available."),
               std::move(acknowledged));
}

void UpdaterAlerts::showUpdaterError(const std::string& message, std::function<void()> acknowledged) {
    showNotice(QStringLiteral("Update Error"), QString::fromStdString(message), std::move(acknowledged));
}

void UpdaterAlerts::showHandedToInstaller(const std::string& packagePath, std::function<void()> acknowledged) {
    showNotice(QStringLiteral("Finish the update in your package installer"),
               QStringLiteral("The verified update (%1) was handed to your desktop's package installer. Install it "
                              "there, then start Quillmark again.")
                   .arg(QString::fromStdString(packagePath)),
               std::move(acknowledged));
}

void UpdaterAlerts::showDownloadStarted(std::function<void()> cancel) {
    dismissDownload();
    progress_ = new QProgressDialog(QStringLiteral("Downloading update\u2026"), QStringLiteral("Cancel"), 0, 0);
    progress_->setWindowTitle(kAppName);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    QObject::connect(progress_, &QProgressDialog::canceled, progress_, [cancel = std::move(cancel)] { cancel(); });
    progress_->show();
}

void UpdaterAlerts::showDownloadProgress(std::int64_t received, std::int64_t expectedTotal) {
    if (!progress_) return;
    progress_->setMaximum(expectedTotal > 0 ? kibibytes(expectedTotal) : 0);
    progress_->setValue(kibibytes(received));
    progress_->setLabelText(
        expectedTotal > 0
            ? QStringLiteral("Downloading update\u2026 %1 of %2 KB").arg(received / 1000).arg(expectedTotal / 1000)
            : QStringLiteral("Downloading update\u2026 %1 KB").arg(received / 1000));
}

void UpdaterAlerts::dismissDownload() {
    if (!progress_) return;
    QProgressDialog* window = progress_;
    progress_ = nullptr;
    QObject::disconnect(window, &QProgressDialog::canceled, nullptr, nullptr);
    window->hide();
    window->deleteLater();
}

}  // namespace quillmark
