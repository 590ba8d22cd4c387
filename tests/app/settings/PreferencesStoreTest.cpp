#include "app/settings/PreferencesStore.h"

#include "app/settings/MemoryUserDefaults.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <set>

namespace quillmark {
namespace {

using json = nlohmann::json;
using Store = PreferencesStore;

std::set<std::string> keysOf(const MemoryUserDefaults& defaults) {
    std::set<std::string> keys;
    for (const auto& [key, value] : defaults.values()) keys.insert(key);
    return keys;
}

json storedDocument(const MemoryUserDefaults& defaults, const std::string& key) {
    return json::parse(defaults.data(key).value());
}

TEST(PreferencesStore, EmptyDomainGivesInitialValuesAndWritesFourKeys) {
    MemoryUserDefaults defaults;
    Store store(defaults);
    EXPECT_EQ(store.bindings(), HotkeyBinding::firstRunDefaults());
    EXPECT_EQ(store.volumeStepFineDB(), 1.0);
    EXPECT_EQ(store.volumeStepCoarseDB(), 3.0);
    EXPECT_FALSE(store.splReadoutEnabled());
    EXPECT_EQ(store.splReferenceAt0dBFS(), 0.0);
    EXPECT_EQ(store.hudAppearance(), HUDAppearance::system);
    EXPECT_EQ(store.hudSize(), HUDSize::medium);
    EXPECT_EQ(store.hudDurationSeconds(), 2.0);
    EXPECT_FALSE(store.clipLatchPersistent());
    EXPECT_EQ(store.meterChannelOrder(), MeterChannelOrder::film);
    EXPECT_TRUE(store.showMetersOnLaunch());
    EXPECT_EQ(store.referenceLevels(), Store::initialReferenceLevels());
    EXPECT_FALSE(store.crashReporting());
    EXPECT_FALSE(store.automaticUpdates());
    EXPECT_EQ(keysOf(defaults), (std::set<std::string>{"Quillmark.hotkeyBindings.v1", "Quillmark.splReadoutEnabled",
                                                       "Quillmark.crashReporting", "Quillmark.automaticUpdates"}));
    const json bindings = storedDocument(defaults, Store::bindingsKey);
    EXPECT_EQ(bindings.size(), 10u);
    EXPECT_EQ(bindings["talkback"], json::parse(R"({"keyCode":17,"carbonModifiers":6144,"characters":"T"})"));
}

TEST(PreferencesStore, ValuesTakenOverAreWrittenBackUnderTheirKeys) {
    MemoryUserDefaults defaults;
    defaults.setNumber(Store::volumeStepFineKey, 0.5);
    defaults.setNumber(Store::volumeStepCoarseKey, -4);  // no range check
    defaults.setString(Store::hudAppearanceKey, "dark");
    defaults.setString(Store::hudSizeKey, "large");
    defaults.setNumber(Store::hudDurationKey, 0.1);
    defaults.setBool(Store::clipLatchPersistentKey, true);
    defaults.setString(Store::meterChannelOrderKey, "music");
    defaults.setBool(Store::showMetersOnLaunchKey, false);
    defaults.setBool(Store::crashReportingKey, true);
    defaults.setString("Quillmark.didFirstRunSetup.v1", "untouched");
    Store store(defaults);
    EXPECT_EQ(store.volumeStepFineDB(), 0.5);
    EXPECT_EQ(store.volumeStepCoarseDB(), -4);
    EXPECT_EQ(store.hudAppearance(), HUDAppearance::dark);
    EXPECT_EQ(store.hudSize(), HUDSize::large);
    EXPECT_EQ(store.hudDurationSeconds(), 0.1);
    EXPECT_TRUE(store.clipLatchPersistent());
    EXPECT_EQ(store.meterChannelOrder(), MeterChannelOrder::music);
    EXPECT_FALSE(store.showMetersOnLaunch());
    EXPECT_TRUE(store.crashReporting());
    for (const char* key : {Store::volumeStepFineKey, Store::hudAppearanceKey, Store::hudDurationKey,
                            Store::meterChannelOrderKey, Store::showMetersOnLaunchKey})
        EXPECT_EQ(defaults.writeCount(key), 2) << key;  // the test's write and the store's write-back
    EXPECT_EQ(defaults.string("Quillmark.didFirstRunSetup.v1"), "untouched");
    EXPECT_EQ(defaults.writeCount("Quillmark.didFirstRunSetup.v1"), 1);
}

TEST(PreferencesStore, SplSwitchFallsBackOnTheCalibration) {
    struct Case {
        std::optional<double> reference;
        bool expected;
    };
    for (const Case& c : {Case{94.0, true}, Case{0.0, false}, Case{-3.0, false}, Case{std::nullopt, false}}) {
        MemoryUserDefaults defaults;
        if (c.reference) defaults.setNumber(Store::splReferenceKey, *c.reference);
        Store store(defaults);
        EXPECT_EQ(store.splReadoutEnabled(), c.expected) << c.reference.value_or(-1);
        EXPECT_EQ(defaults.boolean(Store::splReadoutEnabledKey), c.expected);
        EXPECT_TRUE(defaults.contains(Store::splReadoutEnabledKey));
    }
    MemoryUserDefaults stored;
    stored.setNumber(Store::splReferenceKey, 94.0);
    stored.setBool(Store::splReadoutEnabledKey, false);
    EXPECT_FALSE(Store(stored).splReadoutEnabled());
}

TEST(PreferencesStore, HudDurationNeedsMoreThanZeroAndLeavesOtherValuesAlone) {
    for (double stored : {0.0, -1.0}) {
        MemoryUserDefaults defaults;
        defaults.setNumber(Store::hudDurationKey, stored);
        Store store(defaults);
        EXPECT_EQ(store.hudDurationSeconds(), 2.0);
        EXPECT_EQ(defaults.number(Store::hudDurationKey), stored);
        EXPECT_EQ(defaults.writeCount(Store::hudDurationKey), 1);
    }
}

TEST(PreferencesStore, ValuesOfTheWrongKindFallBack) {
    MemoryUserDefaults defaults;
    defaults.setString(Store::volumeStepFineKey, "loud");    // a number read of text: 0, taken
    defaults.setString(Store::volumeStepCoarseKey, "2.5");   // numeric text converts
    defaults.setString(Store::splReferenceKey, "nan");       // not numeric text: 0
    defaults.setString(Store::hudAppearanceKey, "Dark");     // case-sensitive
    defaults.setNumber(Store::hudSizeKey, 1);                // not text
    defaults.setData(Store::meterChannelOrderKey, "music");  // bytes are not text
    defaults.setString(Store::hudDurationKey, "soon");       // 0: not above 0
    defaults.setNumber(Store::clipLatchPersistentKey, 2);    // non-zero number: true
    defaults.setString(Store::showMetersOnLaunchKey, "NO");
    defaults.setData(Store::crashReportingKey, "true");  // bytes: false
    defaults.setString(Store::bindingsKey, "{}");        // text, not bytes: first-run defaults
    Store store(defaults);
    EXPECT_EQ(store.volumeStepFineDB(), 0.0);
    EXPECT_EQ(store.volumeStepCoarseDB(), 2.5);
    EXPECT_EQ(store.splReferenceAt0dBFS(), 0.0);
    EXPECT_EQ(store.hudAppearance(), HUDAppearance::system);
    EXPECT_EQ(store.hudSize(), HUDSize::medium);
    EXPECT_EQ(store.meterChannelOrder(), MeterChannelOrder::film);
    EXPECT_EQ(store.hudDurationSeconds(), 2.0);
    EXPECT_TRUE(store.clipLatchPersistent());
    EXPECT_FALSE(store.showMetersOnLaunch());
    EXPECT_FALSE(store.crashReporting());
    EXPECT_EQ(store.bindings(), HotkeyBinding::firstRunDefaults());
}

TEST(PreferencesStore, BindingsDocuments) {
    const HotkeyBinding f5{96, 0x100, "F5"};
    struct Case {
        const char* document;
        std::optional<HotkeyBindings> expected;  // nothing: the first-run defaults
    };
    const Case cases[] = {
        {"{}", HotkeyBindings{}},
        {R"({"mute":{"keyCode":96,"carbonModifiers":256,"characters":"F5"},
             "volumeUp":{"keyCode":1,"carbonModifiers":0,"characters":"S"}})",
         HotkeyBindings{{HotkeyAction::mute, f5}}},
        {R"({"mute":{"keyCode":96,"carbonModifiers":256,"characters":"F5"},"dim":{"keyCode":96,"carbonModifiers":256}})",
         std::nullopt},
        {R"({"Mute":{"keyCode":96,"carbonModifiers":256,"characters":"F5"}})", HotkeyBindings{}},
        {R"({"mute":"F5"})", std::nullopt},
        {R"([])", std::nullopt},
        {R"({"mute":{"keyCode":96,)", std::nullopt},
        {"\xff\xfe\x00garbage", std::nullopt},
    };
    for (const Case& c : cases) {
        MemoryUserDefaults defaults;
        defaults.setData(Store::bindingsKey, c.document);
        Store store(defaults);
        const HotkeyBindings expected = c.expected.value_or(HotkeyBinding::firstRunDefaults());
        EXPECT_EQ(store.bindings(), expected) << c.document;
        // Always rewritten in normalised form: unknown members are gone, corrupt ones replaced.
        const json rewritten = storedDocument(defaults, Store::bindingsKey);
        EXPECT_EQ(rewritten.size(), expected.size()) << c.document;
        EXPECT_FALSE(rewritten.contains("volumeUp"));
    }
}

TEST(PreferencesStore, ReferenceLevelDocuments) {
    const char* three = R"([{"label":"Mix","level":-20.5},{"label":"Quiet","level":null},{"label":"Loud","x":1}])";
    MemoryUserDefaults good;
    good.setData(Store::referenceLevelsKey, three);
    Store store(good);
    EXPECT_EQ(store.referenceLevels(),
              (std::vector<ReferenceLevel>{{"Mix", -20.5}, {"Quiet", std::nullopt}, {"Loud", std::nullopt}}));

    for (const char* bad : {
             R"([{"label":"A"},{"label":"B"}])",
             R"([{"label":"A"},{"label":"B"},{"label":"C"},{"label":"D"}])",
             R"([{"label":"A","level":"-20"},{"label":"B"},{"label":"C"}])",
             R"([{"level":-20},{"label":"B"},{"label":"C"}])",
             R"({"label":"A"})",
             "[{\"label\":",
         }) {
        MemoryUserDefaults defaults;
        defaults.setData(Store::referenceLevelsKey, bad);
        Store fallback(defaults);
        EXPECT_EQ(fallback.referenceLevels(), Store::initialReferenceLevels()) << bad;
        EXPECT_EQ(defaults.data(Store::referenceLevelsKey), bad);  // left as it was
        EXPECT_EQ(defaults.writeCount(Store::referenceLevelsKey), 1);
    }
}

TEST(PreferencesStore, ReferenceLevelsWriteTheWholeDocumentAndSkipWhatCannotBeEncoded) {
    MemoryUserDefaults defaults;
    Store store(defaults);
    auto references = store.referenceLevels();
    references[1] = {"Film", -18.0};
    store.referenceLevels.set(references);
    EXPECT_EQ(storedDocument(defaults, Store::referenceLevelsKey),
              json::parse(R"([{"label":"Reference 1"},{"label":"Film","level":-18.0},{"label":"Reference 3"}])"));
    references[0].level = std::nan("");
    store.referenceLevels.set(references);
    EXPECT_TRUE(std::isnan(*store.referenceLevels()[0].level));  // in memory, but not written
    EXPECT_EQ(storedDocument(defaults, Store::referenceLevelsKey)[1]["label"], "Film");
    EXPECT_FALSE(storedDocument(defaults, Store::referenceLevelsKey)[0].contains("level"));
}

TEST(PreferencesStore, SetBindingAnnouncesAndWritesEvenWithoutChange) {
    MemoryUserDefaults defaults;
    Store store(defaults);
    int willChange = 0;
    std::vector<HotkeyBindings> announced;
    auto changeToken = store.observeWillChange([&] { ++willChange; });
    auto bindingsToken = store.bindings.observe([&](const HotkeyBindings& b) { announced.push_back(b); },
                                                Published<HotkeyBindings>::Initial::skip);
    const int writesBefore = defaults.writeCount(Store::bindingsKey);

    const HotkeyBinding dimBinding = store.bindings().at(HotkeyAction::dim);
    store.setBinding(dimBinding, HotkeyAction::mute);  // equal to dim's: both keep it
    EXPECT_EQ(store.bindings().at(HotkeyAction::mute), dimBinding);
    EXPECT_EQ(store.bindings().at(HotkeyAction::dim), dimBinding);

    store.setBinding(std::nullopt, HotkeyAction::volumeUpFine);  // had none
    store.setBinding(std::nullopt, HotkeyAction::mute);
    EXPECT_FALSE(store.bindings().count(HotkeyAction::mute));
    EXPECT_EQ(willChange, 3);
    EXPECT_EQ(announced.size(), 3u);
    EXPECT_EQ(defaults.writeCount(Store::bindingsKey), writesBefore + 3);
    EXPECT_EQ(storedDocument(defaults, Store::bindingsKey).size(), 10u);
}

TEST(PreferencesStore, AssigningTheCurrentValueStillAnnouncesAndWrites) {
    MemoryUserDefaults defaults;
    Store store(defaults);
    std::vector<HUDSize> seen;
    std::vector<HUDSize> readBack;
    auto token = store.hudSize.observe([&](HUDSize size) {
        seen.push_back(size);
        readBack.push_back(store.hudSize());
    });
    store.hudSize.set(HUDSize::medium);
    store.hudSize.set(HUDSize::small);
    EXPECT_EQ(seen, (std::vector<HUDSize>{HUDSize::medium, HUDSize::medium, HUDSize::small}));
    EXPECT_EQ(readBack.back(), HUDSize::medium);  // observers run before the value is stored
    EXPECT_EQ(defaults.writeCount(Store::hudSizeKey), 2);
    EXPECT_EQ(defaults.string(Store::hudSizeKey), "small");
}

}  // namespace
}  // namespace quillmark
