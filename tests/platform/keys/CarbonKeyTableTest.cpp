#include "platform/keys/CarbonKeyTable.h"

#include <gtest/gtest.h>

#include <set>

namespace quillmark {
namespace {

TEST(CarbonKeyTable, EveryEntryTranslatesBothWays) {
    std::set<std::uint32_t> codes;
    std::set<int> qtKeys;
    std::set<std::uint32_t> keysyms;
    for (const CarbonKey& key : CarbonKeyTable::entries()) {
        EXPECT_TRUE(codes.insert(key.carbonCode).second) << "duplicate Carbon code " << key.carbonCode;
        EXPECT_TRUE(qtKeys.insert(key.qtKey).second) << "duplicate Qt key for " << key.text;
        EXPECT_TRUE(keysyms.insert(key.keysym).second) << "duplicate keysym for " << key.text;
        EXPECT_EQ(CarbonKeyTable::fromCarbon(key.carbonCode)->qtKey, key.qtKey) << key.text;
        EXPECT_EQ(CarbonKeyTable::fromQtKey(key.qtKey)->carbonCode, key.carbonCode) << key.text;
        EXPECT_EQ(CarbonKeyTable::fromKeysym(key.keysym)->carbonCode, key.carbonCode) << key.text;
    }
    // 26 letters, 10 digits, 11 punctuation keys, F1-F20, 8 arrows and navigation keys, 3 editing keys,
    // Space, Return, Tab, Escape.
    EXPECT_EQ(codes.size(), 26u + 10 + 11 + 20 + 8 + 3 + 4);
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
    for (const Case& c : cases) {
        const auto key = CarbonKeyTable::fromCarbon(c.carbon);
        ASSERT_TRUE(key) << c.text;
        EXPECT_EQ(key->qtKey, c.qtKey) << c.text;
        EXPECT_EQ(key->keysym, c.keysym) << c.text;
        EXPECT_EQ(key->text, c.text);
    }
}

TEST(CarbonKeyTable, ShiftedSymbolsUpperCaseKeysymsAndUnknownKeys) {
    EXPECT_EQ(CarbonKeyTable::fromQtKey(Qt::Key_Exclam)->carbonCode, 0x12u);  // Shift+1
    EXPECT_EQ(CarbonKeyTable::fromQtKey(Qt::Key_Backtab)->carbonCode, 48u);   // Shift+Tab
    EXPECT_EQ(CarbonKeyTable::fromQtKey(Qt::Key_Enter)->carbonCode, 36u);     // keypad Enter
    EXPECT_EQ(CarbonKeyTable::fromKeysym('T')->carbonCode, 17u);
    EXPECT_FALSE(CarbonKeyTable::fromCarbon(71));  // keypad Clear: not in the table
    EXPECT_FALSE(CarbonKeyTable::fromQtKey(Qt::Key_VolumeUp));
    EXPECT_FALSE(CarbonKeyTable::fromKeysym(0xff7f));  // Num_Lock
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
