#pragma once

#include <QVariant>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

namespace quillmark::testing {

// Runs the real `quillmark` executable for an end-to-end test: against an engine on `enginePort`,
// with its settings in a fresh private config directory (or one shared with another copy), past the
// first-run questions unless told otherwise, on the test's X display. Collects what it writes on
// standard error (its system log). The destructor stops it (SIGTERM, then SIGKILL).
class QuillmarkProcess {
public:
    using Duration = std::chrono::milliseconds;

    struct Options {
        std::uint16_t enginePort = 0;
        // Settings written before launch, under their full keys.
        std::vector<std::pair<std::string, QVariant>> settings;
        // The first-run questions count as answered (their flags are written before launch), so the
        // program goes straight on to connect; false leaves a fresh user's first launch.
        bool firstRunAsked = true;
        std::map<std::string, std::string> environment;
        // A config home to share with another copy (left in place by this object); a fresh one when empty.
        std::string configHome;
        std::vector<std::string> arguments;
        // Another copy of the program (beside its own share/quillmark); the build's when empty.
        std::string executable;
    };

    explicit QuillmarkProcess(Options options);
    ~QuillmarkProcess();
    QuillmarkProcess(const QuillmarkProcess&) = delete;
    QuillmarkProcess& operator=(const QuillmarkProcess&) = delete;

    static std::string executablePath();
    // Where the program keeps its settings under a config home.
    static std::string settingsPath(const std::string& configHome);

    pid_t pid() const { return pid_; }
    bool isRunning() const;
    const std::string& configHome() const { return configHome_; }

    std::vector<std::string> logLines() const;
    bool waitForLog(const std::function<bool(const std::string&)>& match, Duration timeout);

    // Waits for the process to end by itself; its wait status, or nothing when it still runs after `timeout`.
    std::optional<int> waitForExit(Duration timeout);

    // Sends SIGTERM and waits for the exit; returns the exit code, or -1 when it did not exit
    // normally in time (it is then killed).
    int terminate(Duration timeout = Duration(5000));

private:
    void readOutput(int fd);
    int waitExit(Duration timeout);

    pid_t pid_ = -1;
    std::string configHome_;
    bool ownsConfigHome_ = true;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    bool exited_ = false;
    int exitStatus_ = -1;
    int waitStatus_ = 0;
};

}  // namespace quillmark::testing
