#include "platform/updater/UpdateInstaller.h"

#include "platform/updater/AppImageInstaller.h"
#include "platform/updater/DesktopPackageInstaller.h"

#include <cstdlib>

namespace quillmark {

std::unique_ptr<UpdateInstaller> UpdateInstaller::forThisProcess(OpenUrl openUrl) {
    const char* appImage = std::getenv("APPIMAGE");
    if (appImage && *appImage) return std::make_unique<AppImageInstaller>(QString::fromLocal8Bit(appImage));
    return std::make_unique<DesktopPackageInstaller>(std::move(openUrl));
}

}  // namespace quillmark
