#include "core/MonitorStateStore.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace quillmark {

namespace {

std::optional<double> asLevel(const JSONValue& data) { return data.asDouble(); }
std::optional<bool> asSwitch(const JSONValue& data) { return data.asBool(); }
std::optional<std::string> asText(const JSONValue& data) { return data.stringValue(); }

// Truncated toward zero. A number that is not finite or does not fit a signed 64-bit integer is not
// a monitor set the engine can mean: it reads as not reported rather than as some clamped set.
std::optional<std::int64_t> asSelection(const JSONValue& data) {
    const std::optional<double> number = data.asDouble();
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!number || !std::isfinite(*number) || *number >= limit || *number < -limit) return std::nullopt;
    return static_cast<std::int64_t>(*number);
}

} // namespace

Uuid MonitorStateStore::observe(Listener listener) {
    const Uuid id = Uuid::make();
    listeners_.emplace(id, std::move(listener));
    return id;
}

void MonitorStateStore::removeObserver(const Uuid& id) {
    listeners_.erase(id);
}

std::optional<MonitorEvent> MonitorStateStore::apply(const MixerFrame& frame, const MonitorPaths& monitorPaths) {
    const std::string& path = frame.path;
    if (!path.ends_with("/value")) return std::nullopt;

    const JSONValue& data = frame.data;
    MonitorSnapshot& s = snapshot_;
    std::optional<MonitorEvent> event;
    if (monitorPaths.levelDB.isValuePath(path)) { s.levelDB = asLevel(data); event = MonitorEvent::level; }
    else if (monitorPaths.levelTapered.isValuePath(path)) { s.levelTapered = asLevel(data); event = MonitorEvent::level; }
    else if (monitorPaths.mute.isValuePath(path)) { s.mute = asSwitch(data); event = MonitorEvent::mute; }
    else if (monitorPaths.dim.isValuePath(path)) { s.dim = asSwitch(data); event = MonitorEvent::dim; }
    else if (monitorPaths.mono.isValuePath(path)) { s.mono = asSwitch(data); event = MonitorEvent::mono; }
    else if (monitorPaths.surroundStereoFoldDown.isValuePath(path)) {
        s.surroundStereoFoldDown = asSwitch(data);
        event = MonitorEvent::foldDown;
    }
    else if (monitorPaths.altMonSelection.isValuePath(path)) { s.altMonSelection = asSelection(data); event = MonitorEvent::altMon; }
    else if (monitorPaths.surroundMode.isValuePath(path)) { s.surroundMode = asText(data); event = MonitorEvent::surround; }
    else if (monitorPaths.deviceOnline.isValuePath(path)) { s.deviceOnline = asSwitch(data); event = MonitorEvent::deviceOnline; }
    else if (MonitorPaths::talkbackOn().isValuePath(path)) { s.talkback = asSwitch(data); event = MonitorEvent::talkback; }
    else return std::nullopt;

    notify(*event);
    return event;
}

void MonitorStateStore::notify(const MonitorEvent& event) {
    // A listener may add or remove listeners; this pass keeps the table it started with.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) listener(snapshot_, event);
}

} // namespace quillmark
