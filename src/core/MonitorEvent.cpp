#include "core/MonitorEvent.h"

#include <array>
#include <ostream>

namespace quillmark {

MonitorEvent::MonitorEvent(Kind kind, std::string otherText)
    : kind_(kind), otherText_(kind == other ? std::move(otherText) : std::string()) {}

std::string MonitorEvent::description() const {
    static constexpr std::array<const char*, 10> names{"level",    "mute",   "dim",      "talkback",     "mono",
                                                       "foldDown", "altMon", "surround", "deviceOnline", "other"};
    std::string text = names.at(static_cast<std::size_t>(kind_));
    if (kind_ == other) text += "(" + otherText_ + ")";
    return text;
}

std::ostream& operator<<(std::ostream& stream, const MonitorEvent& event) { return stream << event.description(); }

}  // namespace quillmark
