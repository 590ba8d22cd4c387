#include "platform/processes/ProgramIdentity.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quillmark {

namespace {

namespace fs = std::filesystem;

// What the kernel appends to an executable's link once the file has been removed or replaced.
constexpr std::string_view kDeletedSuffix = " (deleted)";

bool isAbsolute(const std::optional<std::string>& path) { return path && !path->empty() && path->front() == '/'; }

// The path as written, without "." and ".." steps or a trailing slash. Touches no file: another
// process's APPDIR may be a FUSE mount whose server no longer answers.
std::string lexical(const std::string& path) {
    std::string text = fs::path(path).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

// This process's own paths, with links resolved where they resolve.
std::string resolved(const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::canonical(path, error);
    return error ? lexical(path) : lexical(canonical.string());
}

// `path` relative to `directory` when it lies strictly inside it; both absolute and normalised.
std::optional<std::string> inside(const std::string& path, const std::string& directory) {
    if (directory == "/") return std::nullopt;  // no AppImage is mounted at the root
    const fs::path relative = fs::path(path).lexically_relative(directory);
    if (relative.empty() || relative == "." || *relative.begin() == "..") return std::nullopt;
    return relative.string();
}

}  // namespace

ProgramIdentity ProgramIdentity::installed(std::string executable) {
    ProgramIdentity identity;
    identity.executable_ = std::move(executable);
    return identity;
}

ProgramIdentity ProgramIdentity::of(std::string executable, const Environment& environment) {
    ProgramIdentity identity = installed(executable.empty() ? std::string() : lexical(executable));
    if (identity.executable_.empty()) return identity;
    const auto image = environment("APPIMAGE");
    const auto appDir = environment("APPDIR");
    if (!isAbsolute(image) || !isAbsolute(appDir)) return identity;
    std::error_code error;
    if (!fs::is_regular_file(*image, error)) return identity;
    const std::string directory = resolved(*appDir);
    const auto innerPath = inside(identity.executable_, directory);
    if (!innerPath) return identity;
    identity.appImage_ = AppImageRun{resolved(*image), directory, *innerPath};
    return identity;
}

ProgramIdentity ProgramIdentity::thisProcess() {
    return of(executableOf("/proc/self").value_or(""), processEnvironment());
}

bool ProgramIdentity::isRunBy(const std::string& executable, const Environment& environment) const {
    if (executable.empty() || executable.front() != '/' || executable_.empty()) return false;
    const std::string theirs = lexical(executable);
    // The AppImage runtime: it ends by itself once the copy it serves has ended.
    if (appImage_ && theirs == appImage_->image) return false;
    if (theirs == executable_) return true;
    if (!appImage_) return false;
    const auto image = environment("APPIMAGE");
    const auto appDir = environment("APPDIR");
    if (!isAbsolute(image) || !isAbsolute(appDir) || lexical(*image) != appImage_->image) return false;
    const auto innerPath = inside(theirs, lexical(*appDir));
    return innerPath && *innerPath == appImage_->innerPath;
}

std::optional<std::string> ProgramIdentity::executableOf(const std::string& procDir) {
    std::error_code error;
    std::string target = fs::read_symlink(procDir + "/exe", error).string();
    if (error || target.empty()) return std::nullopt;
    if (target.size() > kDeletedSuffix.size() && target.ends_with(kDeletedSuffix))
        target.erase(target.size() - kDeletedSuffix.size());
    return target;
}

ProgramIdentity::Environment ProgramIdentity::processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
}

}  // namespace quillmark
