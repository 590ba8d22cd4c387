#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillmark {

// The thirteen monitor commands a global hotkey can run; listed in registration order.
enum class HotkeyAction {
    mute,
    dim,
    surround,
    stereo,
    mono,
    talkback,
    volumeUpFine,
    volumeUpCoarse,
    volumeDownFine,
    volumeDownCoarse,
    recallReference1,
    recallReference2,
    recallReference3,
};

inline constexpr std::array<HotkeyAction, 13> allHotkeyActions{
    HotkeyAction::mute,
    HotkeyAction::dim,
    HotkeyAction::surround,
    HotkeyAction::stereo,
    HotkeyAction::mono,
    HotkeyAction::talkback,
    HotkeyAction::volumeUpFine,
    HotkeyAction::volumeUpCoarse,
    HotkeyAction::volumeDownFine,
    HotkeyAction::volumeDownCoarse,
    HotkeyAction::recallReference1,
    HotkeyAction::recallReference2,
    HotkeyAction::recallReference3,
};

// The case name: "mute", "volumeUpFine", ...
std::string_view rawValue(HotkeyAction action) noexcept;
// Exactly one of the thirteen case names (case-sensitive); nothing for any other text.
std::optional<HotkeyAction> hotkeyActionFromRawValue(std::string_view rawValue) noexcept;
// The command's name in the preferences window: "Mute", "Volume Up (coarse)", ...
std::string_view displayName(HotkeyAction action) noexcept;
// The 0-based saved reference level a recall command recalls; nothing for the others.
std::optional<int> referenceLevelIndex(HotkeyAction action) noexcept;
// The shortcut UA Console itself uses for the command ("⌘F10"), shown as a hint; nothing where it has none.
std::optional<std::string_view> consoleDefaultHotkey(HotkeyAction action) noexcept;

}  // namespace quillmark
