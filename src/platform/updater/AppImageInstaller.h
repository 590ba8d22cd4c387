#pragma once

#include "platform/updater/UpdateInstaller.h"

namespace quillmark {

// Replaces the running AppImage with a verified release: a copy written beside it, synced to disk, given
// the old file's mode and renamed over it, so the old file stays whole until the new one is complete.
class AppImageInstaller final : public UpdateInstaller {
public:
    explicit AppImageInstaller(QString appImagePath) : appImagePath_(std::move(appImagePath)) {}

    Outcome install(const QString& verifiedFile) override;

    const QString& appImagePath() const { return appImagePath_; }

private:
    QString appImagePath_;
};

}  // namespace quillmark
