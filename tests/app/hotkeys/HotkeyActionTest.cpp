#include "app/hotkeys/HotkeyAction.h"

#include <gtest/gtest.h>

namespace quillmark {
namespace {

TEST(HotkeyAction, TableOfCases) {
    struct Row {
        std::string_view raw;
        std::string_view display;
        std::optional<int> referenceIndex;
        std::optional<std::string_view> consoleDefault;
    };
    const Row rows[] = {
        {"mute", "Mute", {}, "⌘F10"},
        {"dim", "Dim", {}, {}},
        {"surround", "Surround", {}, {}},
        {"stereo", "Stereo", {}, {}},
        {"mono", "Mono", {}, {}},
        {"talkback", "Talkback", {}, {}},
        {"volumeUpFine", "Volume Up", {}, "⌘F12"},
        {"volumeUpCoarse", "Volume Up (coarse)", {}, {}},
        {"volumeDownFine", "Volume Down", {}, "⌘F11"},
        {"volumeDownCoarse", "Volume Down (coarse)", {}, {}},
        {"recallReference1", "Recall reference 1", 0, {}},
        {"recallReference2", "Recall reference 2", 1, {}},
        {"recallReference3", "Recall reference 3", 2, {}},
    };
    ASSERT_EQ(allHotkeyActions.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const HotkeyAction action = allHotkeyActions[i];  // listed in registration order
        EXPECT_EQ(rawValue(action), rows[i].raw);
        EXPECT_EQ(hotkeyActionFromRawValue(rows[i].raw), action);
        EXPECT_EQ(displayName(action), rows[i].display);
        EXPECT_EQ(referenceLevelIndex(action), rows[i].referenceIndex) << rows[i].raw;
        EXPECT_EQ(consoleDefaultHotkey(action), rows[i].consoleDefault) << rows[i].raw;
    }
}

TEST(HotkeyAction, RawValuesMatchExactly) {
    for (std::string_view text : {"Mute", "MUTE", "volumeUp", "", "mute ", "recallReference4"})
        EXPECT_FALSE(hotkeyActionFromRawValue(text)) << text;
}

}  // namespace
}  // namespace quillmark
