#include "platform/updater/DesktopPackageInstaller.h"

#include <QFileInfo>

namespace quillmark {

UpdateInstaller::Outcome DesktopPackageInstaller::install(const QString& verifiedFile) {
    if (openUrl_(QUrl::fromLocalFile(QFileInfo(verifiedFile).absoluteFilePath())))
        return {Outcome::Kind::handedToInstaller, {}};
    return {Outcome::Kind::failed, "No package installer on this desktop could open the update."};
}

}  // namespace quillmark
