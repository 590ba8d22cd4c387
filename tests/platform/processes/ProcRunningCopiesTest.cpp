// The /proc backend against real child processes (/bin/sleep with an environment of the test's choosing).
#include "platform/processes/ProcRunningCopies.h"

#include "PollUntil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
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
    return {::getuid(), ProgramIdentity::installed(program), settings, ::getpid()};
}

ProcRunningCopies::Identity identity(ProgramIdentity program) {
    return {::getuid(), std::move(program), kSettings, ::getpid()};
}

ProgramIdentity::Environment environmentOf(std::vector<std::string> entries) {
    return [entries = std::move(entries)](const std::string& name) -> std::optional<std::string> {
        for (const auto& entry : entries) {
            if (entry.starts_with(name + "=")) return entry.substr(name.size() + 1);
        }
        return std::nullopt;
    };
}

// A scratch tree in a temporary directory, removed with the object: copies of /bin/sleep stand in for
// the program's executable inside AppImage mounts, for an installed program and for the AppImage file.
class ScratchTree {
public:
    ScratchTree() : root_(fs::temp_directory_path() / ("quillmark-identity-" + std::to_string(::getpid()))) {
        fs::create_directories(root_);
    }
    ~ScratchTree() {
        std::error_code error;
        fs::remove_all(root_, error);
    }
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    std::string path(const std::string& relative) const { return (root_ / relative).string(); }
    // A copy of /bin/sleep at `relative`.
    std::string program(const std::string& relative) const {
        const fs::path target = root_ / relative;
        fs::create_directories(target.parent_path());
        fs::copy_file(sleepBinary(), target, fs::copy_options::overwrite_existing);
        return target.string();
    }

private:
    fs::path root_;
};

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
        // Started from a shell of an AppImage-packaged terminal: the variables are inherited, the
        // executable is still ours.
        {{"XDG_CONFIG_HOME=" + kSettings, "APPIMAGE=/opt/Other.AppImage"}, true},
        {{"XDG_CONFIG_HOME=" + kSettings, "APPIMAGE=/bin/sh", "APPDIR=/tmp/.mount_Other"}, true},
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

// Run from an AppImage, this copy is the AppImage: a copy is another process run from the same file,
// whose executable lies inside its own mount at our executable's path there. Strangers that only
// inherited the variables, and the AppImage runtime serving a mount, are not.
TEST(ProcRunningCopies, AnAppImageCopyRunsFromOurAppImageAtOurPathInsideItsOwnMount) {
    const ScratchTree tree;
    const std::string image = tree.program("Quillmark-x86_64.AppImage");  // what the runtime runs
    const std::string settings = "XDG_CONFIG_HOME=" + kSettings;
    const auto mount = [&](const char* name) { return "APPDIR=" + tree.path(name); };
    const ProgramIdentity self = ProgramIdentity::of(tree.path("mount-ours/usr/bin/quillmark"),
                                                     environmentOf({"APPIMAGE=" + image, mount("mount-ours")}));
    ASSERT_TRUE(self.runsFromAppImage());
    ASSERT_EQ(self.program(), image);
    struct Case {
        const char* name;
        std::string program;
        std::vector<std::string> environment;
        bool listed;
    };
    const std::vector<Case> cases = {
        {"a stranger with our APPIMAGE only", sleepBinary(), {"APPIMAGE=" + image, settings}, false},
        {"a stranger whose APPDIR does not hold its executable",
         sleepBinary(),
         {"APPIMAGE=" + image, mount("mount-a"), settings},
         false},
        {"a stranger inside its APPDIR at another path",
         tree.program("mount-b/usr/bin/other"),
         {"APPIMAGE=" + image, mount("mount-b"), settings},
         false},
        {"a copy of another AppImage",
         tree.program("mount-c/usr/bin/quillmark"),
         {"APPIMAGE=/tmp/x/Other-Editor.AppImage", mount("mount-c"), settings},
         false},
        {"the AppImage runtime", image, {"APPIMAGE=" + image, mount("mount-d"), settings}, false},
        {"an installed copy", tree.program("usr/bin/quillmark"), {settings}, false},
        {"a copy run from our AppImage",
         tree.program("mount-e/usr/bin/quillmark"),
         {"APPIMAGE=" + image, mount("mount-e"), settings},
         true},
        {"a copy run from our AppImage with other settings",
         tree.program("mount-f/usr/bin/quillmark"),
         {"APPIMAGE=" + image, mount("mount-f"), "XDG_CONFIG_HOME=/tmp/quillmark-copies-other"},
         false},
    };
    std::vector<std::unique_ptr<Child>> children;
    for (const auto& testCase : cases)
        children.push_back(std::make_unique<Child>(testCase.program, testCase.environment));
    const ProcRunningCopies copies(identity(self));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto copy = listed(copies, children[i]->pid());
        EXPECT_EQ(copy.has_value(), cases[i].listed) << cases[i].name;
        if (copy) {
            EXPECT_EQ(copy->executable, image) << cases[i].name;
        }
    }
}

// Installed, this copy is its executable: the variables a process inherited change nothing.
TEST(ProcRunningCopies, AnInstalledCopyIsItsExecutableWhateverAppImageItsEnvironmentNames) {
    const ScratchTree tree;
    const std::string image = tree.program("Quillmark-x86_64.AppImage");
    const std::string program = tree.program("usr/bin/quillmark");
    Child inherited(program, {"APPIMAGE=" + image, "APPDIR=" + tree.path("mount"), "XDG_CONFIG_HOME=" + kSettings});
    Child stranger(tree.program("mount/usr/bin/quillmark"),
                   {"APPIMAGE=" + image, "APPDIR=" + tree.path("mount"), "XDG_CONFIG_HOME=" + kSettings});
    Child runtime(image, {"APPIMAGE=" + image, "APPDIR=" + tree.path("mount"), "XDG_CONFIG_HOME=" + kSettings});
    const ProgramIdentity self =
        ProgramIdentity::of(program, environmentOf({"APPIMAGE=" + image, "APPDIR=" + tree.path("elsewhere")}));
    ASSERT_FALSE(self.runsFromAppImage()) << "our executable does not lie inside $APPDIR";
    const ProcRunningCopies copies(identity(self));
    const auto copy = listed(copies, inherited.pid());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->executable, program);
    EXPECT_FALSE(listed(copies, stranger.pid()));
    EXPECT_FALSE(listed(copies, runtime.pid()));
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

// The start time as the kernel gives it: field 22 of /proc/self/stat, after the command in parentheses.
std::uint64_t ownStartTime() {
    std::ifstream in("/proc/self/stat");
    std::string text;
    std::getline(in, text);
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int number = 3; number < 22; ++number) fields >> field;
    std::uint64_t startTime = 0;
    fields >> startTime;
    return startTime;
}

TEST(ProcRunningCopies, ThisCopyIsThisProcessWithItsStartTimeAndStartedBeforeItsChildren) {
    const ProcRunningCopies copies(identity(sleepBinary()));
    const ProgramCopy self = copies.thisCopy();
    EXPECT_EQ(self.pid, ::getpid());
    EXPECT_EQ(self.startTime, ownStartTime());
    ASSERT_GT(self.startTime, 0u);
    Child child(sleepBinary(), {"XDG_CONFIG_HOME=" + kSettings});
    const auto copy = listed(copies, child.pid());
    ASSERT_TRUE(copy);
    EXPECT_TRUE(self.startedBefore(*copy));
    EXPECT_FALSE(copy->startedBefore(self));
}

TEST(ProcRunningCopies, ThisProcessIsNeverItsOwnCopy) {
    const auto self = ProcRunningCopies::thisProcess();
    EXPECT_EQ(self.program.program(), fs::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(self.self, ::getpid());
    EXPECT_THAT(pidsOf(ProcRunningCopies(self).others()), ::testing::Not(::testing::Contains(::getpid())));
}

}  // namespace
}  // namespace quillmark::testing
