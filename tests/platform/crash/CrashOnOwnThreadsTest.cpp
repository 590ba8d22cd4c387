// A stack overflow on a thread the program starts (the engine thread, the watchdog, the updater's
// worker) is recorded like a crash of the main thread: each has an alternate signal stack of its own.
// Each case runs in a child process that overflows one thread's stack and dies of it; the record its
// handler wrote is what the case looks at. The sanitizers' own signal handling and alternate stacks
// are off (ctest sets ASAN_OPTIONS), so that only ours are there.
#include "core/MixerEngineClient.h"
#include "platform/crash/AppHangWatchdog.h"
#include "platform/crash/BreadcrumbRing.h"
#include "platform/crash/CrashSignalHandler.h"
#include "platform/crash/LoadedImages.h"
#include "platform/updater/UpdateWorker.h"

#include <asio/post.hpp>
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

volatile int gNever = -1;

// Recurses until the thread's stack is gone.
[[gnu::noinline]] int overflow(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (depth == gNever) return 0;
    return overflow(depth + 1) + frame[0];
}

[[noreturn]] void overflowForever() {
    overflow(0);
    std::abort();  // not reached
}

class CrashOnOwnThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        const char* options = std::getenv("ASAN_OPTIONS");
        if (!options || std::string(options).find("use_sigaltstack=0") == std::string::npos)
            GTEST_SKIP() << "AddressSanitizer gives every thread an alternate stack unless ASAN_OPTIONS has "
                            "use_sigaltstack=0 (ctest sets it)";
#endif
        fs::create_directories(directory_);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(directory_, error);
    }

    // Runs `crash` in a child process with the handler installed on its main thread, and returns the
    // record left behind, empty when none. The child must die of SIGSEGV.
    std::string recordOf(const std::function<void()>& crash) {
        const fs::path record = directory_ / "pending.crash";
        const pid_t child = ::fork();
        if (child == 0) {
            LoadedImages images;
            images.refresh();
            BreadcrumbRing breadcrumbs;
            CrashSignalHandler::install(record.string(), "release quillmark@test\n", images, breadcrumbs);
            crash();
            std::this_thread::sleep_for(30s);  // the crashing thread ends the process first
            ::_exit(3);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << "wait status " << status;
        child_ = child;
        std::ostringstream text;
        text << std::ifstream(record).rdbuf();
        return text.str();
    }

    // A whole record of a SIGSEGV on a thread other than the child's main thread.
    bool isWholeCrashOfAThread(const std::string& record) const {
        const auto thread = record.find("\nthread ");
        return record.find("\nkind crash\n") != std::string::npos &&
               record.find("\nsignal 11\n") != std::string::npos && thread != std::string::npos &&
               std::stol(record.substr(thread + 8)) != child_ && record.ends_with("end\n");
    }

    const fs::path directory_ = fs::temp_directory_path() / ("quillmark-thread-crash-" + std::to_string(::getpid()));
    pid_t child_ = 0;
};

TEST_F(CrashOnOwnThreadsTest, AThreadThatPreparedItselfRecordsItsStackOverflow) {
    const std::string record = recordOf([] {
        std::thread([] {
            CrashSignalHandler::prepareThisThread();
            overflowForever();
        }).detach();
    });
    EXPECT_TRUE(isWholeCrashOfAThread(record)) << record;
}

TEST_F(CrashOnOwnThreadsTest, TheEngineThreadRecordsItsStackOverflow) {
    const std::string record = recordOf([] {
        // The application gives the client its crash handling's thread start.
        auto* client =
            new MixerEngineClient("127.0.0.1", 1, MixerEngineClient::Timing{}, &CrashSignalHandler::prepareThisThread);
        asio::post(client->executor(), [] { overflowForever(); });
    });
    EXPECT_TRUE(isWholeCrashOfAThread(record)) << record;
}

TEST_F(CrashOnOwnThreadsTest, TheWatchdogRecordsItsStackOverflow) {
    const std::string record = recordOf([] {
        AppHangWatchdog::Hooks hooks;
        hooks.tick = [] { overflowForever(); };
        new AppHangWatchdog(2s, 10ms, std::move(hooks));
    });
    EXPECT_TRUE(isWholeCrashOfAThread(record)) << record;
}

TEST_F(CrashOnOwnThreadsTest, TheUpdatersWorkerRecordsItsStackOverflow) {
    const std::string record = recordOf([] { (new UpdateWorker)->start([] { overflowForever(); }); });
    EXPECT_TRUE(isWholeCrashOfAThread(record)) << record;
}

// What the cases above guard against: a thread without a stack of its own dies unrecorded.
TEST_F(CrashOnOwnThreadsTest, AThreadWithoutOneDiesUnrecorded) {
    const std::string record = recordOf([] { std::thread([] { overflowForever(); }).detach(); });
    EXPECT_EQ(record, "");
}

}  // namespace
}  // namespace quillmark
