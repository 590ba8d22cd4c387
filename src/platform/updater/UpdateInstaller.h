#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>

namespace quillmark {

// Installs a verified release the way the running copy was installed: an AppImage replaces itself, any
// other install hands the package to the desktop's package installer.
class UpdateInstaller {
public:
    struct Outcome {
        enum class Kind { replacedRunningCopy, handedToInstaller, failed };
        Kind kind = Kind::failed;
        std::string error;  // for failed: what the user is told
    };
    // Opens a file or address with the desktop's handler; false when nothing could open it.
    using OpenUrl = std::function<bool(const QUrl&)>;

    virtual ~UpdateInstaller() = default;

    virtual Outcome install(const QString& verifiedFile) = 0;

    // The AppImage installer when $APPIMAGE names this copy's file, else the package hand-off.
    static std::unique_ptr<UpdateInstaller> forThisProcess(OpenUrl openUrl);
};

}  // namespace quillmark
