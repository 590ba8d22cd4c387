#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace quillmark {

// What the updater remembers between launches: when it last checked and the version the user skipped.
class UpdaterSettings {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    virtual ~UpdaterSettings() = default;

    virtual std::optional<TimePoint> lastCheck() const = 0;
    virtual void setLastCheck(TimePoint when) = 0;
    virtual std::optional<std::string> skippedVersion() const = 0;
    virtual void setSkippedVersion(const std::string& version) = 0;
};

}  // namespace quillmark
