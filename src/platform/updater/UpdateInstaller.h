#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>

namespace quillmark {

class ProgramIdentity;

// Installs a verified release the way the running copy was installed: an AppImage replaces itself, any
// other install hands the package to the desktop's package installer.
class UpdateInstaller {
public:
    struct Outcome {
        enum class Kind { replacedRunningCopy, handedToInstaller, failed };
        Kind kind = Kind::failed;
        std::string error;     // for failed: what the user is told
        std::string relaunch;  // for replacedRunningCopy: the program to start in place of this one
    };
    // Opens a file or address with the desktop's handler; false when nothing could open it.
    using OpenUrl = std::function<bool(const QUrl&)>;

    virtual ~UpdateInstaller() = default;

    virtual Outcome install(const QString& verifiedFile) = 0;
    // Whether install() only works on files (no windows, nothing of the main thread's), so that the
    // updater runs it on its worker thread; the main thread stays free while a large file is copied
    // and synced. False: it runs on the main thread.
    virtual bool installsOffMainThread() const { return false; }

    // The AppImage installer, replacing that AppImage, when `program` runs from one (ProgramIdentity);
    // else the package hand-off.
    static std::unique_ptr<UpdateInstaller> forProgram(const ProgramIdentity& program, OpenUrl openUrl);
    // The same for this process. An $APPIMAGE it merely inherited is not its AppImage.
    static std::unique_ptr<UpdateInstaller> forThisProcess(OpenUrl openUrl);
};

}  // namespace quillmark
