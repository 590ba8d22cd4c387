#include "core/MeterStore.h"

#include "core/DecimalInteger.h"

#include <algorithm>

namespace quillmark {

namespace {

constexpr std::string_view kMetersSegment = "/meters/";
constexpr std::string_view kValueSuffix = "/value";

MeterStore::Clock::duration seconds(double value) {
    return std::chrono::duration_cast<MeterStore::Clock::duration>(std::chrono::duration<double>(value));
}

double secondsBetween(MeterStore::Clock::time_point from, MeterStore::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Splits at "/" leaving out empty pieces; false unless there are exactly three.
bool splitThree(std::string_view text, std::string_view (&pieces)[3]) {
    std::size_t count = 0;
    while (!text.empty()) {
        const std::size_t cut = std::min(text.find('/'), text.size());
        if (cut > 0) {
            if (count == 3) return false;
            pieces[count++] = text.substr(0, cut);
        }
        text.remove_prefix(std::min(cut + 1, text.size()));
    }
    return count == 3;
}

double levelOf(const JSONValue& data) { return data.asDouble().value_or(MeterFloor::dB); }

}  // namespace

MeterStore::MeterStore(MainQueue& queue) : queue_(queue) {}

MeterStore::~MeterStore() {
    // The batching pass must not run on a store that is gone.
    pendingHandle_.cancel();
}

MeterStore::Times MeterStore::distantPast() noexcept {
    // Far enough back to be earlier than any real instant, near enough that differences from now
    // stay well inside the clock's range.
    const Clock::time_point past = Clock::time_point{} - std::chrono::hours(24 * 365 * 100);
    return {past, past, past};
}

Uuid MeterStore::observe(Listener listener) { return listeners_.add(std::move(listener)); }

void MeterStore::removeObserver(const Uuid& id) { listeners_.remove(id); }

void MeterStore::setChannels(const std::vector<MeterChannelDefinition>& definitions) {
    std::vector<MeterChannel> channels;
    std::vector<Times> times;
    channels.reserve(definitions.size());
    times.reserve(definitions.size());
    for (const MeterChannelDefinition& definition : definitions) {
        const auto kept = std::find_if(channels_.begin(), channels_.end(),
                                       [&](const MeterChannel& c) { return c.meterIndex == definition.meterIndex; });
        if (kept == channels_.end()) {
            channels.push_back({definition.label, definition.meterIndex, MeterFloor::dB, MeterFloor::dB, false});
            times.push_back(distantPast());
        } else {
            channels.push_back(*kept);
            channels.back().label = definition.label;
            times.push_back(times_[static_cast<std::size_t>(kept - channels_.begin())]);
        }
    }
    channels_ = std::move(channels);
    times_ = std::move(times);
    notifyNow();
}

bool MeterStore::parseMeterPath(std::string_view path, std::string_view outputBasePath, std::int64_t& meterIndex) {
    if (cachedBase_ != outputBasePath) {
        cachedBase_ = outputBasePath;
        cachedPrefix_ = cachedBase_ + std::string(kMetersSegment);
    }
    if (!path.starts_with(cachedPrefix_)) return false;
    std::string_view pieces[3];
    if (!splitThree(path.substr(cachedPrefix_.size()), pieces)) return false;
    const std::optional<std::int64_t> number = decimalInteger(pieces[0]);
    if (!number || pieces[1] != "MeterLevel") return false;
    meterIndex = *number;
    return true;
}

bool MeterStore::apply(const MixerFrame& frame, std::string_view outputBasePath) {
    if (!frame.path.ends_with(kValueSuffix)) return false;
    std::int64_t meterIndex = 0;
    if (!parseMeterPath(frame.path, outputBasePath, meterIndex)) return false;
    const auto found = std::find_if(channels_.begin(), channels_.end(),
                                    [&](const MeterChannel& c) { return c.meterIndex == meterIndex; });
    if (found == channels_.end()) return false;

    MeterChannel& channel = *found;
    Times& times = times_[static_cast<std::size_t>(found - channels_.begin())];
    const double level = levelOf(frame.data);
    const Clock::time_point now = queue_.now();
    channel.level = level;
    if (level >= channel.peak) {
        channel.peak = level;
        times.peakRefreshedAt = now;
        times.lastDecayedAt = now;
    }
    if (level >= 0.0) {
        channel.clip = true;
        times.clipLatchedAt = now;
    }
    dirty_ = true;
    scheduleNotification();
    return true;
}

void MeterStore::clearAllClips() {
    bool changed = false;
    for (MeterChannel& channel : channels_) {
        changed = changed || channel.clip;
        channel.clip = false;
    }
    if (!changed) return;
    dirty_ = true;
    notifyNow();
}

void MeterStore::scheduleNotification() {
    if (notifyPending_) return;
    notifyPending_ = true;
    pendingHandle_ = queue_.postAfter(notifyInterval, [this] { batchingPassElapsed(); });
}

void MeterStore::batchingPassElapsed() {
    notifyPending_ = false;
    pendingHandle_ = {};
    decayPeaksAndReleaseClips();
    if (dirty_) notifyNow();
}

void MeterStore::decayPeaksAndReleaseClips() {
    if (channels_.empty()) return;
    const Clock::time_point now = queue_.now();
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        MeterChannel& channel = channels_[i];
        Times& times = times_[i];
        const Clock::time_point holdEnd = times.peakRefreshedAt + seconds(peakHoldDuration);
        if (now > holdEnd) {
            const double dt = secondsBetween(std::max(holdEnd, times.lastDecayedAt), now);
            if (dt > 0) {
                const double candidate = channel.peak - dt * peakFallRateDBPerSec;
                const double fallen = std::max(candidate <= channel.level ? channel.level : candidate, MeterFloor::dB);
                if (fallen != channel.peak) {
                    channel.peak = fallen;
                    dirty_ = true;
                }
                times.lastDecayedAt = now;
            }
        }
        if (clipAutoReleaseEnabled && channel.clip && secondsBetween(times.clipLatchedAt, now) > clipLatchDuration) {
            channel.clip = false;
            dirty_ = true;
        }
    }
}

void MeterStore::notifyNow() {
    dirty_ = false;
    // A listener may add or remove listeners; this pass keeps the table it started with.
    listeners_.notifyAsStarted(channels_);
}

}  // namespace quillmark
