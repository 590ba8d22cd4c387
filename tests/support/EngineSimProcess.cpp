#include "EngineSimProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef QUILLMARK_ENGINE_SIM_PATH
#define QUILLMARK_ENGINE_SIM_PATH "quillmark-engine-sim"
#endif

namespace quillmark::testing {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::uint16_t portFromLine(const std::string& line) {
    const std::string prefix = "listening on ";
    const auto colon = line.rfind(':');
    if (!startsWith(line, prefix) || colon == std::string::npos) return 0;
    try {
        const int port = std::stoi(line.substr(colon + 1));
        return port > 0 && port < 65536 ? static_cast<std::uint16_t>(port) : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace

EngineSimProcess::EngineSimProcess() : EngineSimProcess(Options{}) {}

EngineSimProcess::EngineSimProcess(Options options) { start(options); }

EngineSimProcess::~EngineSimProcess() { stop(); }

std::string EngineSimProcess::executablePath() { return QUILLMARK_ENGINE_SIM_PATH; }

void EngineSimProcess::start(const Options& options) {
    std::vector<std::string> args{executablePath(), "--port", "0", "--log-requests", "-"};
    if (options.treeFile) {
        args.push_back("--tree");
        args.push_back(*options.treeFile);
    }
    if (options.meterRate) {
        args.push_back("--meter-rate");
        args.push_back(std::to_string(*options.meterRate));
    }
    if (options.refuseUnknownPaths) args.push_back("--refuse-unknown");
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());

    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    // Standard input is a socket so that writing to a process that has died fails with an error
    // (MSG_NOSIGNAL) rather than a SIGPIPE that would end the test.
    int toChild[2];
    int fromChild[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, toChild) != 0) return;
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec. The child dies with the test.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(toChild[1], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(toChild[1]);
    close(fromChild[1]);
    if (pid < 0) {
        close(toChild[0]);
        close(fromChild[0]);
        return;
    }
    pid_ = pid;
    stdinFd_ = toChild[0];
    const int outFd = fromChild[0];
    reader_ = std::thread([this, outFd] { readOutput(outFd); });

    waitUntil([this] { return port_ != 0 || exited_; }, kDefaultTimeout);
}

void EngineSimProcess::readOutput(int fd) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(count));
        std::size_t newline;
        while ((newline = pending.find('\n')) != std::string::npos) {
            takeLine(pending.substr(0, newline));
            pending.erase(0, newline + 1);
        }
    }
    close(fd);
    std::lock_guard lock(mutex_);
    exited_ = true;
    changed_.notify_all();
}

void EngineSimProcess::takeLine(const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    if (port_ == 0) port_ = portFromLine(line);
    if (startsWith(line, "recv: ")) requests_.push_back(line.substr(6));
    else if (startsWith(line, "connected: ")) {
        connectionTimes_.push_back(Clock::now());
        ++connections_;
        ++openConnections_;
    } else if (startsWith(line, "disconnected: ")) --openConnections_;
    changed_.notify_all();
}

bool EngineSimProcess::waitUntil(const std::function<bool()>& condition, Duration timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, condition);
}

bool EngineSimProcess::isRunning() const {
    std::lock_guard lock(mutex_);
    return pid_ > 0 && port_ != 0 && !exited_;
}

bool EngineSimProcess::writeLine(const std::string& line) {
    if (stdinFd_ < 0) return false;
    const std::string text = line + "\n";
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = send(stdinFd_, text.data() + written, text.size() - written, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

bool EngineSimProcess::control(const std::string& line, Duration timeout) {
    {
        std::lock_guard lock(mutex_);
        controlSeen_ = lines_.size();
    }
    if (!writeLine(line)) return false;
    bool ok = false;
    const bool answered = waitUntil(
        [&] {
            for (; controlSeen_ < lines_.size(); ++controlSeen_) {
                const std::string& seen = lines_[controlSeen_];
                if (seen == "ok: " + line) {
                    ok = true;
                    return true;
                }
                if (startsWith(seen, "error: ")) return true;
            }
            return exited_;
        },
        timeout);
    return answered && ok;
}

std::vector<std::string> EngineSimProcess::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool EngineSimProcess::waitForRequest(const std::string& text, Duration timeout) {
    return waitForRequestMatching([&](const std::string& request) { return request == text; }, timeout);
}

bool EngineSimProcess::waitForRequestMatching(const std::function<bool(const std::string&)>& match, Duration timeout) {
    return waitUntil([&] { return std::any_of(requests_.begin(), requests_.end(), match); }, timeout);
}

bool EngineSimProcess::waitForRequestCount(std::size_t count, Duration timeout) {
    return waitUntil([&] { return requests_.size() >= count; }, timeout);
}

bool EngineSimProcess::sync(Duration timeout) { return control("ping", timeout); }

void EngineSimProcess::clearRequests() {
    sync();
    std::lock_guard lock(mutex_);
    requests_.clear();
}

int EngineSimProcess::connectionCount() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

int EngineSimProcess::openConnectionCount() const {
    std::lock_guard lock(mutex_);
    return openConnections_;
}

bool EngineSimProcess::waitForConnections(int count, Duration timeout) {
    return waitUntil([&] { return connections_ >= count; }, timeout);
}

bool EngineSimProcess::waitForOpenConnections(int count, Duration timeout) {
    return waitUntil([&] { return openConnections_ == count; }, timeout);
}

std::optional<EngineSimProcess::Clock::time_point> EngineSimProcess::connectedAt(int number) const {
    std::lock_guard lock(mutex_);
    if (number < 1 || static_cast<std::size_t>(number) > connectionTimes_.size()) return std::nullopt;
    return connectionTimes_[static_cast<std::size_t>(number) - 1];
}

std::vector<std::string> EngineSimProcess::outputLines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool EngineSimProcess::waitForOutput(const std::function<bool(const std::string&)>& match, Duration timeout) {
    return waitUntil([&] { return std::any_of(lines_.begin(), lines_.end(), match); }, timeout);
}

void EngineSimProcess::stop() {
    if (stdinFd_ >= 0) {
        close(stdinFd_);
        stdinFd_ = -1;
    }
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (!waitUntil([this] { return exited_; }, Duration(2000))) kill(pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
    }
    if (reader_.joinable()) reader_.join();
}

}  // namespace quillmark::testing
