#include "app/hotkeys/HotkeyBinding.h"
#include "platform/keys/CarbonKeyTable.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <unordered_set>

namespace quillmark {
namespace {

using Event = HotkeyBinding::KeyEvent;

TEST(HotkeyBinding, DisplayStringPutsGlyphsInFixedOrder) {
    EXPECT_EQ((HotkeyBinding{111, 0x1900, "F12"}.displayString()), "Ctrl+Alt+Super+F12");
    EXPECT_EQ((HotkeyBinding{111, 0, "F12"}.displayString()), "F12");
    EXPECT_EQ((HotkeyBinding{0, 0x1B00, "A"}.displayString()), "Ctrl+Alt+Shift+Super+A");
    EXPECT_EQ((HotkeyBinding{0, 0x300, "A"}.displayString()), "Shift+Super+A");
}

TEST(HotkeyBinding, FromEventLabels) {
    struct Case {
        Event event;
        HotkeyBinding expected;
    };
    const Case cases[] = {
        // Letter with command and shift: mask 0x300, upper-cased characters.
        {{0, Qt::MetaModifier | Qt::ShiftModifier, "a"}, {0, 0x300, "A"}},
        // F12 reports a private-use character; the known-key table wins.
        {{111, Qt::AltModifier, "\uF70F"}, {111, 0x800, "F12"}},
        {{49, Qt::NoModifier, " "}, {49, 0, "Space"}},
        {{126, Qt::ControlModifier, "\uF700"}, {126, 0x1000, "↑"}},
        // Not in the table: control characters, empty, missing, private-use give "Key #<code>".
        {{10, Qt::NoModifier, "\x1b"}, {10, 0, "Key #10"}},
        {{10, Qt::NoModifier, ""}, {10, 0, "Key #10"}},
        {{10, Qt::NoModifier, std::nullopt}, {10, 0, "Key #10"}},
        {{114, Qt::NoModifier, "\uF746"}, {114, 0, "Key #114"}},
        // Every character is upper-cased, not only the first.
        {{50, Qt::NoModifier, "ßé"}, {50, 0, "SSÉ"}},
        // Keypad and other flags leave no trace in the mask.
        {{18, Qt::KeypadModifier | Qt::GroupSwitchModifier, "1"}, {18, 0, "1"}},
        // The keypad types what the main block types, but its labels are its own; the volume keys type nothing.
        {{69, Qt::KeypadModifier, "+"}, {69, 0, "Num+"}},
        {{83, Qt::KeypadModifier | Qt::ShiftModifier, "1"}, {83, 0x200, "Num1"}},
        {{71, Qt::NoModifier, "\x1b"}, {71, 0, "NumClear"}},
        {{72, Qt::NoModifier, std::nullopt}, {72, 0, "Volume Up"}},
    };
    for (const Case& c : cases) EXPECT_EQ(HotkeyBinding::from(c.event), c.expected) << c.expected.characters;
}

TEST(HotkeyBinding, FromQtKeyEventGoesThroughTheCarbonTable) {
    // Key events need the application's input devices.
    int argc = 1;
    char name[] = "HotkeyBindingTest";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    // Ctrl+Alt+T types U+0014 in Qt; the label comes from the key itself.
    const QKeyEvent talk(QEvent::KeyPress, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("\x14"));
    EXPECT_EQ(HotkeyBinding::from(talk), (HotkeyBinding{17, 0x1800, "T"}));
    const QKeyEvent f12(QEvent::KeyPress, Qt::Key_F12, Qt::AltModifier);
    EXPECT_EQ(HotkeyBinding::from(f12), (HotkeyBinding{111, 0x800, "F12"}));
    const QKeyEvent bang(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier | Qt::MetaModifier, "!");
    EXPECT_EQ(HotkeyBinding::from(bang), (HotkeyBinding{0x12, 0x300, "1"}));
    const QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
    EXPECT_EQ(HotkeyBinding::from(insert), (HotkeyBinding{114, 0, "Key #114"}));
    const QKeyEvent play(QEvent::KeyPress, Qt::Key_MediaPlay, Qt::NoModifier);
    EXPECT_FALSE(HotkeyBinding::from(play));

    // The keypad's keys and the volume keys as X brings them, with Num Lock on and off.
    struct Case {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t keysym;  // the native key
        HotkeyBinding expected;
    };
    const Case cases[] = {
        {Qt::Key_Plus, Qt::KeypadModifier, 0xffab, {69, 0, "Num+"}},
        {Qt::Key_1, Qt::KeypadModifier, 0xffb1, {83, 0, "Num1"}},
        {Qt::Key_End, Qt::KeypadModifier | Qt::AltModifier, 0xff9c, {83, 0x800, "Num1"}},
        {Qt::Key_Delete, Qt::KeypadModifier, 0xff9f, {65, 0, "Num."}},
        {Qt::Key_Equal, Qt::NoModifier, 0xffbd, {81, 0, "Num="}},  // Qt leaves the keypad flag off
        {Qt::Key_Equal, Qt::NoModifier, 0x3d, {24, 0, "="}},
        {Qt::Key_Enter, Qt::KeypadModifier, 0xff8d, {76, 0, "NumEnter"}},
        {Qt::Key_VolumeUp, Qt::NoModifier, 0x1008ff13, {72, 0, "Volume Up"}},
        {Qt::Key_VolumeDown, Qt::NoModifier, 0x1008ff11, {73, 0, "Volume Down"}},
        {Qt::Key_VolumeMute, Qt::ControlModifier, 0x1008ff12, {74, 0x1000, "Mute"}},
    };
    for (const Case& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.qtKey, c.modifiers, 0, c.keysym, 0);
        EXPECT_EQ(HotkeyBinding::from(event), c.expected) << c.expected.characters;
    }
}

TEST(HotkeyBinding, LabelsAreTheKeyTablesTexts) {
    // What the recorder stores is what the rest of the program calls the key: the keypad's keys are not
    // the main block's. Insert, the Mac's Help key, has no name in the stored labels (see above).
    for (const CarbonKey& key : CarbonKeyTable::entries()) {
        if (key.qtKey == Qt::Key_Insert) continue;
        EXPECT_EQ(HotkeyBinding::from(Event{key.carbonCode, Qt::NoModifier, std::string(key.unmodified)}).characters,
                  key.text);
    }
}

TEST(HotkeyBinding, FirstRunDefaults) {
    using Desktop = HotkeyBinding::DefaultsDesktop;
    const HotkeyBindings& defaults = HotkeyBinding::firstRunDefaults(Desktop::unreserved);
    const std::pair<HotkeyAction, std::string> expected[] = {
        {HotkeyAction::dim, "Alt+F10"},
        {HotkeyAction::surround, "Ctrl+Alt+F12"},
        {HotkeyAction::stereo, "Ctrl+Alt+F11"},
        {HotkeyAction::mono, "Ctrl+Alt+F10"},
        {HotkeyAction::talkback, "Ctrl+Alt+T"},
        {HotkeyAction::volumeUpCoarse, "Alt+F12"},
        {HotkeyAction::volumeDownCoarse, "Alt+F11"},
        {HotkeyAction::recallReference1, "Ctrl+Alt+Super+F12"},
        {HotkeyAction::recallReference2, "Ctrl+Alt+Super+F11"},
        {HotkeyAction::recallReference3, "Ctrl+Alt+Super+F10"},
    };
    ASSERT_EQ(defaults.size(), std::size(expected));
    for (const auto& [action, display] : expected) EXPECT_EQ(defaults.at(action).displayString(), display);
    EXPECT_EQ(defaults.at(HotkeyAction::talkback), (HotkeyBinding{17, 0x1800, "T"}));
    EXPECT_EQ(defaults.at(HotkeyAction::recallReference3), (HotkeyBinding{109, 0x1900, "F10"}));
    for (HotkeyAction none : {HotkeyAction::mute, HotkeyAction::volumeUpFine, HotkeyAction::volumeDownFine})
        EXPECT_FALSE(defaults.count(none));
}

TEST(HotkeyBinding, FirstRunDefaultsOnX11LeaveTheConsoleSwitchKeys) {
    using Desktop = HotkeyBinding::DefaultsDesktop;
    const HotkeyBindings& x11 = HotkeyBinding::firstRunDefaults(Desktop::x11);
    const HotkeyBindings& unreserved = HotkeyBinding::firstRunDefaults(Desktop::unreserved);
    const std::map<HotkeyAction, HotkeyBinding> moved{
        {HotkeyAction::surround, {111, 0x900, "F12"}},
        {HotkeyAction::stereo, {103, 0x900, "F11"}},
        {HotkeyAction::mono, {109, 0x900, "F10"}},
        {HotkeyAction::recallReference1, {111, 0xB00, "F12"}},
        {HotkeyAction::recallReference2, {103, 0xB00, "F11"}},
        {HotkeyAction::recallReference3, {109, 0xB00, "F10"}},
    };
    ASSERT_EQ(x11.size(), unreserved.size());
    for (const auto& [action, binding] : unreserved) {
        const auto expected = moved.find(action);
        EXPECT_EQ(x11.at(action), expected == moved.end() ? binding : expected->second) << rawValue(action);
    }
    EXPECT_EQ(x11.at(HotkeyAction::stereo).displayString(), "Alt+Super+F11");
    EXPECT_EQ(x11.at(HotkeyAction::recallReference1).displayString(), "Alt+Shift+Super+F12");
    // What a first run stores here.
    EXPECT_EQ(&HotkeyBinding::firstRunDefaults(), &x11);
}

TEST(HotkeyBinding, StoredFormRoundTripsAndNeedsAllThreeMembers) {
    const HotkeyBinding binding{111, 0x1900, "F12"};
    EXPECT_EQ(binding.toJSON(), nlohmann::json::parse(R"({"keyCode":111,"carbonModifiers":6400,"characters":"F12"})"));
    EXPECT_EQ(HotkeyBinding::fromJSON(binding.toJSON()), binding);
    EXPECT_EQ(HotkeyBinding::fromJSON(
                  nlohmann::json::parse(R"({"characters":"T","extra":1,"carbonModifiers":4294967295,"keyCode":0})")),
              (HotkeyBinding{0, 0xFFFFFFFF, "T"}));
    for (const char* bad : {
             R"({"keyCode":111,"carbonModifiers":6400})",
             R"({"keyCode":111,"characters":"F12"})",
             R"({"carbonModifiers":6400,"characters":"F12"})",
             R"({"keyCode":-1,"carbonModifiers":0,"characters":"A"})",
             R"({"keyCode":4294967296,"carbonModifiers":0,"characters":"A"})",
             R"({"keyCode":1.5,"carbonModifiers":0,"characters":"A"})",
             R"({"keyCode":"111","carbonModifiers":0,"characters":"A"})",
             R"({"keyCode":111,"carbonModifiers":0,"characters":7})",
             R"([111,0,"A"])",
             R"(null)",
         })
        EXPECT_FALSE(HotkeyBinding::fromJSON(nlohmann::json::parse(bad))) << bad;
}

TEST(HotkeyBinding, EqualAndHashedOnAllFields) {
    std::unordered_set<HotkeyBinding> set{
        {111, 0x800, "F12"}, {111, 0x800, "F12"}, {111, 0x1800, "F12"}, {111, 0x800, "X"}, {103, 0x800, "F12"}};
    EXPECT_EQ(set.size(), 4u);
}

}  // namespace
}  // namespace quillmark
