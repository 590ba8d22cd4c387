#include "app/services/CrashReporter.h"

#include "app/look/ResourceBundle.h"
#include "app/services/PathScrubber.h"
#include "platform/crash/SentrySDK.h"

namespace quillmark {

CrashReporter& CrashReporter::shared() {
    static CrashReporter instance(
        Dependencies{[](const std::function<void(SentryOptions&)>& configure) { SentrySDK::start(configure); },
                     [] { SentrySDK::close(); }, [] { SentrySDK::discardPendingReports(); },
                     [](const std::string& key) { return ResourceBundle::main().infoString(key); }});
    return instance;
}

std::optional<std::string> CrashReporter::dsn() const {
    auto value = dependencies_.infoString("QuillmarkSentryDSN");
    if (!value || value->empty()) return std::nullopt;
    return value;  // exactly as stored: not trimmed
}

void CrashReporter::startIfConsented(bool consent) {
    if (!consent || started_) return;
    const auto dataSourceName = dsn();
    if (!dataSourceName) return;
    const auto shortVersion = dependencies_.infoString("CFBundleShortVersionString");
    dependencies_.start([&](SentryOptions& options) { configure(options, *dataSourceName, shortVersion); });
    started_ = true;
}

void CrashReporter::stop() {
    if (!started_) return;
    dependencies_.close();
    started_ = false;
}

void CrashReporter::discardUnsentReports() {
    if (!started_ && dsn()) dependencies_.discardPendingReports();
}

void CrashReporter::prepareThread() { SentrySDK::prepareThread(); }

void CrashReporter::configure(SentryOptions& options, const std::string& dsn,
                              const std::optional<std::string>& shortVersion) {
    options.dsn = dsn;
    options.environment = "production";
    options.releaseName = shortVersion ? std::optional<std::string>("quillmark@" + *shortVersion) : std::nullopt;
    options.attachStacktrace = true;
    options.tracesSampleRate = 0.0;
    options.enableAutoSessionTracking = false;
    options.enableSwizzling = false;
    options.beforeSend = [](std::shared_ptr<SentryEvent> event) {
        if (event) PathScrubber::scrubPaths(*event);
        return event;
    };
    options.beforeBreadcrumb = [](std::shared_ptr<SentryBreadcrumb> breadcrumb) {
        if (breadcrumb) PathScrubber::scrubPaths(*breadcrumb);
        return breadcrumb;
    };
}

}  // namespace quillmark
