#include "app/hotkeys/HotkeyBinding.h"

#include "platform/keys/CarbonKeyTable.h"

#include <QKeyEvent>
#include <QString>
#include <nlohmann/json.hpp>

#include <limits>

namespace quillmark {

namespace {

std::string carbonToString(std::uint32_t mask) {
    // As this desktop writes them: command is Super, option is Alt.
    std::string names;
    if (mask & CarbonKeyTable::controlKey) names += "Ctrl+";
    if (mask & CarbonKeyTable::optionKey) names += "Alt+";
    if (mask & CarbonKeyTable::shiftKey) names += "Shift+";
    if (mask & CarbonKeyTable::cmdKey) names += "Super+";
    return names;
}

std::optional<std::string_view> knownKeyName(std::uint32_t keyCode) {
    struct Name {
        std::uint32_t keyCode;
        std::string_view label;
    };
    // The keypad (65 ... 92) types what the main block types: its labels tell the two apart. The volume keys
    // (72 ... 74) type nothing.
    static constexpr Name kNames[] = {
        {36, "↩"},    {48, "⇥"},    {49, "Space"},    {51, "⌫"},        {53, "⎋"},         {64, "F17"},
        {65, "Num."}, {67, "Num*"}, {69, "Num+"},     {71, "NumClear"}, {72, "Volume Up"}, {73, "Volume Down"},
        {74, "Mute"}, {75, "Num/"}, {76, "NumEnter"}, {78, "Num-"},     {79, "F18"},       {80, "F19"},
        {81, "Num="}, {82, "Num0"}, {83, "Num1"},     {84, "Num2"},     {85, "Num3"},      {86, "Num4"},
        {87, "Num5"}, {88, "Num6"}, {89, "Num7"},     {90, "F20"},      {91, "Num8"},      {92, "Num9"},
        {96, "F5"},   {97, "F6"},   {98, "F7"},       {99, "F3"},       {100, "F8"},       {101, "F9"},
        {103, "F11"}, {105, "F13"}, {106, "F16"},     {107, "F14"},     {109, "F10"},      {111, "F12"},
        {113, "F15"}, {115, "↖"},   {116, "⇞"},       {117, "⌦"},       {118, "F4"},       {119, "↘"},
        {120, "F2"},  {121, "⇟"},   {122, "F1"},      {123, "←"},       {124, "→"},        {125, "↓"},
        {126, "↑"},
    };
    for (const Name& name : kNames)
        if (name.keyCode == keyCode) return name.label;
    return std::nullopt;
}

// Printable and outside the private-use block where function and arrow keys report their characters.
bool isUsableLabel(const QString& characters) {
    if (characters.isEmpty()) return false;
    const char32_t first = characters.toUcs4().value(0);
    return first >= 0x20 && !(first >= 0xE000 && first <= 0xF8FF);
}

bool isUInt32(const nlohmann::json& value) {
    if (value.is_number_unsigned()) return value.get<std::uint64_t>() <= std::numeric_limits<std::uint32_t>::max();
    if (value.is_number_integer())
        return value.get<std::int64_t>() >= 0 && value.get<std::int64_t>() <= std::numeric_limits<std::uint32_t>::max();
    return false;
}

}  // namespace

std::string HotkeyBinding::displayString() const { return carbonToString(carbonModifiers) + characters; }

std::uint32_t HotkeyBinding::nsToCarbon(Qt::KeyboardModifiers modifiers) {
    return CarbonKeyTable::carbonModifiers(modifiers);
}

HotkeyBinding HotkeyBinding::from(const KeyEvent& event) {
    HotkeyBinding binding{event.keyCode, nsToCarbon(event.modifiers), {}};
    if (auto name = knownKeyName(event.keyCode)) {
        binding.characters = std::string(*name);
    } else if (const QString characters = QString::fromStdString(event.charactersIgnoringModifiers.value_or(""));
               isUsableLabel(characters)) {
        binding.characters = characters.toUpper().toStdString();
    } else {
        binding.characters = "Key #" + std::to_string(event.keyCode);
    }
    return binding;
}

std::optional<HotkeyBinding> HotkeyBinding::from(const QKeyEvent& event) {
    // The native key tells the keypad's = from the main block's, which Qt does not flag.
    const auto key = CarbonKeyTable::fromQtKey(event.key(), event.modifiers(), event.nativeVirtualKey());
    if (!key) return std::nullopt;
    // Qt's text() carries the modifiers' effect (Ctrl+A types U+0001); the table knows the plain character.
    return from(KeyEvent{key->carbonCode, event.modifiers(), std::string(key->unmodified)});
}

namespace {

constexpr std::uint32_t kOption = CarbonKeyTable::optionKey;
constexpr std::uint32_t kControlOption = CarbonKeyTable::controlKey | kOption;
constexpr std::uint32_t kControlOptionCommand = kControlOption | CarbonKeyTable::cmdKey;
constexpr std::uint32_t kOptionCommand = kOption | CarbonKeyTable::cmdKey;
constexpr std::uint32_t kShiftOptionCommand = kOptionCommand | CarbonKeyTable::shiftKey;

HotkeyBindings unreservedDefaults() {
    return {
        {HotkeyAction::dim, {109, kOption, "F10"}},
        {HotkeyAction::surround, {111, kControlOption, "F12"}},
        {HotkeyAction::stereo, {103, kControlOption, "F11"}},
        {HotkeyAction::mono, {109, kControlOption, "F10"}},
        {HotkeyAction::talkback, {17, kControlOption, "T"}},
        {HotkeyAction::volumeUpCoarse, {111, kOption, "F12"}},
        {HotkeyAction::volumeDownCoarse, {103, kOption, "F11"}},
        {HotkeyAction::recallReference1, {111, kControlOptionCommand, "F12"}},
        {HotkeyAction::recallReference2, {103, kControlOptionCommand, "F11"}},
        {HotkeyAction::recallReference3, {109, kControlOptionCommand, "F10"}},
    };
}

// Ctrl+Alt+Fn never reaches an X client (the server switches consoles on it), so those six would be
// dead from the first run on.
HotkeyBindings x11Defaults() {
    HotkeyBindings defaults = unreservedDefaults();
    defaults[HotkeyAction::surround] = {111, kOptionCommand, "F12"};
    defaults[HotkeyAction::stereo] = {103, kOptionCommand, "F11"};
    defaults[HotkeyAction::mono] = {109, kOptionCommand, "F10"};
    defaults[HotkeyAction::recallReference1] = {111, kShiftOptionCommand, "F12"};
    defaults[HotkeyAction::recallReference2] = {103, kShiftOptionCommand, "F11"};
    defaults[HotkeyAction::recallReference3] = {109, kShiftOptionCommand, "F10"};
    return defaults;
}

}  // namespace

const HotkeyBindings& HotkeyBinding::firstRunDefaults(DefaultsDesktop desktop) {
    static const HotkeyBindings unreserved = unreservedDefaults();
    static const HotkeyBindings x11 = x11Defaults();
    return desktop == DefaultsDesktop::x11 ? x11 : unreserved;
}

nlohmann::json HotkeyBinding::toJSON() const {
    return {{"keyCode", keyCode}, {"carbonModifiers", carbonModifiers}, {"characters", characters}};
}

std::optional<HotkeyBinding> HotkeyBinding::fromJSON(const nlohmann::json& object) {
    if (!object.is_object()) return std::nullopt;
    const auto keyCode = object.find("keyCode");
    const auto modifiers = object.find("carbonModifiers");
    const auto characters = object.find("characters");
    if (keyCode == object.end() || modifiers == object.end() || characters == object.end()) return std::nullopt;
    if (!isUInt32(*keyCode) || !isUInt32(*modifiers) || !characters->is_string()) return std::nullopt;
    return HotkeyBinding{keyCode->get<std::uint32_t>(), modifiers->get<std::uint32_t>(),
                         characters->get<std::string>()};
}

}  // namespace quillmark
