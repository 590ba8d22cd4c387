#pragma once

#include <iosfwd>
#include <string>

namespace quillmark {

// What one frame touched in the monitor snapshot. Written like an enumeration: `MonitorEvent::level`
// converts to an event, `event.kind()` switches. `other` carries a text (and is never produced by the store).
class MonitorEvent {
public:
    enum Kind { level, mute, dim, talkback, mono, foldDown, altMon, surround, deviceOnline, other };

    MonitorEvent(Kind kind) noexcept : kind_(kind) {}  // NOLINT: implicit on purpose
    MonitorEvent(Kind kind, std::string otherText);

    Kind kind() const noexcept { return kind_; }
    // The text of `other`; empty for every other case.
    const std::string& otherText() const noexcept { return otherText_; }
    // "level", "mute", ..., "other(text)".
    std::string description() const;

    friend bool operator==(const MonitorEvent&, const MonitorEvent&) = default;

private:
    Kind kind_;
    std::string otherText_;
};

std::ostream& operator<<(std::ostream& stream, const MonitorEvent& event);

}  // namespace quillmark
