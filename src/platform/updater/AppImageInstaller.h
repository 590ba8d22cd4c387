#pragma once

#include "platform/updater/UpdateInstaller.h"

namespace quillmark {

// Replaces the running AppImage with a verified release: a copy written beside it, synced to disk, given
// the old file's mode and renamed over it, so the old file stays whole until the new one is complete.
// Only an AppImage replaces an AppImage: when the release or the file in place is anything else (a
// .deb, say), nothing is changed and the user is told that the update cannot be installed here.
class AppImageInstaller final : public UpdateInstaller {
public:
    explicit AppImageInstaller(QString appImagePath) : appImagePath_(std::move(appImagePath)) {}

    // Thread-safe: reads and writes files only.
    Outcome install(const QString& verifiedFile) override;
    bool installsOffMainThread() const override { return true; }

    // Whether the open file `fd` is an AppImage of type 2: an ELF executable with "AI" 0x02 at byte 8.
    static bool isAppImage(int fd);

    const QString& appImagePath() const { return appImagePath_; }

private:
    QString appImagePath_;
};

}  // namespace quillmark
