#pragma once

#include "platform/crash/SentryOptions.h"

#include <functional>
#include <optional>
#include <string>

namespace quillmark {

// The one front of the crash-reporting SDK: starts it with the user's consent when the build carries
// a data source name (Info.json "QuillmarkSentryDSN"), and stops it when consent is withdrawn.
class CrashReporter {
public:
    // What the reporter calls: the SDK, and the main bundle's information list.
    struct Dependencies {
        std::function<void(const std::function<void(SentryOptions&)>&)> start;
        std::function<void()> close;
        std::function<void()> discardPendingReports;
        std::function<std::optional<std::string>(const std::string&)> infoString;
    };

    static CrashReporter& shared();
    // Tests make their own, over a recording SDK; the program uses shared() only.
    explicit CrashReporter(Dependencies dependencies) : dependencies_(std::move(dependencies)) {}

    void startIfConsented(bool consent);
    void stop();
    bool isStarted() const { return started_; }
    // Whether this build carries a data source name; without one nothing is ever started or asked.
    bool isAvailable() const { return dsn().has_value(); }
    // Crashes recorded earlier are deleted unsent while the user has not agreed (and only where a
    // data source name makes crash reporting available at all).
    void discardUnsentReports();

    // What every thread the application starts runs first (the engine thread's start, for one): a
    // stack overflow there is recorded like one on the main thread. Whether or not the SDK is started.
    static void prepareThread();

    // The options the SDK is started with.
    static void configure(SentryOptions& options, const std::string& dsn,
                          const std::optional<std::string>& shortVersion);

private:
    std::optional<std::string> dsn() const;

    Dependencies dependencies_;
    bool started_ = false;
};

}  // namespace quillmark
