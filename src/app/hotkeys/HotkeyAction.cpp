#include "app/hotkeys/HotkeyAction.h"

#include "base/RowTable.h"

namespace quillmark {

namespace {

struct ActionRow {
    HotkeyAction action;
    std::string_view rawValue;
    std::string_view displayName;
    std::optional<int> referenceLevelIndex;
    std::optional<std::string_view> consoleDefaultHotkey;
};

constexpr ActionRow kRows[] = {
    {HotkeyAction::mute, "mute", "Mute", std::nullopt, "⌘F10"},
    {HotkeyAction::dim, "dim", "Dim", std::nullopt, std::nullopt},
    {HotkeyAction::surround, "surround", "Surround", std::nullopt, std::nullopt},
    {HotkeyAction::stereo, "stereo", "Stereo", std::nullopt, std::nullopt},
    {HotkeyAction::mono, "mono", "Mono", std::nullopt, std::nullopt},
    {HotkeyAction::talkback, "talkback", "Talkback", std::nullopt, std::nullopt},
    {HotkeyAction::volumeUpFine, "volumeUpFine", "Volume Up", std::nullopt, "⌘F12"},
    {HotkeyAction::volumeUpCoarse, "volumeUpCoarse", "Volume Up (coarse)", std::nullopt, std::nullopt},
    {HotkeyAction::volumeDownFine, "volumeDownFine", "Volume Down", std::nullopt, "⌘F11"},
    {HotkeyAction::volumeDownCoarse, "volumeDownCoarse", "Volume Down (coarse)", std::nullopt, std::nullopt},
    {HotkeyAction::recallReference1, "recallReference1", "Recall reference 1", 0, std::nullopt},
    {HotkeyAction::recallReference2, "recallReference2", "Recall reference 2", 1, std::nullopt},
    {HotkeyAction::recallReference3, "recallReference3", "Recall reference 3", 2, std::nullopt},
};

const ActionRow& row(HotkeyAction action) noexcept { return *findRow(kRows, &ActionRow::action, action); }

}  // namespace

std::string_view rawValue(HotkeyAction action) noexcept { return row(action).rawValue; }

std::optional<HotkeyAction> hotkeyActionFromRawValue(std::string_view rawValue) noexcept {
    const ActionRow* found = findRow(kRows, &ActionRow::rawValue, rawValue);
    return found ? std::optional(found->action) : std::nullopt;
}

std::string_view displayName(HotkeyAction action) noexcept { return row(action).displayName; }

std::optional<int> referenceLevelIndex(HotkeyAction action) noexcept { return row(action).referenceLevelIndex; }

std::optional<std::string_view> consoleDefaultHotkey(HotkeyAction action) noexcept {
    return row(action).consoleDefaultHotkey;
}

}  // namespace quillmark
