// Consent and the data source name decide whether the SDK runs; the options it gets are fixed.
#include "app/services/CrashReporter.h"

#include <gtest/gtest.h>

#include <map>

namespace quillmark {
namespace {

class CrashReporterTest : public ::testing::Test {
protected:
    CrashReporter make() {
        return CrashReporter(CrashReporter::Dependencies{[this](const std::function<void(SentryOptions&)>& configure) {
                                                             SentryOptions options;
                                                             configure(options);
                                                             started.push_back(options);
                                                             calls.push_back("start");
                                                         },
                                                         [this] { calls.push_back("close"); },
                                                         [this] { calls.push_back("discard"); },
                                                         [this](const std::string& key) -> std::optional<std::string> {
                                                             const auto found = info.find(key);
                                                             if (found == info.end()) return std::nullopt;
                                                             return found->second;
                                                         }});
    }

    std::map<std::string, std::string> info{{"QuillmarkSentryDSN", "https://key@example.invalid/1"},
                                            {"CFBundleShortVersionString", "1.4.0"}};
    std::vector<SentryOptions> started;
    std::vector<std::string> calls;
};

TEST_F(CrashReporterTest, ConsentTwiceStartsOnceAndOffThenOnStartsAgainWithTheSameOptions) {
    auto reporter = make();
    reporter.startIfConsented(true);
    reporter.startIfConsented(true);
    EXPECT_EQ(calls, (std::vector<std::string>{"start"}));
    reporter.stop();
    reporter.stop();
    reporter.startIfConsented(true);
    EXPECT_EQ(calls, (std::vector<std::string>{"start", "close", "start"}));
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].dsn, started[1].dsn);
    EXPECT_EQ(started[0].releaseName, started[1].releaseName);
    EXPECT_TRUE(reporter.isStarted());
}

TEST_F(CrashReporterTest, WithoutConsentOrDataSourceNameNothingStarts) {
    auto reporter = make();
    reporter.startIfConsented(false);
    EXPECT_TRUE(calls.empty());
    for (const char* missing : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        if (missing) info["QuillmarkSentryDSN"] = missing;
        else info.erase("QuillmarkSentryDSN");
        reporter.startIfConsented(true);
        reporter.stop();
        reporter.startIfConsented(true);
        EXPECT_TRUE(calls.empty());
        EXPECT_FALSE(reporter.isStarted());
    }
}

TEST_F(CrashReporterTest, TheOptionsAreTheFixedSetWithTheDsnUntrimmed) {
    info["QuillmarkSentryDSN"] = " https://key@example.invalid/1 ";
    auto reporter = make();
    reporter.startIfConsented(true);
    ASSERT_EQ(started.size(), 1u);
    const SentryOptions& options = started[0];
    EXPECT_EQ(options.dsn, " https://key@example.invalid/1 ");
    EXPECT_EQ(options.environment, "production");
    EXPECT_EQ(options.releaseName, "quillmark@1.4.0");
    EXPECT_TRUE(options.attachStacktrace);
    EXPECT_EQ(options.tracesSampleRate, 0.0);
    EXPECT_FALSE(options.enableAutoSessionTracking);
    EXPECT_FALSE(options.enableSwizzling);
    ASSERT_TRUE(options.beforeSend && options.beforeBreadcrumb);

    auto event = std::make_shared<SentryEvent>();
    event->transaction = "/tmp/x";
    EXPECT_EQ(options.beforeSend(event), event);  // the same object, scrubbed, never dropped
    EXPECT_EQ(event->transaction, "<path-scrubbed>");
    auto crumb = std::make_shared<SentryBreadcrumb>();
    crumb->message = "/tmp/y";
    EXPECT_EQ(options.beforeBreadcrumb(crumb), crumb);
    EXPECT_EQ(crumb->message, "<path-scrubbed>");
}

TEST_F(CrashReporterTest, NoReleaseNameWithoutAVersion) {
    info.erase("CFBundleShortVersionString");
    auto reporter = make();
    reporter.startIfConsented(true);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].releaseName, std::nullopt);
}

TEST_F(CrashReporterTest, UnsentReportsAreDiscardedOnlyWhileNotStarted) {
    auto reporter = make();
    reporter.discardUnsentReports();
    reporter.startIfConsented(true);
    reporter.discardUnsentReports();
    EXPECT_EQ(calls, (std::vector<std::string>{"discard", "start"}));
    info.erase("QuillmarkSentryDSN");
    auto unavailable = make();
    unavailable.discardUnsentReports();
    EXPECT_EQ(calls, (std::vector<std::string>{"discard", "start"}));
}

}  // namespace
}  // namespace quillmark
