#include "platform/autostart/XdgLoginItemService.h"

#include "platform/autostart/DesktopEntry.h"
#include "platform/autostart/DesktopExec.h"
#include "platform/autostart/DesktopIdentity.h"
#include "platform/processes/ProgramIdentity.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace quillmark {
namespace {

// Larger files are no entry of ours; reading stops there.
constexpr std::size_t kMaxEntryBytes = 1 << 20;

std::string errorText(int error) { return std::generic_category().message(error); }

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeDirectory() {
    std::string home = environment("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd record{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &record, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/";
}

// mkdir -p, with the XDG base directories' mode for what it creates. 0 or the failing call's errno.
int makeDirectories(const std::string& path) {
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return 0;
    if (errno != ENOENT) return errno;
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return ENOENT;
    if (const int error = makeDirectories(path.substr(0, slash))) return error;
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Writes a temporary file beside `path` and renames it over `path`, so that a reader sees the old entry
// or the new one, never a part. 0 or the failing call's errno.
int replaceFile(const std::string& directory, const std::string& path, std::string_view bytes) {
    std::string temporary = directory + "/." + std::string(DesktopIdentity::desktopId) + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    int error = writeAll(fd, bytes);
    if (!error && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && !error) error = errno;
    if (!error && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error) unlink(temporary.c_str());
    return error;
}

// What reading the entry found: whether something is in its place, the errno of a failed read, the bytes.
struct FileRead {
    bool exists = false;
    int error = 0;
    std::string bytes;
};

FileRead readFile(const std::string& path) {
    FileRead read;
    // Non-blocking, so that a FIFO put in the entry's place cannot stall the caller.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        read.exists = errno != ENOENT && errno != ENOTDIR;
        read.error = errno;
        return read;
    }
    read.exists = true;
    struct stat info {};
    if (fstat(fd, &info) != 0) read.error = errno;
    else if (!S_ISREG(info.st_mode)) read.error = EINVAL;
    char chunk[4096];
    while (!read.error && read.bytes.size() <= kMaxEntryBytes) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) read.error = errno;
        if (got <= 0) break;
        read.bytes.append(chunk, static_cast<std::size_t>(got));
    }
    if (read.bytes.size() > kMaxEntryBytes) read.error = EFBIG;
    close(fd);
    return read;
}

}  // namespace

XdgLoginItemService::XdgLoginItemService(std::string program, std::string configHome)
    : program_(std::move(program)), directory_(std::move(configHome) + "/autostart"),
      entryPath_(directory_ + "/" + std::string(DesktopIdentity::desktopId) + ".desktop") {}

std::unique_ptr<XdgLoginItemService> XdgLoginItemService::forThisProgram() {
    return std::make_unique<XdgLoginItemService>(programFromEnvironment(), configHomeFromEnvironment());
}

std::string XdgLoginItemService::configHomeFromEnvironment() {
    // Relative paths in the XDG variables are invalid and to be ignored.
    std::string configHome = environment("XDG_CONFIG_HOME");
    if (!configHome.empty() && configHome.front() == '/') return configHome;
    return homeDirectory() + "/.config";
}

std::string XdgLoginItemService::programFromEnvironment() { return ProgramIdentity::thisProcess().program(); }

std::string XdgLoginItemService::entryText(std::string_view program) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + DesktopEntry::escape(DesktopIdentity::name) + "\n";
    text += "Comment=" + DesktopEntry::escape(DesktopIdentity::comment) + "\n";
    text += "Exec=" + DesktopEntry::escape(DesktopExec::commandFor(program)) + "\n";
    text += "Icon=" + DesktopEntry::escape(DesktopIdentity::icon) + "\n";
    return text;
}

LoginItemService::Status XdgLoginItemService::statusOf(std::string_view bytes,
                                                       const std::function<bool(const std::string&)>& isThisProgram) {
    const auto entry = DesktopEntry::parse(bytes);
    if (!entry) return Status::invalid;
    if (entry->boolean("Hidden") == true || entry->boolean("X-GNOME-Autostart-enabled") == false)
        return Status::switchedOff;
    if (entry->string("Type") != "Application") return Status::invalid;
    const auto exec = entry->string("Exec");
    const auto arguments = exec ? DesktopExec::arguments(*exec) : std::nullopt;
    if (!arguments || arguments->empty()) return Status::invalid;
    return isThisProgram(arguments->front()) ? Status::enabled : Status::otherProgram;
}

LoginItemService::Status XdgLoginItemService::status() const {
    const FileRead read = readFile(entryPath_);
    if (!read.exists) return Status::notRegistered;
    if (read.error) return Status::invalid;
    return statusOf(read.bytes, [this](const std::string& path) { return isThisProgram(path); });
}

LoginItemService::Failure XdgLoginItemService::registerItem() {
    int error = makeDirectories(directory_);
    if (!error) error = replaceFile(directory_, entryPath_, entryText(program_));
    if (error) return errorText(error);
    return std::nullopt;
}

LoginItemService::Failure XdgLoginItemService::unregisterItem() {
    if (unlink(entryPath_.c_str()) != 0 && errno != ENOENT) return errorText(errno);
    return std::nullopt;
}

// The same path, or another name (a link) for the same file.
bool XdgLoginItemService::isThisProgram(const std::string& path) const {
    if (path == program_) return true;
    if (path.empty() || path.front() != '/') return false;
    struct stat theirs {};
    struct stat ours {};
    return stat(path.c_str(), &theirs) == 0 && stat(program_.c_str(), &ours) == 0 && theirs.st_dev == ours.st_dev &&
           theirs.st_ino == ours.st_ino;
}

}  // namespace quillmark
