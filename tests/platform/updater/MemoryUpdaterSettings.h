#pragma once

#include "platform/updater/UpdaterSettings.h"

namespace quillmark::testing {

// The updater's memory for one test.
class MemoryUpdaterSettings final : public UpdaterSettings {
public:
    std::optional<TimePoint> lastCheck() const override { return lastCheck_; }
    void setLastCheck(TimePoint when) override { lastCheck_ = when; }
    std::optional<std::string> skippedVersion() const override { return skippedVersion_; }
    void setSkippedVersion(const std::string& version) override { skippedVersion_ = version; }

    std::optional<TimePoint> lastCheck_;
    std::optional<std::string> skippedVersion_;
};

}  // namespace quillmark::testing
