#pragma once

#include "platform/updater/AppcastItem.h"

#include <cstdint>
#include <functional>
#include <string>

namespace quillmark {

// What the user sees of the updater. The updater calls one of these at a time, on the main thread; a
// reply callback may be called later, once, and the alert is gone by then.
class UpdaterUserDriver {
public:
    enum class UpdateChoice { install, skip, remindLater };
    // What happens to a complete download, off the main thread: its size and signature are checked,
    // then (an AppImage) it is copied beside the program, synced and renamed into place.
    enum class InstallStep { verifying, installing };

    virtual ~UpdaterUserDriver() = default;

    // A newer release. `skippable` is false for a critical update. For an informational update,
    // install means opening its link.
    virtual void showUpdateFound(const AppcastItem& item, bool skippable, std::function<void(UpdateChoice)> reply) = 0;
    // A check the user asked for found nothing newer.
    virtual void showUpToDate(std::function<void()> acknowledged) = 0;
    // Anything that went wrong, in words for the user.
    virtual void showUpdaterError(const std::string& message, std::function<void()> acknowledged) = 0;
    // The download starts; `cancel` stops it. Progress follows until dismissDownload().
    virtual void showDownloadStarted(std::function<void()> cancel) = 0;
    // `expectedTotal` is 0 when unknown.
    virtual void showDownloadProgress(std::int64_t received, std::int64_t expectedTotal) = 0;
    // The download is complete and `step` is under way; the download's window stays until
    // dismissDownload(), and cancelling has no effect any more.
    virtual void showInstallStep(InstallStep step) = 0;
    virtual void dismissDownload() = 0;
    // The verified package went to the desktop's package installer, which finishes the installation.
    virtual void showHandedToInstaller(const std::string& packagePath, std::function<void()> acknowledged) = 0;
};

}  // namespace quillmark
