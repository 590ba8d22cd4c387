#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillmark {

// The last reported state of the monitor section. An empty field: not reported yet (or not convertible).
struct MonitorSnapshot {
    std::optional<double> levelDB;
    std::optional<double> levelTapered;
    std::optional<bool> mute;
    std::optional<bool> dim;
    std::optional<bool> talkback;
    std::optional<bool> mono;
    std::optional<bool> surroundStereoFoldDown;
    std::optional<std::int64_t> altMonSelection;
    std::optional<std::string> surroundMode;
    std::optional<std::string> deviceName;  // nothing sets it
    std::optional<bool> deviceOnline;

    friend bool operator==(const MonitorSnapshot&, const MonitorSnapshot&) = default;
};

}  // namespace quillmark
