// The real program made to crash: the next start with consent sends the crash to a collector on
// loopback; without consent the record is deleted unsent. The program runs as a copy beside its own
// share/quillmark, whose Info.json names that collector, inside a home directory of its own.
#include "EngineSimProcess.h"
#include "LoopbackReceiver.h"
#include "PollUntil.h"
#include "QuillmarkProcess.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The sanitizer's own handlers would take these signals first and end the process their way.
constexpr const char* kAsanOptions =
    "handle_segv=0:handle_sigbus=0:handle_sigill=0:handle_sigfpe=0:handle_abort=0:handle_sigtrap=0";

std::vector<fs::path> filesNamed(const fs::path& root, const std::string& name) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
        if (it->path().filename() == name) found.push_back(it->path());
    return found;
}

class CrashReportE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.isRunning());
        const char* binary = std::getenv("QUILLMARK_BINARY_DIR");
        std::string pattern = (fs::path(binary ? binary : ".") / "tests" / "crash-e2e-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        base_ = pattern;
        home_ = base_ / "home" / "someone";
        fs::create_directories(home_ / "bin");
        fs::create_directories(home_ / "share" / "quillmark");
        executable_ = home_ / "bin" / "quillmark";
        std::error_code error;
        fs::create_hard_link(QuillmarkProcess::executablePath(), executable_, error);
        if (error) fs::copy_file(QuillmarkProcess::executablePath(), executable_);
        std::ofstream(home_ / "share" / "quillmark" / "Info.json") << nlohmann::json{
            {"CFBundleShortVersionString", "9.8.7"},
            {"CFBundleVersion", "987"},
            {"QuillmarkSentryDSN", "http://key@127.0.0.1:" + std::to_string(receiver_.port()) +
                                       "/1"}}.dump();
    }

    void TearDown() override {
        std::error_code error;
        fs::remove_all(base_, error);
    }

    fs::path crashes() const { return base_ / "state" / "quillmark" / "crashes"; }

    std::unique_ptr<QuillmarkProcess> launch(bool consent) {
        QuillmarkProcess::Options options;
        options.enginePort = sim_.port();
        options.executable = executable_.string();
        options.settings = {{"Quillmark.crashReporting", consent}};
        options.environment = {
            {"HOME", home_.string()}, {"XDG_STATE_HOME", (base_ / "state").string()}, {"ASAN_OPTIONS", kAsanOptions}};
        return std::make_unique<QuillmarkProcess>(std::move(options));
    }

    // Runs the program with consent until it has started reporting, then crashes its main thread.
    void crashOnce() {
        sim_.clearRequests();
        auto app = launch(true);
        ASSERT_TRUE(pollUntil([&] { return hasRunOf(app->pid()); }, 20s));
        ASSERT_TRUE(sim_.waitForRequest("subscribe /TalkbackOn", 20s));  // well into its event loop
        ASSERT_EQ(::syscall(SYS_tgkill, app->pid(), app->pid(), SIGSEGV), 0);
        const auto status = app->waitForExit(20s);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGSEGV) << "wait status " << *status;
        ASSERT_EQ(filesNamed(crashes(), "pending.crash").size(), 1u);
    }

    bool hasRunOf(pid_t pid) const {
        std::error_code error;
        for (fs::directory_iterator it(crashes(), error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() > 4 && name.substr(name.rfind('-') + 1) == std::to_string(pid)) return true;
        }
        return false;
    }

    EngineSimProcess sim_;
    LoopbackReceiver receiver_;
    fs::path base_;
    fs::path home_;
    fs::path executable_;
};

TEST_F(CrashReportE2E, ACrashIsSentAtTheNextStartWithConsentWithItsStackAndImagesAndNoHomePath) {
    crashOnce();
    EXPECT_TRUE(receiver_.requests().empty());

    auto app = launch(true);
    ASSERT_TRUE(pollUntil([&] { return !receiver_.requests().empty(); }, 30s));
    ASSERT_TRUE(pollUntil([&] { return filesNamed(crashes(), "pending.crash").empty(); }, 10s));
    const auto requests = receiver_.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.target, "/api/1/envelope/");
    EXPECT_NE(request.headers.at("x-sentry-auth").find("sentry_key=key"), std::string::npos);
    EXPECT_EQ(request.body.find(home_.string()), std::string::npos) << "the home directory went out";
    EXPECT_EQ(request.body.find(fs::canonical(home_).string()), std::string::npos);

    const std::size_t itemStart = request.body.find('\n', request.body.find('\n') + 1) + 1;
    const auto event = nlohmann::json::parse(request.body.substr(itemStart), nullptr, false);
    ASSERT_TRUE(event.is_object()) << request.body.substr(0, 400);
    EXPECT_EQ(event["release"], "quillmark@9.8.7");
    EXPECT_EQ(event["environment"], "production");
    EXPECT_EQ(event["exception"]["values"][0]["type"], "SIGSEGV");

    const auto& images = event["debug_meta"]["images"];
    ASSERT_GT(images.size(), 3u);
    EXPECT_EQ(images[0]["code_file"], "<path-scrubbed>/quillmark");  // the executable, in the home directory
    EXPECT_FALSE(images[0]["code_id"].get<std::string>().empty());

    // The crashing frame (the main thread where the signal found it) lies in one of the images.
    const auto& frames = event["threads"]["values"][0]["stacktrace"]["frames"];
    ASSERT_GT(frames.size(), 2u);
    const auto crashing = std::stoull(frames.back()["instruction_addr"].get<std::string>(), nullptr, 16);
    bool inAnImage = false;
    for (const auto& image : images) {
        const auto start = std::stoull(image["image_addr"].get<std::string>(), nullptr, 16);
        inAnImage = inAnImage || (crashing >= start && crashing < start + image["image_size"].get<std::uint64_t>());
    }
    EXPECT_TRUE(inAnImage) << frames.back();
    EXPECT_TRUE(frames.back().contains("package"));
    EXPECT_EQ(app->terminate(), 0);
}

TEST_F(CrashReportE2E, WithoutConsentTheCrashIsDeletedUnsent) {
    crashOnce();
    sim_.clearRequests();
    auto app = launch(false);
    ASSERT_TRUE(pollUntil([&] { return filesNamed(crashes(), "pending.crash").empty(); }, 30s));
    ASSERT_TRUE(sim_.waitForRequest("subscribe /TalkbackOn", 20s));
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_TRUE(receiver_.requests().empty());
}

}  // namespace
}  // namespace quillmark::testing
