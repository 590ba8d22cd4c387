#include "app/settings/PreferencesStore.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace quillmark {

namespace {

using json = nlohmann::json;

std::optional<json> parse(const std::optional<std::string>& bytes) {
    if (!bytes) return std::nullopt;
    json document = json::parse(*bytes, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded()) return std::nullopt;
    return document;
}

// Document A: every member must be a valid binding; member names that name no action are dropped.
std::optional<HotkeyBindings> decodeBindings(const json& document) {
    if (!document.is_object()) return std::nullopt;
    HotkeyBindings bindings;
    for (const auto& [name, value] : document.items()) {
        const auto binding = HotkeyBinding::fromJSON(value);
        if (!binding) return std::nullopt;
        if (const auto action = hotkeyActionFromRawValue(name)) bindings[*action] = *binding;
    }
    return bindings;
}

std::optional<ReferenceLevel> decodeReferenceLevel(const json& object) {
    if (!object.is_object()) return std::nullopt;
    const auto label = object.find("label");
    if (label == object.end() || !label->is_string()) return std::nullopt;
    ReferenceLevel reference{label->get<std::string>(), std::nullopt};
    const auto level = object.find("level");
    if (level == object.end() || level->is_null()) return reference;
    if (!level->is_number()) return std::nullopt;
    reference.level = level->get<double>();
    return reference;
}

// Document B.
std::optional<std::vector<ReferenceLevel>> decodeReferenceLevels(const json& document) {
    if (!document.is_array()) return std::nullopt;
    std::vector<ReferenceLevel> references;
    for (const json& element : document) {
        auto reference = decodeReferenceLevel(element);
        if (!reference) return std::nullopt;
        references.push_back(std::move(*reference));
    }
    return references;
}

std::optional<std::string> encodeReferenceLevels(const std::vector<ReferenceLevel>& references) {
    json document = json::array();
    for (const ReferenceLevel& reference : references) {
        json element{{"label", reference.label}};
        if (reference.level) {
            // JSON has no form for infinities or NaN: such a document is not written at all.
            if (!std::isfinite(*reference.level)) return std::nullopt;
            element["level"] = *reference.level;
        }
        document.push_back(std::move(element));
    }
    // Labels are any text; invalid UTF-8 is replaced rather than failing the whole document.
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

std::vector<ReferenceLevel> PreferencesStore::initialReferenceLevels() {
    return {{"Reference 1", std::nullopt}, {"Reference 2", std::nullopt}, {"Reference 3", std::nullopt}};
}

std::function<void()> PreferencesStore::announcer() {
    return [this] { willChange_.notify(); };
}

PreferencesStore::PreferencesStore(UserDefaults& defaults)
    : bindings({}, announcer(), [this](const HotkeyBindings& value) { persistBindings(value); }),
      volumeStepFineDB(1.0, announcer(), [this](double value) { defaults_.setNumber(volumeStepFineKey, value); }),
      volumeStepCoarseDB(3.0, announcer(), [this](double value) { defaults_.setNumber(volumeStepCoarseKey, value); }),
      splReadoutEnabled(false, announcer(), [this](bool value) { defaults_.setBool(splReadoutEnabledKey, value); }),
      splReferenceAt0dBFS(0.0, announcer(), [this](double value) { defaults_.setNumber(splReferenceKey, value); }),
      hudAppearance(
          HUDAppearance::system, announcer(),
          [this](HUDAppearance value) { defaults_.setString(hudAppearanceKey, std::string(rawValue(value))); }),
      hudSize(HUDSize::medium, announcer(),
              [this](HUDSize value) { defaults_.setString(hudSizeKey, std::string(rawValue(value))); }),
      hudDurationSeconds(2.0, announcer(), [this](double value) { defaults_.setNumber(hudDurationKey, value); }),
      clipLatchPersistent(false, announcer(), [this](bool value) { defaults_.setBool(clipLatchPersistentKey, value); }),
      meterChannelOrder(
          MeterChannelOrder::film, announcer(),
          [this](MeterChannelOrder value) { defaults_.setString(meterChannelOrderKey, std::string(rawValue(value))); }),
      showMetersOnLaunch(true, announcer(), [this](bool value) { defaults_.setBool(showMetersOnLaunchKey, value); }),
      referenceLevels(initialReferenceLevels(), announcer(),
                      [this](const std::vector<ReferenceLevel>& value) { persistReferenceLevels(value); }),
      crashReporting(false, announcer(), [this](bool value) { defaults_.setBool(crashReportingKey, value); }),
      automaticUpdates(false, announcer(), [this](bool value) { defaults_.setBool(automaticUpdatesKey, value); }),
      defaults_(defaults) {
    loadAll();
}

ObservationToken PreferencesStore::observeWillChange(std::function<void()> observer) {
    return willChange_.observe(std::move(observer));
}

void PreferencesStore::setBinding(const std::optional<HotkeyBinding>& binding, HotkeyAction action) {
    HotkeyBindings copy = bindings.value();
    if (binding) copy[action] = *binding;
    else copy.erase(action);
    bindings.set(std::move(copy));
}

void PreferencesStore::loadAll() {
    loadBindings();
    loadNumbers();
    loadChoices();
    loadSwitches();
    loadReferenceLevels();
    crashReporting.set(defaults_.boolean(crashReportingKey));
    automaticUpdates.set(defaults_.boolean(automaticUpdatesKey));
}

void PreferencesStore::loadBindings() {
    const auto document = parse(defaults_.data(bindingsKey));
    const auto decoded = document ? decodeBindings(*document) : std::nullopt;
    bindings.set(decoded ? *decoded : HotkeyBinding::firstRunDefaults());
}

// Steps 2 to 5: the numbers, and the SPL switch that falls back on the loaded calibration.
void PreferencesStore::loadNumbers() {
    if (defaults_.contains(volumeStepFineKey)) volumeStepFineDB.set(defaults_.number(volumeStepFineKey));
    if (defaults_.contains(volumeStepCoarseKey)) volumeStepCoarseDB.set(defaults_.number(volumeStepCoarseKey));
    if (defaults_.contains(splReferenceKey)) splReferenceAt0dBFS.set(defaults_.number(splReferenceKey));
    splReadoutEnabled.set(defaults_.contains(splReadoutEnabledKey) ? defaults_.boolean(splReadoutEnabledKey)
                                                                   : splReferenceAt0dBFS.value() > 0);
}

// Steps 6 to 8 and 10: exact raw values only; the HUD duration only above 0.
void PreferencesStore::loadChoices() {
    if (auto appearance = hudAppearanceFromRawValue(defaults_.string(hudAppearanceKey).value_or("")))
        hudAppearance.set(*appearance);
    if (auto size = hudSizeFromRawValue(defaults_.string(hudSizeKey).value_or(""))) hudSize.set(*size);
    if (defaults_.contains(hudDurationKey)) {
        const double seconds = defaults_.number(hudDurationKey);
        if (seconds > 0) hudDurationSeconds.set(seconds);
    }
    if (auto order = meterChannelOrderFromRawValue(defaults_.string(meterChannelOrderKey).value_or("")))
        meterChannelOrder.set(*order);
}

// Steps 9 and 11.
void PreferencesStore::loadSwitches() {
    if (defaults_.contains(clipLatchPersistentKey)) clipLatchPersistent.set(defaults_.boolean(clipLatchPersistentKey));
    if (defaults_.contains(showMetersOnLaunchKey)) showMetersOnLaunch.set(defaults_.boolean(showMetersOnLaunchKey));
}

void PreferencesStore::loadReferenceLevels() {
    const auto document = parse(defaults_.data(referenceLevelsKey));
    const auto decoded = document ? decodeReferenceLevels(*document) : std::nullopt;
    if (decoded && decoded->size() == 3) referenceLevels.set(*decoded);
}

void PreferencesStore::persistBindings(const HotkeyBindings& value) {
    json document = json::object();
    for (const auto& [action, binding] : value) document[std::string(rawValue(action))] = binding.toJSON();
    defaults_.setData(bindingsKey, document.dump(-1, ' ', false, json::error_handler_t::replace));
}

void PreferencesStore::persistReferenceLevels(const std::vector<ReferenceLevel>& value) {
    if (const auto bytes = encodeReferenceLevels(value)) defaults_.setData(referenceLevelsKey, *bytes);
}

}  // namespace quillmark
