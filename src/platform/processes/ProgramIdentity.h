#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quillmark {

// Who this program is (DESIGN.md, "the program's identity"): its resolved executable and, only when it
// really runs from an AppImage, that AppImage. A process runs from an AppImage when $APPIMAGE names an
// existing file and its executable lies inside $APPDIR; otherwise both variables are ignored, since every
// process that an AppImage-packaged program starts (a terminal's shell, an editor's helper, the viewer
// Quillmark itself opens) inherits them. The single-instance guard, the login item and the updater all
// take the program from here.
class ProgramIdentity {
public:
    // A process's environment: the value of one variable, nothing when unset.
    using Environment = std::function<std::optional<std::string>(const std::string& name)>;

    // The AppImage a process runs from.
    struct AppImageRun {
        std::string image;      // the AppImage file ($APPIMAGE), absolute and normalised
        std::string appDir;     // where it is mounted or extracted ($APPDIR), absolute and normalised
        std::string innerPath;  // the executable's path relative to appDir (e.g. usr/bin/quillmark)
        friend bool operator==(const AppImageRun&, const AppImageRun&) = default;
    };

    ProgramIdentity() = default;
    // A program installed as a plain executable.
    static ProgramIdentity installed(std::string executable);
    // The identity of a process whose resolved executable is `executable`, with `environment`.
    static ProgramIdentity of(std::string executable, const Environment& environment);
    // This process: /proc/self/exe and its own environment.
    static ProgramIdentity thisProcess();

    const std::string& executable() const { return executable_; }
    const std::optional<AppImageRun>& appImage() const { return appImage_; }
    bool runsFromAppImage() const { return appImage_.has_value(); }
    // What names the program to the single-instance guard, the login item and the updater: the
    // AppImage file when run from one, else the executable. Empty when the executable is unknown.
    const std::string& program() const { return appImage_ ? appImage_->image : executable_; }

    // Whether a process with the resolved `executable` and `environment` runs this program: its
    // executable is ours, or, for a copy run from an AppImage, its APPIMAGE is ours and its executable
    // lies inside its own APPDIR at our executable's path there. A process whose executable is our
    // AppImage file itself (the AppImage runtime that mounts and serves it) never does.
    bool isRunBy(const std::string& executable, const Environment& environment) const;

    // The resolved executable of the process whose /proc directory is `procDir` ("/proc/self" for
    // this one), with the " (deleted)" the kernel adds once the file was removed or replaced taken off.
    static std::optional<std::string> executableOf(const std::string& procDir);
    // This process's environment.
    static Environment processEnvironment();

    friend bool operator==(const ProgramIdentity&, const ProgramIdentity&) = default;

private:
    std::string executable_;
    std::optional<AppImageRun> appImage_;
};

}  // namespace quillmark
