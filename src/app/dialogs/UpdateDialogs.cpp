#include "app/dialogs/UpdateDialogs.h"

#include "app/dialogs/DialogWindow.h"
#include "app/dialogs/NoticeDialog.h"
#include "platform/crash/SentrySDK.h"

#include <QTimer>

namespace quillmark {
namespace {

// Three buttons need more room than the two of the other dialogs.
constexpr int kOfferWidth = 520;
constexpr int kInstall = 1000;
constexpr int kRemindLater = 1001;
constexpr int kSkip = 1002;

// Hang tracking pauses before an alert is even built and resumes once it is gone; the window's own
// pause inside its modal loop nests within this one.
class ModalAlertPause {
public:
    ModalAlertPause() { SentrySDK::pauseAppHangTracking(); }
    ~ModalAlertPause() { SentrySDK::resumeAppHangTracking(); }
    ModalAlertPause(const ModalAlertPause&) = delete;
    ModalAlertPause& operator=(const ModalAlertPause&) = delete;
};

}  // namespace

UpdateDialogs::UpdateDialogs(std::function<HUDAppearance()> appearance)
    : appearance_(std::move(appearance)), context_(std::make_unique<QObject>()) {}

UpdateDialogs::~UpdateDialogs() = default;

void UpdateDialogs::later(std::function<void()> work) { QTimer::singleShot(0, context_.get(), std::move(work)); }

QString UpdateDialogs::offerMessage(const AppcastItem& item) {
    QString message = QStringLiteral("Quillmark %1 is available.").arg(QString::fromStdString(item.displayVersion()));
    if (item.informationalUpdate) message += QStringLiteral(" Its page tells you how to get it.");
    else message += QStringLiteral(" Would you like to install it now?");
    if (item.criticalUpdate) message += QStringLiteral(" It is an important update.");
    if (!item.releaseNotesLink.empty())
        message += QStringLiteral("\n\nRelease notes: ") + QString::fromStdString(item.releaseNotesLink);
    return message;
}

void UpdateDialogs::showUpdateFound(const AppcastItem& item, bool skippable, std::function<void(UpdateChoice)> reply) {
    later([this, item, skippable, reply = std::move(reply)] {
        std::optional<int> answer;
        {
            ModalAlertPause pause;
            DialogWindow window(std::make_unique<DialogPanel>(QStringLiteral("A new version of Quillmark is available"),
                                                              offerMessage(item)),
                                kOfferWidth);
            DialogPanel& panel = window.panel();
            if (skippable) {
                DialogButton& skip = panel.addButton(DialogButton::secondary(QStringLiteral("Skip This Version")));
                QObject::connect(&skip, &DialogButton::clicked, &window, [&window] { window.stopModal(kSkip); });
            }
            DialogButton& remind = panel.addButton(DialogButton::secondary(QStringLiteral("Remind Me Later")));
            DialogButton& install = panel.addButton(DialogButton::primary(
                item.informationalUpdate ? QStringLiteral("Learn More\u2026") : QStringLiteral("Install Update")));
            QObject::connect(&remind, &DialogButton::clicked, &window, [&window] { window.stopModal(kRemindLater); });
            QObject::connect(&install, &DialogButton::clicked, &window, [&window] { window.stopModal(kInstall); });
            window.setCancelButton(&remind);
            window.setDefaultButton(&install);
            answer = window.runModal(appearance_());
        }
        if (answer == kInstall) reply(UpdateChoice::install);
        else if (answer == kSkip) reply(UpdateChoice::skip);
        else reply(UpdateChoice::remindLater);
    });
}

void UpdateDialogs::notice(const QString& title, const QString& message, std::function<void()> acknowledged) {
    later([this, title, message, acknowledged = std::move(acknowledged)] {
        {
            ModalAlertPause pause;
            NoticeDialog::run(title, message, appearance_());
        }
        acknowledged();
    });
}

void UpdateDialogs::showUpToDate(std::function<void()> acknowledged) {
    notice(QStringLiteral("You're up to date"), QStringLiteral("No newer version of Quillmark is available."),
           std::move(acknowledged));
}

void UpdateDialogs::showUpdaterError(const std::string& message, std::function<void()> acknowledged) {
    notice(QStringLiteral("Update failed"), QString::fromStdString(message), std::move(acknowledged));
}

void UpdateDialogs::showHandedToInstaller(const std::string& packagePath, std::function<void()> acknowledged) {
    notice(QStringLiteral("Finish the update in your package installer"),
           QStringLiteral("The verified update (%1) was handed to your desktop's package installer. Install it "
                          "there, then start Quillmark again.")
               .arg(QString::fromStdString(packagePath)),
           std::move(acknowledged));
}

void UpdateDialogs::showDownloadStarted(std::function<void()> cancel) {
    progress_ = std::make_unique<UpdateProgressWindow>(std::move(cancel), appearance_());
    progress_->show();
    progress_->raise();
    progress_->activateWindow();
}

void UpdateDialogs::showDownloadProgress(std::int64_t received, std::int64_t expectedTotal) {
    if (progress_) progress_->setProgress(received, expectedTotal);
}

void UpdateDialogs::showInstallStep(InstallStep step) {
    if (!progress_) return;
    switch (step) {
    case InstallStep::verifying:
        progress_->showWorking(QStringLiteral("Checking Update"),
                               QStringLiteral("Checking the download's size and signature\u2026"));
        return;
    case InstallStep::installing:
        progress_->showWorking(QStringLiteral("Installing Update"),
                               QStringLiteral("Writing the new version in place of this one\u2026"));
        return;
    }
}

void UpdateDialogs::dismissDownload() {
    if (!progress_) return;
    // Called from the window's own Cancel: it goes once that click has returned.
    progress_->hide();
    progress_.release()->deleteLater();
}

}  // namespace quillmark
