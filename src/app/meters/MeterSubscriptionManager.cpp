#include "app/meters/MeterSubscriptionManager.h"

#include "core/MixerRequest.h"

#include <limits>
#include <utility>

namespace quillmark {

MeterSubscriptionManager::MeterSubscriptionManager(MixerEngineClient& client, MainQueue& queue, std::string outputBase)
    : outputBase(std::move(outputBase)), client_(client), queue_(queue) {}

MeterSubscriptionManager::~MeterSubscriptionManager() = default;

std::string MeterSubscriptionManager::meterPath(const std::string& base, std::int64_t meterIndex) {
    return base + "/meters/" + std::to_string(meterIndex) + "/MeterLevel";
}

void MeterSubscriptionManager::ensureSubscribed(std::int64_t maxMeterIndex) {
    // The largest index has no count after it; nobody meters that many channels.
    if (maxMeterIndex < 0 || maxMeterIndex == std::numeric_limits<std::int64_t>::max()) return;
    const std::int64_t wanted = maxMeterIndex + 1;
    if (subscribedCount >= wanted) return;

    // Counted at once, so a second call for the same meters sends nothing while these go out.
    const std::int64_t first = subscribedCount;
    subscribedCount = wanted;
    queue_.post(guard_.wrap([clientAlive = client_.lifetime(), &client = client_, base = outputBase, first, wanted] {
        if (clientAlive.expired()) return;
        for (std::int64_t n = first; n < wanted; ++n) client.send(MixerRequest::subscribe(meterPath(base, n)));
    }));
}

}  // namespace quillmark
