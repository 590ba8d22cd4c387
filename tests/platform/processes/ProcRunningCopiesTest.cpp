// The /proc backend against real child processes (/bin/sleep with an environment of the test's choosing).
#include "platform/processes/ProcRunningCopies.h"

#include "PollUntil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

const std::string kSettings = "/tmp/quillmark-copies-home/.config";

std::string sleepBinary() { return fs::canonical("/bin/sleep").string(); }

// A child process running `program` with exactly `environment`; killed and reaped with the object.
class Child {
public:
    Child(const std::string& program, std::vector<std::string> environment, std::optional<uid_t> user = {}) {
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string path = program;
        std::string seconds = "120";
        char* argv[] = {path.data(), seconds.data(), nullptr};
        pid_ = ::fork();
        if (pid_ == 0) {
            if (user && ::setuid(*user) != 0) ::_exit(126);
            ::execve(path.c_str(), argv, envp.data());
            ::_exit(127);
        }
        // Listed only once it runs the program: until the exec it is a copy of this test.
        const std::string ownExe = fs::read_symlink("/proc/self/exe").string();
        pollUntil(
            [&] {
                std::error_code error;
                const auto exe = fs::read_symlink("/proc/" + std::to_string(pid_) + "/exe", error);
                return !error && exe.string() != ownExe;
            },
            5000ms);
    }
    ~Child() {
        if (reaped_) return;
        ::kill(pid_, SIGKILL);
        waitStatus();
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }

    // Blocks until the child has ended and reaps it.
    int waitStatus() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        reaped_ = true;
        return status;
    }
    // Blocks until the child has ended and leaves it a zombie.
    void waitUntilZombie() const {
        siginfo_t info{};
        ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
    }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

ProcRunningCopies::Identity identity(const std::string& program, const std::string& settings = kSettings) {
    return {::getuid(), program, settings, ::getpid()};
}

std::vector<std::int32_t> pidsOf(const std::vector<ProgramCopy>& copies) {
    std::vector<std::int32_t> pids;
    for (const auto& copy : copies) pids.push_back(copy.pid);
    return pids;
}

std::optional<ProgramCopy> listed(const ProcRunningCopies& copies, pid_t pid) {
    for (const auto& copy : copies.others()) {
        if (copy.pid == pid) return copy;
    }
    return std::nullopt;
}

TEST(ProcRunningCopies, ACopyIsTheSameProgramWithTheSameSettingsLocationAsXDGPlacesIt) {
    struct Case {
        std::vector<std::string> environment;
        bool listed;
    };
    const std::vector<Case> cases = {
        {{"XDG_CONFIG_HOME=" + kSettings}, true},
        {{"XDG_CONFIG_HOME=/tmp/./quillmark-copies-home/.config/"}, true},
        {{"XDG_CONFIG_HOME=/tmp/quillmark-copies-other"}, false},
        {{"HOME=/tmp/quillmark-copies-home"}, true},
        {{"HOME=/tmp/quillmark-copies-home", "XDG_CONFIG_HOME="}, true},
        {{"HOME=/tmp/quillmark-copies-home", "XDG_CONFIG_HOME=relative/.config"}, true},
        {{"HOME=/tmp/quillmark-copies-elsewhere"}, false},
        {{"HOME=/tmp/quillmark-copies-elsewhere", "XDG_CONFIG_HOME=" + kSettings}, true},
        {{"XDG_CONFIG_HOME=" + kSettings, "APPIMAGE=/opt/Other.AppImage"}, false},
    };
    std::vector<std::unique_ptr<Child>> children;
    std::vector<std::int32_t> expected;
    for (const auto& testCase : cases) {
        children.push_back(std::make_unique<Child>(sleepBinary(), testCase.environment));
        if (testCase.listed) expected.push_back(children.back()->pid());
    }
    const ProcRunningCopies copies(identity(sleepBinary()));
    std::vector<std::int32_t> found;
    for (const auto& copy : copies.others()) {
        for (const auto& child : children) {
            if (child->pid() == copy.pid) found.push_back(copy.pid);
        }
    }
    EXPECT_THAT(found, UnorderedElementsAreArray(expected));
}

TEST(ProcRunningCopies, AnAppImageCopyIsKnownByItsAppImagePath) {
    const std::string appImage = "/opt/Quillmark-x86_64.AppImage";
    Child fromImage(sleepBinary(), {"APPIMAGE=" + appImage, "XDG_CONFIG_HOME=" + kSettings});
    Child plain(sleepBinary(), {"XDG_CONFIG_HOME=" + kSettings});
    const ProcRunningCopies copies(identity(appImage));
    const auto copy = listed(copies, fromImage.pid());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->executable, appImage);
    EXPECT_FALSE(listed(copies, plain.pid()));
}

TEST(ProcRunningCopies, ACopyWhoseProgramFileWasReplacedStillCounts) {
    const fs::path dir = fs::temp_directory_path() / ("quillmark-copies-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path program = dir / "quillmark";
    fs::copy_file(sleepBinary(), program, fs::copy_options::overwrite_existing);
    Child child(program.string(), {"XDG_CONFIG_HOME=" + kSettings});
    fs::remove_all(dir);
    const ProcRunningCopies copies(identity(program.string()));
    const auto copy = listed(copies, child.pid());
    ASSERT_TRUE(copy) << "its /proc link now ends in \" (deleted)\"";
    EXPECT_EQ(copy->executable, program.string());
}

TEST(ProcRunningCopies, AnotherUsersProcessIsNotACopy) {
    if (::getuid() != 0) GTEST_SKIP() << "starting another user's process needs root";
    Child stranger(sleepBinary(), {"XDG_CONFIG_HOME=" + kSettings}, /*nobody*/ 65534);
    Child own(sleepBinary(), {"XDG_CONFIG_HOME=" + kSettings});
    const ProcRunningCopies copies(identity(sleepBinary()));
    EXPECT_FALSE(listed(copies, stranger.pid()));
    EXPECT_TRUE(listed(copies, own.pid()));
}

TEST(ProcRunningCopies, QuitRequestsTerminateAndForcingKills) {
    ProcRunningCopies copies(identity(sleepBinary()));
    for (const int signalNumber : {SIGTERM, SIGKILL}) {
        Child child(sleepBinary(), {"XDG_CONFIG_HOME=" + kSettings});
        const auto copy = listed(copies, child.pid());
        ASSERT_TRUE(copy);
        EXPECT_FALSE(copies.hasEnded(*copy));
        EXPECT_TRUE(signalNumber == SIGTERM ? copies.requestQuit(*copy) : copies.forceQuit(*copy));
        const int status = child.waitStatus();
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signalNumber);
        EXPECT_TRUE(copies.hasEnded(*copy)) << "a reaped copy";
    }
}

// A pid reused within the grace period cannot be provoked; a start time that does not match is what it looks like.
TEST(ProcRunningCopies, AProcessWhoseStartTimeDoesNotMatchTheCopyIsNeverSignalled) {
    ProcRunningCopies copies(identity(sleepBinary()));
    Child child(sleepBinary(), {"XDG_CONFIG_HOME=" + kSettings});
    auto copy = listed(copies, child.pid());
    ASSERT_TRUE(copy);
    ++copy->startTime;
    EXPECT_TRUE(copies.hasEnded(*copy)) << "the copy listed is gone";
    EXPECT_FALSE(copies.requestQuit(*copy));
    EXPECT_FALSE(copies.forceQuit(*copy));
    // Had either signal been sent, it would have ended the child before this one.
    ::kill(child.pid(), SIGINT);
    const int status = child.waitStatus();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

TEST(ProcRunningCopies, AZombieHasEndedAndIsNeitherListedNorSignalled) {
    ProcRunningCopies copies(identity(sleepBinary()));
    Child child(sleepBinary(), {"XDG_CONFIG_HOME=" + kSettings});
    const auto copy = listed(copies, child.pid());
    ASSERT_TRUE(copy);
    ::kill(child.pid(), SIGKILL);
    child.waitUntilZombie();
    EXPECT_TRUE(copies.hasEnded(*copy));
    EXPECT_FALSE(listed(copies, child.pid()));
    EXPECT_FALSE(copies.forceQuit(*copy));
}

TEST(ProcRunningCopies, ThisProcessIsNeverItsOwnCopy) {
    const auto self = ProcRunningCopies::thisProcess();
    EXPECT_EQ(self.program, fs::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(self.self, ::getpid());
    EXPECT_THAT(pidsOf(ProcRunningCopies(self).others()), ::testing::Not(::testing::Contains(::getpid())));
}

}  // namespace
}  // namespace quillmark::testing
