#include "app/services/UpdaterDefaults.h"

#include "app/settings/UserDefaults.h"

namespace quillmark {

std::optional<UpdaterSettings::TimePoint> UpdaterDefaults::lastCheck() const {
    if (!defaults_.contains(lastCheckKey)) return std::nullopt;
    const std::chrono::duration<double> sinceEpoch(defaults_.number(lastCheckKey));
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(sinceEpoch));
}

void UpdaterDefaults::setLastCheck(TimePoint when) {
    defaults_.setNumber(lastCheckKey, std::chrono::duration<double>(when.time_since_epoch()).count());
}

std::optional<std::string> UpdaterDefaults::skippedVersion() const { return defaults_.string(skippedVersionKey); }

void UpdaterDefaults::setSkippedVersion(const std::string& version) { defaults_.setString(skippedVersionKey, version); }

}  // namespace quillmark
