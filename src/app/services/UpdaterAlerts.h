#pragma once

#include "platform/updater/UpdaterUserDriver.h"

#include <QDialog>
#include <QPointer>
#include <QProgressDialog>

#include <functional>

namespace quillmark {

// The updater's windows: the offer ("Install Update" the default, Return; "Skip This Version"; "Remind
// Me Later", Escape), "You're up to date", errors, the hand-off notice and the download's progress with
// Cancel. Each modal alert pauses the crash reporter's hang tracking while it is open. Main thread only.
class UpdaterAlerts final : public UpdaterUserDriver {
public:
    // Called before a modal alert opens and after it closes; the crash reporter's hang-tracking pause
    // when not given.
    struct ModalAlertHooks {
        std::function<void()> willShowModalAlert;
        std::function<void()> didShowModalAlert;
    };

    UpdaterAlerts();
    explicit UpdaterAlerts(ModalAlertHooks hooks);
    ~UpdaterAlerts() override;

    void showUpdateFound(const AppcastItem& item, bool skippable, std::function<void(UpdateChoice)> reply) override;
    void showUpToDate(std::function<void()> acknowledged) override;
    void showUpdaterError(const std::string& message, std::function<void()> acknowledged) override;
    void showDownloadStarted(std::function<void()> cancel) override;
    void showDownloadProgress(std::int64_t received, std::int64_t expectedTotal) override;
    void dismissDownload() override;
    void showHandedToInstaller(const std::string& packagePath, std::function<void()> acknowledged) override;

    // The alert or progress window on screen, for tests.
    QDialog* currentAlert() const { return alert_; }
    QProgressDialog* progressWindow() const { return progress_; }

private:
    void showNotice(const QString& title, const QString& message, std::function<void()> acknowledged);
    void present(QDialog* alert, std::function<void(int)> finished);

    ModalAlertHooks hooks_;
    QPointer<QDialog> alert_;
    QPointer<QProgressDialog> progress_;
};

}  // namespace quillmark
