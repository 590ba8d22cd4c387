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
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (!number || !std::isfinite(*number) || *number >= limit || *number < -limit) return std::nullopt;
    return static_cast<std::int64_t>(*number);
}

struct Rule {
    const PropertyPath& (*property)(const MonitorPaths&);
    void (*store)(MonitorSnapshot&, const JSONValue&);
    MonitorEvent::Kind event;
};

constexpr Rule rules[] = {
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.levelDB; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.levelDB = asLevel(v); }, MonitorEvent::level},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.levelTapered; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.levelTapered = asLevel(v); }, MonitorEvent::level},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.mute; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.mute = asSwitch(v); }, MonitorEvent::mute},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.dim; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.dim = asSwitch(v); }, MonitorEvent::dim},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.mono; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.mono = asSwitch(v); }, MonitorEvent::mono},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.surroundStereoFoldDown; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.surroundStereoFoldDown = asSwitch(v); }, MonitorEvent::foldDown},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.altMonSelection; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.altMonSelection = asSelection(v); }, MonitorEvent::altMon},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.surroundMode; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.surroundMode = asText(v); }, MonitorEvent::surround},
    {[](const MonitorPaths& p) -> const PropertyPath& { return p.deviceOnline; },
     [](MonitorSnapshot& s, const JSONValue& v) { s.deviceOnline = asSwitch(v); }, MonitorEvent::deviceOnline},
    {[](const MonitorPaths&) -> const PropertyPath& { return MonitorPaths::talkbackOn(); },
     [](MonitorSnapshot& s, const JSONValue& v) { s.talkback = asSwitch(v); }, MonitorEvent::talkback},
};

}  // namespace

Uuid MonitorStateStore::observe(Listener listener) { return listeners_.add(std::move(listener)); }

void MonitorStateStore::removeObserver(const Uuid& id) { listeners_.remove(id); }

std::optional<MonitorEvent> MonitorStateStore::apply(const MixerFrame& frame, const MonitorPaths& monitorPaths) {
    if (!frame.path.ends_with("/value")) return std::nullopt;
    // The first property whose value path is the frame's path decides.
    for (const Rule& rule : rules) {
        if (!rule.property(monitorPaths).isValuePath(frame.path)) continue;
        rule.store(snapshot_, frame.data);
        const MonitorEvent event = rule.event;
        // A listener may add or remove listeners; this pass keeps the table it started with.
        listeners_.notifyAsStarted(snapshot_, event);
        return event;
    }
    return std::nullopt;
}

}  // namespace quillmark
