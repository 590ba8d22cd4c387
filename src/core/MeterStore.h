#pragma once

#include "base/MainQueue.h"
#include "base/ObserverList.h"
#include "base/Uuid.h"
#include "core/MeterChannel.h"
#include "core/MeterChannelDefinition.h"
#include "core/MixerFrame.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// Turns the engine's meter frames for the control-room output into channels with level, held and
// falling peak and latched clip, and tells its listeners at most once per notifyInterval while frames
// arrive. Its clock and batching come from `queue`. With no meter frames nothing is timed: peaks and
// clips stand as last shown. Main thread only.
class MeterStore final {
public:
    using Listener = std::function<void(const std::vector<MeterChannel>&)>;
    using Clock = MainQueue::Clock;

    // `queue` must outlive the store.
    explicit MeterStore(MainQueue& queue);
    ~MeterStore();
    MeterStore(const MeterStore&) = delete;
    MeterStore& operator=(const MeterStore&) = delete;

    const std::vector<MeterChannel>& channels() const noexcept { return channels_; }

    // Stores `listener` under a fresh id; it is not called now.
    Uuid observe(Listener listener);
    // An unknown id is ignored.
    void removeObserver(const Uuid& id);

    // Makes `definitions` the channel list, in order. A channel whose meter index was already present
    // keeps its level, peak, clip and times (under the new label); others start at the floor. Notifies now.
    void setChannels(const std::vector<MeterChannelDefinition>& definitions);
    // Takes a frame on outputBasePath + "/meters/<n>/MeterLevel/value" for a channel of meter index n;
    // returns whether it updated a channel. Listeners hear of it at the end of the batching period.
    bool apply(const MixerFrame& frame, std::string_view outputBasePath);
    // Puts out every clip; notifies now if any was lit.
    void clearAllClips();

    // Tunables. The app writes only clipAutoReleaseEnabled.
    Clock::duration notifyInterval = std::chrono::milliseconds(16);
    double peakHoldDuration = 1.5;       // seconds a raised peak is held
    double peakFallRateDBPerSec = 20.0;  // fall after the hold
    double clipLatchDuration = 3.0;      // seconds a clip stays lit when auto-release is on
    bool clipAutoReleaseEnabled = true;

private:
    struct Times {
        Clock::time_point peakRefreshedAt;
        Clock::time_point lastDecayedAt;
        Clock::time_point clipLatchedAt;
    };

    static Times distantPast() noexcept;
    bool parseMeterPath(std::string_view path, std::string_view outputBasePath, std::int64_t& meterIndex);
    void scheduleNotification();
    void batchingPassElapsed();
    void decayPeaksAndReleaseClips();
    void notifyNow();

    MainQueue& queue_;
    std::vector<MeterChannel> channels_;
    std::vector<Times> times_;  // index for index with channels_
    ObserverList<std::vector<MeterChannel>> listeners_;
    bool dirty_ = false;
    bool notifyPending_ = false;
    MainQueue::Handle pendingHandle_;
    std::string cachedBase_;
    std::string cachedPrefix_;
};

}  // namespace quillmark
