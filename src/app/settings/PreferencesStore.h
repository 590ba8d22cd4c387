#pragma once

#include "app/Published.h"
#include "app/hotkeys/HotkeyBinding.h"
#include "app/look/HUDAppearance.h"
#include "app/settings/HUDSize.h"
#include "app/settings/ReferenceLevel.h"
#include "app/settings/UserDefaults.h"
#include "core/MeterChannelOrder.h"

#include <optional>
#include <vector>

namespace quillmark {

// The application's one settings object: fourteen observable settings, loaded once from user defaults
// at construction and each written back the moment it is assigned (`store.hudSize.set(HUDSize::large)`).
// Loading falls back silently wherever a stored value is missing or does not convert. Main thread only.
class PreferencesStore {
public:
    // Keys in user defaults.
    static constexpr const char* bindingsKey = "Quillmark.hotkeyBindings.v1";
    static constexpr const char* volumeStepFineKey = "Quillmark.volumeStepFineDB";
    static constexpr const char* volumeStepCoarseKey = "Quillmark.volumeStepCoarseDB";
    static constexpr const char* splReadoutEnabledKey = "Quillmark.splReadoutEnabled";
    static constexpr const char* splReferenceKey = "Quillmark.splReferenceAt0dBFS";
    static constexpr const char* hudAppearanceKey = "Quillmark.hudAppearance";
    static constexpr const char* hudSizeKey = "Quillmark.hudSize";
    static constexpr const char* hudDurationKey = "Quillmark.hudPersistenceSeconds";
    static constexpr const char* clipLatchPersistentKey = "Quillmark.clipLatchPersistent";
    static constexpr const char* meterChannelOrderKey = "Quillmark.meterChannelOrder";
    static constexpr const char* showMetersOnLaunchKey = "Quillmark.showMetersOnLaunch";
    static constexpr const char* referenceLevelsKey = "Quillmark.referenceLevels.v1";
    static constexpr const char* crashReportingKey = "Quillmark.crashReporting";
    static constexpr const char* automaticUpdatesKey = "Quillmark.automaticUpdates";

    // The three initial references: "Reference 1" to "Reference 3", none set.
    static std::vector<ReferenceLevel> initialReferenceLevels();

    explicit PreferencesStore(UserDefaults& defaults);
    PreferencesStore(const PreferencesStore&) = delete;
    PreferencesStore& operator=(const PreferencesStore&) = delete;

    // Emitted before every assignment of any setting, ahead of that setting's own observers.
    [[nodiscard]] ObservationToken observeWillChange(std::function<void()> observer);

    // Sets (with a binding) or removes (without) one action's entry in a copy of the map and assigns the
    // copy: always one announcement and one write, even when nothing changed.
    void setBinding(const std::optional<HotkeyBinding>& binding, HotkeyAction action);

    Published<HotkeyBindings> bindings;
    Published<double> volumeStepFineDB;
    Published<double> volumeStepCoarseDB;
    Published<bool> splReadoutEnabled;
    Published<double> splReferenceAt0dBFS;
    Published<HUDAppearance> hudAppearance;
    Published<HUDSize> hudSize;
    Published<double> hudDurationSeconds;
    Published<bool> clipLatchPersistent;
    Published<MeterChannelOrder> meterChannelOrder;
    Published<bool> showMetersOnLaunch;
    Published<std::vector<ReferenceLevel>> referenceLevels;  // always three after construction
    Published<bool> crashReporting;
    Published<bool> automaticUpdates;

private:
    void loadAll();
    void loadBindings();
    void loadNumbers();
    void loadChoices();
    void loadSwitches();
    void loadReferenceLevels();
    void persistBindings(const HotkeyBindings& value);
    void persistReferenceLevels(const std::vector<ReferenceLevel>& value);
    std::function<void()> announcer();

    ObserverList<> willChange_;
    UserDefaults& defaults_;
};

}  // namespace quillmark
