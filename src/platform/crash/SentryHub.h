#pragma once

#include "platform/crash/BreadcrumbRing.h"
#include "platform/crash/CrashStore.h"
#include "platform/crash/LoadedImages.h"
#include "platform/crash/SentryDsn.h"
#include "platform/crash/SentryOptions.h"

#include <QObject>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace quillmark {

class AppHangWatchdog;
class EnvelopeSender;

// The running SDK, made on the main thread by SentrySDK::start: crash capture, breadcrumbs, the
// hang watchdog fed by a main-thread timer, and the sending of what earlier runs left behind.
class SentryHub {
public:
    static constexpr std::chrono::seconds hangThreshold{2};

    // Nothing when the options carry no usable DSN (missing, malformed, not HTTPS), there is no
    // store (no home directory: one line is logged and nothing is recorded) or no run directory can
    // be made.
    static std::unique_ptr<SentryHub> start(SentryOptions options, std::optional<CrashStore> store,
                                            std::function<bool()> hangTrackingPaused);
    ~SentryHub();
    SentryHub(const SentryHub&) = delete;
    SentryHub& operator=(const SentryHub&) = delete;

    void addBreadcrumb(const SentryBreadcrumb& breadcrumb);
    const std::filesystem::path& runDirectory() const { return run_; }

private:
    SentryHub(SentryOptions options, SentryDsn dsn, CrashStore store, std::filesystem::path run);
    void startHangTracking(std::function<bool()> paused);
    void recordHang(std::chrono::steady_clock::duration blocked);
    std::string headerLines() const;

    SentryOptions options_;
    SentryDsn dsn_;
    CrashStore store_;
    std::filesystem::path run_;
    LoadedImages images_;
    BreadcrumbRing breadcrumbs_;
    std::int64_t mainThreadId_ = 0;
    std::atomic<int> hangCount_{0};
    std::unique_ptr<EnvelopeSender> sender_;
    std::unique_ptr<QTimer> heartbeat_;
    std::unique_ptr<AppHangWatchdog> watchdog_;
};

}  // namespace quillmark
