#include "QuillmarkProcess.h"

#include <QSettings>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace quillmark::testing {

namespace fs = std::filesystem;

namespace {

// The one-time flags of the three first-run questions, as the program stores them.
constexpr const char* kFirstRunFlags[] = {"Quillmark.didFirstRunSetup.v1", "Quillmark.didAskAutoUpdate.v1",
                                          "Quillmark.didAskCrashReporting.v1"};

std::string makeConfigHome() {
    std::string pattern = (fs::temp_directory_path() / "quillmark-e2e-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

void writeSettings(const std::string& configHome, const std::vector<std::pair<std::string, QVariant>>& settings) {
    QSettings file(QString::fromStdString(QuillmarkProcess::settingsPath(configHome)), QSettings::IniFormat);
    for (const auto& [key, value] : settings) file.setValue(QString::fromStdString(key), value);
    file.sync();
}

}  // namespace

std::string QuillmarkProcess::executablePath() {
    const char* binary = std::getenv("QUILLMARK_BINARY_DIR");
    return (fs::path(binary ? binary : ".") / "bin" / "quillmark").string();
}

std::string QuillmarkProcess::settingsPath(const std::string& configHome) {
    return (fs::path(configHome) / "Quillmark" / "Quillmark.ini").string();
}

QuillmarkProcess::QuillmarkProcess(Options options)
    : configHome_(options.configHome.empty() ? makeConfigHome() : options.configHome),
      ownsConfigHome_(options.configHome.empty()) {
    if (options.firstRunAsked) {
        for (const char* flag : kFirstRunFlags) options.settings.emplace_back(flag, true);
    }
    writeSettings(configHome_, options.settings);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;

    std::map<std::string, std::string> overrides{{"XDG_CONFIG_HOME", configHome_},
                                                 {"QUILLMARK_ENGINE_PORT", std::to_string(options.enginePort)},
                                                 {"QT_QPA_PLATFORM", "xcb"}};
    if (const char* source = std::getenv("QUILLMARK_SOURCE_DIR"))
        overrides["LSAN_OPTIONS"] = std::string("suppressions=") + source + "/tests/support/lsan.supp";
    for (const auto& [key, value] : options.environment) overrides[key] = value;
    // The first of two equal names wins for getenv(): an inherited value must not shadow ours.
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (!overrides.count(text.substr(0, text.find('=')))) env.push_back(text);
    }
    for (const auto& [key, value] : overrides) env.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string path = options.executable.empty() ? executablePath() : options.executable;
    std::vector<char*> argv{path.data()};
    for (auto& argument : options.arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    reader_ = std::thread([this, fd = pipeFds[0]] { readOutput(fd); });
}

QuillmarkProcess::~QuillmarkProcess() {
    if (isRunning()) terminate();
    if (reader_.joinable()) reader_.join();
    std::error_code ignored;
    if (ownsConfigHome_ && !configHome_.empty()) fs::remove_all(configHome_, ignored);
}

bool QuillmarkProcess::isRunning() const {
    std::lock_guard lock(mutex_);
    return pid_ > 0 && !exited_;
}

void QuillmarkProcess::readOutput(int fd) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::lock_guard lock(mutex_);
            lines_.push_back(pending.substr(0, end));
            pending.erase(0, end + 1);
            changed_.notify_all();
        }
    }
    ::close(fd);
}

std::vector<std::string> QuillmarkProcess::logLines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool QuillmarkProcess::waitForLog(const std::function<bool(const std::string&)>& match, Duration timeout) {
    std::unique_lock lock(mutex_);
    std::size_t checked = 0;
    return changed_.wait_for(lock, timeout, [&] {
        for (; checked < lines_.size(); ++checked) {
            if (match(lines_[checked])) return true;
        }
        return false;
    });
}

int QuillmarkProcess::waitExit(Duration timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            std::lock_guard lock(mutex_);
            exited_ = true;
            waitStatus_ = status;
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return exitStatus_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));  // polling waitpid for a deadline
    }
}

std::optional<int> QuillmarkProcess::waitForExit(Duration timeout) {
    if (!isRunning()) return waitStatus_;
    if (waitExit(timeout) == -2) return std::nullopt;
    return waitStatus_;
}

int QuillmarkProcess::terminate(Duration timeout) {
    if (!isRunning()) return exitStatus_;
    ::kill(pid_, SIGTERM);
    const int code = waitExit(timeout);
    if (code != -2) return code;
    ::kill(pid_, SIGKILL);
    waitExit(Duration(5000));
    return -1;
}

}  // namespace quillmark::testing
