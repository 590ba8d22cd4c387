#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillmark {

// Where crash and hang records wait to be sent: one run directory per started process under
// $XDG_STATE_HOME/quillmark/crashes (~/.local/state/quillmark/crashes by default).
class CrashStore {
public:
    static constexpr std::size_t maximumPending = 10;
    // The value of one environment variable, nothing when unset.
    using Variable = std::function<std::optional<std::string>(const std::string& name)>;
    // The account's home directory from the password database, nothing when it has none.
    using AccountHome = std::function<std::optional<std::string>()>;

    explicit CrashStore(std::filesystem::path root) : root_(std::move(root)) {}
    // This user's store: under $XDG_STATE_HOME when that is an absolute path, else under the home
    // directory's .local/state: $HOME when it is an absolute path, else the account's home in the
    // password database. Nothing without a home: a shared fallback such as /tmp is a place another
    // local user can prepare.
    static std::optional<CrashStore> forUser(const Variable& variable, const AccountHome& accountHome);
    // The same from this process's environment and this user's entry in the password database.
    static std::optional<CrashStore> forThisUser();

    const std::filesystem::path& root() const { return root_; }
    // A fresh run directory for this process; nothing when it cannot be made.
    std::optional<std::filesystem::path> createRun() const;

    // Every whole record, oldest first, after dropping the oldest beyond `maximumPending`, leftover
    // temporary files and the empty directories of runs that have ended.
    std::vector<std::filesystem::path> pendingRecords() const;
    // Deletes one record, and its run's directory when that run has ended and left nothing else.
    void remove(const std::filesystem::path& record) const;
    // Deletes every record and every ended run's directory.
    void discardAll() const;

    // Until when the server asked not to be sent anything (HTTP 429).
    std::optional<std::chrono::system_clock::time_point> retryAfter() const;
    void setRetryAfter(std::chrono::system_clock::time_point until) const;
    void clearRetryAfter() const;

private:
    std::filesystem::path retryAfterFile() const { return root_ / "retry-after"; }
    std::vector<std::filesystem::path> runDirectories() const;

    std::filesystem::path root_;
};

}  // namespace quillmark
