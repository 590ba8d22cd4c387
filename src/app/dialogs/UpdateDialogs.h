#pragma once

#include "app/dialogs/UpdateProgressWindow.h"
#include "app/look/HUDAppearance.h"
#include "platform/updater/UpdaterUserDriver.h"

#include <QObject>

#include <functional>
#include <memory>

namespace quillmark {

// The updater's windows in the dialogs' look: the offer ("Install Update" the default, Return; "Skip
// This Version"; "Remind Me Later", Escape), "You're up to date", errors, the hand-off notice, each a
// modal DialogWindow (which pauses hang tracking while open), and the download's progress window, which
// also says when the download is being checked and installed.
// Alerts open once the caller's stack has unwound, so no modal loop runs inside a network callback.
// Main thread only.
class UpdateDialogs final : public UpdaterUserDriver {
public:
    // `appearance` gives the present hudAppearance setting each time a window opens.
    explicit UpdateDialogs(std::function<HUDAppearance()> appearance);
    ~UpdateDialogs() override;

    void showUpdateFound(const AppcastItem& item, bool skippable, std::function<void(UpdateChoice)> reply) override;
    void showUpToDate(std::function<void()> acknowledged) override;
    void showUpdaterError(const std::string& message, std::function<void()> acknowledged) override;
    void showDownloadStarted(std::function<void()> cancel) override;
    void showDownloadProgress(std::int64_t received, std::int64_t expectedTotal) override;
    void showInstallStep(InstallStep step) override;
    void dismissDownload() override;
    void showHandedToInstaller(const std::string& packagePath, std::function<void()> acknowledged) override;

    UpdateProgressWindow* progressWindow() const { return progress_.get(); }

    // The texts of the offer, for a release.
    static QString offerMessage(const AppcastItem& item);

private:
    void later(std::function<void()> work);
    void notice(const QString& title, const QString& message, std::function<void()> acknowledged);

    std::function<HUDAppearance()> appearance_;
    std::unique_ptr<QObject> context_;
    std::unique_ptr<UpdateProgressWindow> progress_;
};

}  // namespace quillmark
