// Where crash records are kept: under the user's own state directory, never in a shared fallback.
#include "platform/crash/CrashStore.h"

#include "ScopedEnvironment.h"
#include "log/SystemLog.h"
#include "platform/crash/SentryHub.h"
#include "platform/crash/SentrySDK.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnvironment;

CrashStore::Variable environmentOf(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

std::string homeOfThisAccount() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

TEST(CrashStore, TheStoreIsInTheUsersStateDirectoryAndThereIsNoneWithoutAHome) {
    const CrashStore::AccountHome account = [] { return std::optional<std::string>("/home/from-passwd"); };
    const CrashStore::AccountHome none = [] { return std::optional<std::string>(); };
    const struct {
        const char* name;
        std::map<std::string, std::string> environment;
        const CrashStore::AccountHome& accountHome;
        std::optional<std::string> root;
    } cases[] = {
        {"XDG_STATE_HOME", {{"XDG_STATE_HOME", "/state"}, {"HOME", "/home/h"}}, account, "/state/quillmark/crashes"},
        {"a relative XDG_STATE_HOME",
         {{"XDG_STATE_HOME", "state"}, {"HOME", "/home/h"}},
         account,
         "/home/h/.local/state/quillmark/crashes"},
        {"HOME", {{"HOME", "/home/h"}}, none, "/home/h/.local/state/quillmark/crashes"},
        {"HOME unset", {}, account, "/home/from-passwd/.local/state/quillmark/crashes"},
        {"HOME empty", {{"HOME", ""}}, account, "/home/from-passwd/.local/state/quillmark/crashes"},
        {"HOME relative", {{"HOME", "home"}}, account, "/home/from-passwd/.local/state/quillmark/crashes"},
        {"no home at all", {}, none, std::nullopt},
        {"a relative home in the password database",
         {},
         [] { return std::optional<std::string>("home"); },
         std::nullopt},
    };
    for (const auto& c : cases) {
        const auto store = CrashStore::forUser(environmentOf(c.environment), c.accountHome);
        EXPECT_EQ(store ? std::optional<std::string>(store->root().string()) : std::nullopt, c.root) << c.name;
    }
}

TEST(CrashStore, WithHOMEUnsetTheAccountsHomeIsUsedNotTmp) {
    const std::string home = homeOfThisAccount();
    ASSERT_FALSE(home.empty()) << "the test's account has a home in the password database";
    ScopedEnvironment state("XDG_STATE_HOME", nullptr);
    ScopedEnvironment unset("HOME", nullptr);
    const auto store = CrashStore::forThisUser();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->root(), fs::path(home) / ".local" / "state" / "quillmark" / "crashes");
}

TEST(CrashStore, WithoutAStoreTheSDKRecordsNothingAndLogsOneLine) {
    std::vector<std::string> lines;
    SystemLog::Capture capture{[&](std::string_view line) { lines.emplace_back(line); }};
    SentryOptions options;
    options.dsn = "https://key@o1.ingest.example/5";
    EXPECT_EQ(SentryHub::start(options, std::nullopt, [] { return false; }), nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("no home directory"), std::string::npos) << lines[0];
}

// An account the password database does not know, with HOME unset: nothing lands in /tmp.
TEST(CrashStore, AnAccountWithoutAHomeStartsNoCrashReporting) {
    if (::geteuid() != 0) GTEST_SKIP() << "running as an account without a password entry needs root";
    uid_t stranger = 61'000;
    while (::getpwuid(stranger)) ++stranger;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(stranger) != 0 || ::setuid(stranger) != 0) ::_exit(10);
        ::unsetenv("HOME");
        ::unsetenv("XDG_STATE_HOME");
        int lines = 0;
        SystemLog::Capture capture{[&](std::string_view) { ++lines; }};
        SentrySDK::start([](SentryOptions& options) { options.dsn = "https://key@o1.ingest.example/5"; });
        if (SentrySDK::isEnabled()) ::_exit(11);
        SentrySDK::discardPendingReports();
        SentrySDK::close();
        ::_exit(lines == 1 ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "11: reporting started; 12: not exactly one line logged";
    // Nothing of that account's in the shared directory the old fallback used.
    struct stat info {};
    if (::stat("/tmp/.local/state/quillmark", &info) == 0) {
        EXPECT_NE(info.st_uid, stranger);
    }
}

}  // namespace
}  // namespace quillmark
