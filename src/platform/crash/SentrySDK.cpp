#include "platform/crash/SentrySDK.h"

#include "platform/crash/CrashSignalHandler.h"
#include "platform/crash/CrashStore.h"
#include "platform/crash/SentryHub.h"

#include <atomic>
#include <memory>

namespace quillmark {

namespace {

struct SdkState {
    std::unique_ptr<SentryHub> hub;
    std::atomic<int> hangTrackingPauses{0};
};

SdkState& sdk() {
    static SdkState state;
    return state;
}

}  // namespace

void SentrySDK::start(const std::function<void(SentryOptions&)>& configureOptions) {
    sdk().hub.reset();  // a restart, not a withdrawal: what waits to be sent stays
    SentryOptions options;
    if (configureOptions) configureOptions(options);
    sdk().hub = SentryHub::start(std::move(options), CrashStore::forThisUser(),
                                 [] { return sdk().hangTrackingPauses.load() > 0; });
}

void SentrySDK::close() {
    if (!sdk().hub) return;
    sdk().hub.reset();
    if (const auto store = CrashStore::forThisUser()) store->discardAll();
}

bool SentrySDK::isEnabled() { return sdk().hub != nullptr; }

void SentrySDK::addBreadcrumb(const SentryBreadcrumb& breadcrumb) {
    if (sdk().hub) sdk().hub->addBreadcrumb(breadcrumb);
}

void SentrySDK::pauseAppHangTracking() { ++sdk().hangTrackingPauses; }

void SentrySDK::resumeAppHangTracking() {
    int pauses = sdk().hangTrackingPauses.load();
    while (pauses > 0 && !sdk().hangTrackingPauses.compare_exchange_weak(pauses, pauses - 1)) {}
}

void SentrySDK::prepareThread() { CrashSignalHandler::prepareThisThread(); }

void SentrySDK::discardPendingReports() {
    if (const auto store = CrashStore::forThisUser()) store->discardAll();
}

std::optional<std::filesystem::path> SentrySDK::runDirectory() {
    if (!sdk().hub) return std::nullopt;
    return sdk().hub->runDirectory();
}

}  // namespace quillmark
