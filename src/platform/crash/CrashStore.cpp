#include "platform/crash/CrashStore.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace quillmark {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRunPrefix = "run-";
constexpr const char* kRecordExtension = ".crash";

// The process a run directory (run-<seconds>-<pid>) belongs to still runs.
bool runIsAlive(const fs::path& run) {
    const std::string name = run.filename().string();
    const auto dash = name.rfind('-');
    if (dash == std::string::npos) return false;
    const long pid = std::strtol(name.c_str() + dash + 1, nullptr, 10);
    if (pid <= 0) return false;
    if (pid == ::getpid()) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool isAbsolute(const std::optional<std::string>& path) { return path && !path->empty() && path->front() == '/'; }

fs::file_time_type modified(const fs::path& path) {
    std::error_code error;
    const auto time = fs::last_write_time(path, error);
    return error ? fs::file_time_type::min() : time;
}

}  // namespace

std::optional<CrashStore> CrashStore::forUser(const Variable& variable, const AccountHome& accountHome) {
    if (const auto state = variable("XDG_STATE_HOME"); isAbsolute(state))
        return CrashStore(fs::path(*state) / "quillmark" / "crashes");
    auto home = variable("HOME");
    if (!isAbsolute(home)) home = accountHome();
    if (!isAbsolute(home)) return std::nullopt;
    return CrashStore(fs::path(*home) / ".local" / "state" / "quillmark" / "crashes");
}

std::optional<CrashStore> CrashStore::forThisUser() {
    const Variable variable = [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const AccountHome accountHome = []() -> std::optional<std::string> {
        std::vector<char> buffer(16384);
        passwd record{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &record, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
            return std::nullopt;
        return std::string(found->pw_dir);
    };
    return forUser(variable, accountHome);
}

std::optional<fs::path> CrashStore::createRun() const {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    const fs::path run = root_ / (kRunPrefix + std::to_string(seconds) + "-" + std::to_string(::getpid()));
    std::error_code error;
    fs::create_directories(run, error);
    if (error) return std::nullopt;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::replace, error);
    return run;
}

std::vector<fs::path> CrashStore::runDirectories() const {
    std::vector<fs::path> runs;
    std::error_code error;
    for (fs::directory_iterator it(root_, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory() && it->path().filename().string().rfind(kRunPrefix, 0) == 0) runs.push_back(it->path());
    }
    return runs;
}

std::vector<fs::path> CrashStore::pendingRecords() const {
    std::vector<fs::path> records;
    for (const auto& run : runDirectories()) {
        const bool alive = runIsAlive(run);
        std::error_code error;
        for (fs::directory_iterator it(run, error), end; !error && it != end; it.increment(error)) {
            if (it->path().extension() == kRecordExtension) records.push_back(it->path());
            else if (!alive) fs::remove(it->path(), error);
        }
        if (!alive && fs::is_empty(run, error)) fs::remove(run, error);
    }
    std::sort(records.begin(), records.end(),
              [](const fs::path& a, const fs::path& b) { return modified(a) < modified(b); });
    while (records.size() > maximumPending) {
        std::error_code error;
        fs::remove(records.front(), error);
        records.erase(records.begin());
    }
    return records;
}

void CrashStore::remove(const fs::path& record) const {
    std::error_code error;
    fs::remove(record, error);
    const fs::path run = record.parent_path();
    if (!runIsAlive(run) && fs::is_empty(run, error)) fs::remove(run, error);
}

void CrashStore::discardAll() const {
    for (const auto& run : runDirectories()) {
        const bool alive = runIsAlive(run);
        std::error_code error;
        for (fs::directory_iterator it(run, error), end; !error && it != end; it.increment(error)) {
            if (it->path().extension() == kRecordExtension || !alive) fs::remove(it->path(), error);
        }
        if (!alive) fs::remove(run, error);
    }
    clearRetryAfter();
}

std::optional<std::chrono::system_clock::time_point> CrashStore::retryAfter() const {
    std::ifstream file(retryAfterFile());
    long long seconds = 0;
    if (!(file >> seconds)) return std::nullopt;
    return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
}

void CrashStore::setRetryAfter(std::chrono::system_clock::time_point until) const {
    std::error_code error;
    fs::create_directories(root_, error);
    std::ofstream file(retryAfterFile(), std::ios::trunc);
    file << std::chrono::duration_cast<std::chrono::seconds>(until.time_since_epoch()).count() << '\n';
}

void CrashStore::clearRetryAfter() const {
    std::error_code error;
    fs::remove(retryAfterFile(), error);
}

}  // namespace quillmark
