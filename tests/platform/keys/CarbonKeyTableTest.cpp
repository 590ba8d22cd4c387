#include "platform/keys/CarbonKeyTable.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <span>
#include <utility>

namespace quillmark {
namespace {

TEST(CarbonKeyTable, EveryEntryTranslatesBothWays) {
    std::set<std::uint32_t> codes;
    std::set<std::pair<int, bool>> qtKeys;  // a keypad key shares its Qt key with its twin
    std::set<std::uint32_t> keysyms;
    for (const CarbonKey& key : CarbonKeyTable::entries()) {
        const Qt::KeyboardModifiers flag = key.keypad ? Qt::KeypadModifier : Qt::NoModifier;
        EXPECT_TRUE(codes.insert(key.carbonCode).second) << "duplicate Carbon code " << key.carbonCode;
        EXPECT_TRUE(qtKeys.insert({key.qtKey, key.keypad}).second) << "duplicate Qt key for " << key.text;
        EXPECT_TRUE(keysyms.insert(key.keysym).second) << "duplicate keysym for " << key.text;
        EXPECT_EQ(CarbonKeyTable::fromCarbon(key.carbonCode)->qtKey, key.qtKey) << key.text;
        EXPECT_EQ(CarbonKeyTable::fromQtKey(key.qtKey, flag)->carbonCode, key.carbonCode) << key.text;
        EXPECT_EQ(CarbonKeyTable::fromKeysym(key.keysym)->carbonCode, key.carbonCode) << key.text;
        if (key.numLockOffQtKey == 0) continue;
        EXPECT_TRUE(key.keypad) << key.text;
        EXPECT_TRUE(qtKeys.insert({key.numLockOffQtKey, true}).second) << "duplicate Qt key for " << key.text;
        EXPECT_TRUE(keysyms.insert(key.numLockOffKeysym).second) << "duplicate keysym for " << key.text;
        EXPECT_EQ(CarbonKeyTable::fromQtKey(key.numLockOffQtKey, flag)->carbonCode, key.carbonCode) << key.text;
        EXPECT_EQ(CarbonKeyTable::fromKeysym(key.numLockOffKeysym)->carbonCode, key.carbonCode) << key.text;
    }
    // 26 letters, 10 digits, 11 punctuation keys, F1-F20, 8 arrows and navigation keys, 3 editing keys,
    // Space, Return, Tab, Escape; the keypad's 10 digits, 7 other twins and Clear; 3 volume keys.
    EXPECT_EQ(codes.size(), 26u + 10 + 11 + 20 + 8 + 3 + 4 + 18 + 3);
}

TEST(CarbonKeyTable, KnownCodesOfTheAnsiLayout) {
    struct Case {
        std::uint32_t carbon;
        int qtKey;
        std::uint32_t keysym;
        std::string_view text;
    };
    const Case cases[] = {
        {0x00, Qt::Key_A, 0x61, "A"},       {17, Qt::Key_T, 0x74, "T"},         {0x1D, Qt::Key_0, 0x30, "0"},
        {0x12, Qt::Key_1, 0x31, "1"},       {0x1B, Qt::Key_Minus, 0x2d, "-"},   {122, Qt::Key_F1, 0xffbe, "F1"},
        {109, Qt::Key_F10, 0xffc7, "F10"},  {111, Qt::Key_F12, 0xffc9, "F12"},  {90, Qt::Key_F20, 0xffd1, "F20"},
        {126, Qt::Key_Up, 0xff52, "↑"},     {116, Qt::Key_PageUp, 0xff55, "⇞"}, {51, Qt::Key_Backspace, 0xff08, "⌫"},
        {117, Qt::Key_Delete, 0xffff, "⌦"}, {49, Qt::Key_Space, 0x20, "Space"}, {36, Qt::Key_Return, 0xff0d, "↩"},
        {48, Qt::Key_Tab, 0xff09, "⇥"},     {53, Qt::Key_Escape, 0xff1b, "⎋"},
    };
    // The keypad's keysyms are those with Num Lock on.
    const Case keypadKeys[] = {
        {0x52, Qt::Key_0, 0xffb0, "Num0"},         {0x53, Qt::Key_1, 0xffb1, "Num1"},
        {0x59, Qt::Key_7, 0xffb7, "Num7"},         {0x5B, Qt::Key_8, 0xffb8, "Num8"},
        {0x5C, Qt::Key_9, 0xffb9, "Num9"},         {0x41, Qt::Key_Period, 0xffae, "Num."},
        {0x43, Qt::Key_Asterisk, 0xffaa, "Num*"},  {69, Qt::Key_Plus, 0xffab, "Num+"},
        {0x4E, Qt::Key_Minus, 0xffad, "Num-"},     {0x4B, Qt::Key_Slash, 0xffaf, "Num/"},
        {0x4C, Qt::Key_Enter, 0xff8d, "NumEnter"}, {0x51, Qt::Key_Equal, 0xffbd, "Num="},
        {0x47, Qt::Key_Clear, 0xff0b, "NumClear"},
    };
    const Case volumeKeys[] = {
        {72, Qt::Key_VolumeUp, 0x1008ff13, "Volume Up"},
        {73, Qt::Key_VolumeDown, 0x1008ff11, "Volume Down"},
        {74, Qt::Key_VolumeMute, 0x1008ff12, "Mute"},
    };
    for (const auto table :
         {std::span<const Case>(cases), std::span<const Case>(keypadKeys), std::span<const Case>(volumeKeys)}) {
        for (const Case& c : table) {
            const auto key = CarbonKeyTable::fromCarbon(c.carbon);
            ASSERT_TRUE(key) << c.text;
            EXPECT_EQ(key->qtKey, c.qtKey) << c.text;
            EXPECT_EQ(key->keysym, c.keysym) << c.text;
            EXPECT_EQ(key->text, c.text);
        }
    }
}

TEST(CarbonKeyTable, ShiftedSymbolsUpperCaseKeysymsAndUnknownKeys) {
    EXPECT_EQ(CarbonKeyTable::fromQtKey(Qt::Key_Exclam)->carbonCode, 0x12u);  // Shift+1
    EXPECT_EQ(CarbonKeyTable::fromQtKey(Qt::Key_Backtab)->carbonCode, 48u);   // Shift+Tab
    EXPECT_EQ(CarbonKeyTable::fromQtKey(Qt::Key_Enter)->carbonCode, 36u);     // Enter without the keypad flag
    EXPECT_EQ(CarbonKeyTable::fromKeysym('T')->carbonCode, 17u);
    EXPECT_FALSE(CarbonKeyTable::fromCarbon(0x0A));  // the ISO layout's extra key: not in the table
    EXPECT_FALSE(CarbonKeyTable::fromQtKey(Qt::Key_MediaPlay));
    EXPECT_FALSE(CarbonKeyTable::fromKeysym(0xff7f));  // Num_Lock
}

TEST(CarbonKeyTable, KeypadKeysAreTheirOwnWhateverTheStateOfNumLock) {
    constexpr auto keypad = Qt::KeypadModifier;
    struct Case {
        const char* name;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t nativeKeysym;
        std::optional<std::uint32_t> carbon;
    };
    const Case cases[] = {
        {"keypad +", Qt::Key_Plus, keypad, 0, 69},
        {"Shift+= on the main block", Qt::Key_Plus, Qt::ShiftModifier, 0, 0x18},
        {"keypad 1, Num Lock on", Qt::Key_1, keypad, 0, 0x53},
        {"keypad 1, Num Lock off", Qt::Key_End, keypad, 0, 0x53},
        {"Shift+keypad 1, Num Lock on", Qt::Key_End, keypad | Qt::ShiftModifier, 0, 0x53},
        {"1 on the main block", Qt::Key_1, Qt::NoModifier, 0, 0x12},
        {"End", Qt::Key_End, Qt::NoModifier, 0, 119},
        {"keypad 5, Num Lock off", Qt::Key_Clear, keypad, 0, 0x57},
        {"keypad point, Num Lock off", Qt::Key_Delete, keypad, 0, 0x41},
        {"keypad point of a decimal-comma layout", Qt::Key_Comma, keypad, 0, 0x41},
        {"keypad Enter", Qt::Key_Enter, keypad, 0, 0x4C},
        {"keypad =, told by its keysym alone", Qt::Key_Equal, Qt::NoModifier, 0xffbd, 0x51},
        {"= with its own keysym", Qt::Key_Equal, Qt::NoModifier, 0x3d, 0x18},
        {"keypad F1 has no code of its own", Qt::Key_F1, keypad, 0xff91, std::nullopt},
        {"nor has keypad Space", Qt::Key_Space, keypad, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto key = CarbonKeyTable::fromQtKey(c.qtKey, c.modifiers, c.nativeKeysym);
        EXPECT_EQ(key ? std::optional(key->carbonCode) : std::nullopt, c.carbon) << c.name;
    }
    EXPECT_EQ(CarbonKeyTable::fromKeysym(0xff9c)->carbonCode, 0x53u);  // KP_End
}

TEST(CarbonKeyTable, ModifierMasksMapToQtModifiersBothWays) {
    struct Case {
        std::uint32_t mask;
        Qt::KeyboardModifiers qt;
    };
    const Case cases[] = {
        {0, Qt::NoModifier},
        {CarbonKeyTable::cmdKey, Qt::MetaModifier},
        {CarbonKeyTable::shiftKey, Qt::ShiftModifier},
        {CarbonKeyTable::optionKey, Qt::AltModifier},
        {CarbonKeyTable::controlKey, Qt::ControlModifier},
        {0x1900, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CarbonKeyTable::qtModifiers(c.mask), c.qt) << c.mask;
        EXPECT_EQ(CarbonKeyTable::carbonModifiers(c.qt), c.mask) << c.mask;
    }
    EXPECT_EQ(CarbonKeyTable::carbonModifiers(Qt::KeypadModifier | Qt::ShiftModifier), CarbonKeyTable::shiftKey);
    EXPECT_EQ(CarbonKeyTable::qtModifiers(0x4000 | CarbonKeyTable::optionKey), Qt::AltModifier);
}

}  // namespace
}  // namespace quillmark
