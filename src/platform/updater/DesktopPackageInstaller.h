#pragma once

#include "platform/updater/UpdateInstaller.h"

namespace quillmark {

// Hands a verified package (this project builds a .deb) to the desktop, whose package installer
// finishes the installation with the user.
class DesktopPackageInstaller final : public UpdateInstaller {
public:
    explicit DesktopPackageInstaller(OpenUrl openUrl) : openUrl_(std::move(openUrl)) {}

    Outcome install(const QString& verifiedFile) override;

private:
    OpenUrl openUrl_;
};

}  // namespace quillmark
