#pragma once

#include "base/MainQueue.h"
#include "base/WeakGuard.h"
#include "core/MixerEngineClient.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quillmark {

// Subscribes the control-room output's meters, meter by meter, up to the highest meter number the
// channel layout needs, each once per connection. Values come back as ordinary frames on
// "<outputBase>/meters/<n>/MeterLevel/value". Main thread only.
class MeterSubscriptionManager {
public:
    MeterSubscriptionManager(MixerEngineClient& client, MainQueue& queue, std::string outputBase);
    ~MeterSubscriptionManager();

    // Makes sure meters 0 to maxMeterIndex are subscribed. Returns at once; the requests go out
    // in increasing order from a task of their own. A negative index does nothing.
    void ensureSubscribed(std::int64_t maxMeterIndex);

    // "<base>/meters/<n>/MeterLevel".
    static std::string meterPath(const std::string& base, std::int64_t meterIndex);

    // Base path of the control-room output; replaced when discovery finds the output.
    std::string outputBase;
    // Meters 0 to subscribedCount - 1 have been asked for on the current connection. The
    // application sets it to 0 on a reconnect, then asks again for the same meters.
    std::int64_t subscribedCount = 0;

private:
    MixerEngineClient& client_;
    MainQueue& queue_;
    // The sending task holds this weakly: nothing is sent once the manager is gone.
    WeakGuard guard_;
};

}  // namespace quillmark
