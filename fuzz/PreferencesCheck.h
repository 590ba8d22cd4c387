#pragma once

#include "FuzzCheck.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"

#include <cmath>

namespace quillmark::fuzz {

// What loading any stored settings must give: usable values, and values that survive being written
// and loaded again unchanged.
inline void checkLoadedPreferences(UserDefaults& stored) {
    const PreferencesStore loaded(stored);
    for (double value : {loaded.volumeStepFineDB.value(), loaded.volumeStepCoarseDB.value(),
                         loaded.splReferenceAt0dBFS.value(), loaded.hudDurationSeconds.value()})
        check(std::isfinite(value), "every loaded number is finite");
    check(loaded.hudDurationSeconds.value() > 0, "the HUD stays up for some time");
    check(loaded.referenceLevels.value().size() == 3, "there are always three references");
    for (const ReferenceLevel& reference : loaded.referenceLevels.value())
        check(!reference.level || std::isfinite(*reference.level), "a reference level is finite");

    MemoryUserDefaults written;
    PreferencesStore writer(written);
    writer.bindings.set(loaded.bindings.value());
    writer.volumeStepFineDB.set(loaded.volumeStepFineDB.value());
    writer.volumeStepCoarseDB.set(loaded.volumeStepCoarseDB.value());
    writer.splReadoutEnabled.set(loaded.splReadoutEnabled.value());
    writer.splReferenceAt0dBFS.set(loaded.splReferenceAt0dBFS.value());
    writer.hudAppearance.set(loaded.hudAppearance.value());
    writer.hudSize.set(loaded.hudSize.value());
    writer.hudDurationSeconds.set(loaded.hudDurationSeconds.value());
    writer.clipLatchPersistent.set(loaded.clipLatchPersistent.value());
    writer.meterChannelOrder.set(loaded.meterChannelOrder.value());
    writer.showMetersOnLaunch.set(loaded.showMetersOnLaunch.value());
    writer.referenceLevels.set(loaded.referenceLevels.value());
    writer.crashReporting.set(loaded.crashReporting.value());
    writer.automaticUpdates.set(loaded.automaticUpdates.value());

    const PreferencesStore reloaded(written);
    check(reloaded.bindings.value() == loaded.bindings.value(), "the bindings survive a save");
    check(reloaded.referenceLevels.value() == loaded.referenceLevels.value(), "the references survive a save");
    check(reloaded.volumeStepFineDB.value() == loaded.volumeStepFineDB.value() &&
              reloaded.volumeStepCoarseDB.value() == loaded.volumeStepCoarseDB.value() &&
              reloaded.splReferenceAt0dBFS.value() == loaded.splReferenceAt0dBFS.value() &&
              reloaded.hudDurationSeconds.value() == loaded.hudDurationSeconds.value(),
          "the numbers survive a save");
    check(reloaded.splReadoutEnabled.value() == loaded.splReadoutEnabled.value() &&
              reloaded.hudAppearance.value() == loaded.hudAppearance.value() &&
              reloaded.hudSize.value() == loaded.hudSize.value() &&
              reloaded.clipLatchPersistent.value() == loaded.clipLatchPersistent.value() &&
              reloaded.meterChannelOrder.value() == loaded.meterChannelOrder.value() &&
              reloaded.showMetersOnLaunch.value() == loaded.showMetersOnLaunch.value() &&
              reloaded.crashReporting.value() == loaded.crashReporting.value() &&
              reloaded.automaticUpdates.value() == loaded.automaticUpdates.value(),
          "the choices and switches survive a save");
}

}  // namespace quillmark::fuzz
