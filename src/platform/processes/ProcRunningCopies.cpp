#include "platform/processes/ProcRunningCopies.h"

#include "platform/processes/ProgramIdentity.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillmark {

namespace {

namespace fs = std::filesystem;

using Lookup = std::function<std::optional<std::string>(const std::string& name)>;

struct StatFields {
    char state = '?';
    std::uint64_t startTime = 0;
};

std::string procDir(std::int32_t pid) { return "/proc/" + std::to_string(pid); }

std::optional<StatFields> readStat(std::int32_t pid) {
    std::ifstream in(procDir(pid) + "/stat");
    std::string text;
    if (!std::getline(in, text)) return std::nullopt;
    // The command name may hold spaces and parentheses: the fields that follow start after the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(close + 1));
    StatFields stat;
    std::string skipped;
    fields >> stat.state;
    for (int field = 4; field < 22; ++field) fields >> skipped;
    if (!(fields >> stat.startTime)) return std::nullopt;
    return stat;
}

bool isGone(char state) { return state == 'Z' || state == 'X'; }

std::optional<std::map<std::string, std::string>> readEnvironment(std::int32_t pid) {
    std::ifstream in(procDir(pid) + "/environ", std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    std::map<std::string, std::string> environment;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos) end = text.size();
        const std::string entry = text.substr(start, end - start);
        if (const auto equals = entry.find('='); equals != std::string::npos)
            environment.emplace(entry.substr(0, equals), entry.substr(equals + 1));
        start = end + 1;
    }
    return environment;
}

std::string normalised(const std::string& path) {
    std::string text = fs::path(path).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

bool isAbsolute(const std::optional<std::string>& path) { return path && !path->empty() && path->front() == '/'; }

// Where a process keeps its settings, as the XDG base directory rules place them.
std::string settingsLocation(const Lookup& variable, uid_t user) {
    const auto configHome = variable("XDG_CONFIG_HOME");
    if (isAbsolute(configHome)) return normalised(*configHome);
    auto home = variable("HOME");
    if (!isAbsolute(home)) {
        const passwd* entry = ::getpwuid(user);
        home = entry && entry->pw_dir ? std::string(entry->pw_dir) : std::string("/");
    }
    return normalised(*home + "/.config");
}

std::optional<std::int32_t> pidOf(const std::string& name) {
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return static_cast<std::int32_t>(std::stol(name));
}

}  // namespace

ProcRunningCopies::Identity ProcRunningCopies::thisProcess() {
    Identity identity;
    identity.user = ::getuid();
    identity.self = ::getpid();
    identity.program = ProgramIdentity::thisProcess();
    identity.settingsLocation = settingsLocation(ProgramIdentity::processEnvironment(), identity.user);
    return identity;
}

ProcRunningCopies::ProcRunningCopies(Identity self) : self_(std::move(self)) {}

std::vector<ProgramCopy> ProcRunningCopies::others() const {
    std::vector<ProgramCopy> copies;
    if (self_.program.program().empty()) return copies;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const auto pid = pidOf(entry.path().filename().string());
        if (!pid || *pid == self_.self) continue;
        const std::string dir = procDir(*pid);
        struct stat owner {};
        if (::stat(dir.c_str(), &owner) != 0 || owner.st_uid != self_.user) continue;
        // The start time first: should the pid change hands while the rest is read, the copy names
        // the earlier process and every later signal is refused.
        const auto stat = readStat(*pid);
        if (!stat || isGone(stat->state)) continue;
        const auto environment = readEnvironment(*pid);
        if (!environment) continue;
        const Lookup variable = [&](const std::string& name) -> std::optional<std::string> {
            const auto found = environment->find(name);
            return found == environment->end() ? std::nullopt : std::optional<std::string>(found->second);
        };
        const auto executable = ProgramIdentity::executableOf(dir);
        if (!executable || !self_.program.isRunBy(*executable, variable) ||
            settingsLocation(variable, self_.user) != self_.settingsLocation)
            continue;
        copies.push_back({*pid, stat->startTime, self_.program.program()});
    }
    return copies;
}

ProgramCopy ProcRunningCopies::thisCopy() const {
    const auto stat = readStat(self_.self);
    return {self_.self, stat ? stat->startTime : 0, self_.program.program()};
}

bool ProcRunningCopies::requestQuit(const ProgramCopy& copy) { return sendSignal(copy, SIGTERM); }

bool ProcRunningCopies::forceQuit(const ProgramCopy& copy) { return sendSignal(copy, SIGKILL); }

bool ProcRunningCopies::hasEnded(const ProgramCopy& copy) const {
    const auto stat = readStat(copy.pid);
    return !stat || stat->startTime != copy.startTime || isGone(stat->state);
}

bool ProcRunningCopies::sendSignal(const ProgramCopy& copy, int signalNumber) const {
    // The pidfd holds on to whichever process has the pid now; once that is shown to be the copy,
    // the signal cannot reach a process that takes the pid over afterwards.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, copy.pid, 0));
    if (pidfd < 0 && errno != ENOSYS) return false;  // no such process
    bool sent = false;
    if (!hasEnded(copy)) {
        // Kernels before 5.3 have no pidfd: the check just made is all the guard there is.
        sent = pidfd >= 0 ? ::syscall(SYS_pidfd_send_signal, pidfd, signalNumber, nullptr, 0) == 0
                          : ::kill(copy.pid, signalNumber) == 0;
    }
    if (pidfd >= 0) ::close(pidfd);
    return sent;
}

}  // namespace quillmark
