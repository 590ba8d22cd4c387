#pragma once

#include "platform/crash/SentryBreadcrumb.h"
#include "platform/crash/SentryOptions.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace quillmark {

// Our crash-reporting SDK, Sentry-compatible on the wire. Started on the main thread with a Qt event
// loop: crashes are written to disk and sent at the next start; main-thread hangs of 2 s or more are
// recorded by a watchdog. Records wait under $XDG_STATE_HOME/quillmark/crashes (CrashStore); an
// account without a home directory records nothing.
class SentrySDK {
public:
    // Starts with the options `configureOptions` fills in, replacing a running SDK. Does nothing
    // without a usable DSN.
    static void start(const std::function<void(SentryOptions&)>& configureOptions);
    // Stops capturing and drops the records not yet sent: consent has been withdrawn.
    static void close();
    static bool isEnabled();

    static void addBreadcrumb(const SentryBreadcrumb& breadcrumb);

    // Modal loops block the main thread on purpose: tracking stops before one runs and resumes after.
    // Both work whether or not the SDK was started.
    static void pauseAppHangTracking();
    static void resumeAppHangTracking();

    // Called first on every thread the program starts (the app hands it to the engine client): the
    // thread gets an alternate signal stack, so a stack overflow there is recorded too.
    static void prepareThread();

    // Deletes every record waiting to be sent, without sending it: the user has not agreed.
    static void discardPendingReports();

    // The run directory of the started SDK, where its records are written.
    static std::optional<std::filesystem::path> runDirectory();

    SentrySDK() = delete;
};

}  // namespace quillmark
