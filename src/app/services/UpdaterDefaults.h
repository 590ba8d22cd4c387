#pragma once

#include "platform/updater/UpdaterSettings.h"

namespace quillmark {

class UserDefaults;

// The updater's memory in the settings: "Quillmark.updater.lastCheck" (seconds since 1970) and
// "Quillmark.updater.skippedVersion".
class UpdaterDefaults final : public UpdaterSettings {
public:
    static constexpr const char* lastCheckKey = "Quillmark.updater.lastCheck";
    static constexpr const char* skippedVersionKey = "Quillmark.updater.skippedVersion";

    explicit UpdaterDefaults(UserDefaults& defaults) : defaults_(defaults) {}

    std::optional<TimePoint> lastCheck() const override;
    void setLastCheck(TimePoint when) override;
    std::optional<std::string> skippedVersion() const override;
    void setSkippedVersion(const std::string& version) override;

private:
    UserDefaults& defaults_;
};

}  // namespace quillmark
