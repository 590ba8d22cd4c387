#include "app/look/HUDTokens.h"

#include "TestApplication.h"

#include <QGuiApplication>

#include <QPalette>
#include <gtest/gtest.h>

namespace quillmark {
namespace {

class HUDTokensTest : public ::testing::Test {
protected:
    void SetUp() override { testing::testApplication<QGuiApplication>(); }
    void TearDown() override { QGuiApplication::setPalette(QPalette()); }

    static void useSystemPalette(QColor window, QColor text) {
        QPalette palette;
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        QGuiApplication::setPalette(palette);
    }
};

struct Row {
    const HUDTokens::Token& token;
    const char* name;
    QColor dark;
    QColor light;
};

const Row kRows[] = {
    {HUDTokens::bg, "bg", {7, 9, 10}, {244, 243, 236}},
    {HUDTokens::bgRaised, "bgRaised", {16, 22, 16}, {230, 229, 214}},
    {HUDTokens::bgHeader, "bgHeader", {24, 32, 24}, {220, 220, 200}},
    {HUDTokens::bgRecessed, "bgRecessed", {12, 15, 13}, {237, 236, 224}},
    {HUDTokens::border, "border", {41, 56, 32}, {184, 184, 154}},
    {HUDTokens::borderSubtle, "borderSubtle", {28, 40, 20}, {208, 207, 182}},
    {HUDTokens::fg, "fg", {223, 240, 208}, {20, 32, 26}},
    {HUDTokens::fgMid, "fgMid", {184, 216, 168}, {53, 69, 48}},
    {HUDTokens::fgMuted, "fgMuted", {141, 184, 122}, {85, 101, 74}},
    {HUDTokens::accent, "accent", {192, 240, 96}, {123, 168, 24}},
    {HUDTokens::accentDim, "accentDim", {106, 138, 40}, {90, 120, 18}},
    {HUDTokens::green, "green", {163, 224, 85}, {85, 112, 24}},
    {HUDTokens::cobalt, "cobalt", {90, 140, 255}, {63, 111, 216}},
    {HUDTokens::amber, "amber", {240, 184, 64}, {184, 120, 48}},
    {HUDTokens::red, "red", {232, 80, 58}, {201, 58, 28}},
};

TEST_F(HUDTokensTest, EveryTokenHasItsTwoOpaqueHalves) {
    for (const Row& row : kRows) {
        const QColor dark = HUDTokens::resolve(row.token, true);
        const QColor light = HUDTokens::resolve(row.token, false);
        EXPECT_EQ(dark, row.dark) << row.name;
        EXPECT_EQ(light, row.light) << row.name;
        EXPECT_EQ(dark.alphaF(), 1.0) << row.name;
        EXPECT_EQ(light.spec(), QColor::Rgb) << row.name;
    }
}

TEST_F(HUDTokensTest, ForcedAppearancesIgnoreTheSystem) {
    for (bool systemDark : {false, true}) {
        if (systemDark) useSystemPalette(Qt::black, Qt::white);
        else useSystemPalette(Qt::white, Qt::black);
        EXPECT_EQ(HUDTokens::resolve(HUDTokens::bg, HUDAppearance::light), QColor(244, 243, 236));
        EXPECT_EQ(HUDTokens::resolve(HUDTokens::fg, HUDAppearance::light), QColor(20, 32, 26));
        EXPECT_EQ(HUDTokens::resolve(HUDTokens::bg, HUDAppearance::dark), QColor(7, 9, 10));
        EXPECT_EQ(HUDTokens::resolve(HUDTokens::fg, HUDAppearance::dark), QColor(223, 240, 208));
    }
}

TEST_F(HUDTokensTest, SystemAppearanceFollowsTheDesktopPalette) {
    struct Case {
        QColor window;
        QColor text;
        bool dark;
        const char* what;
    };
    const Case cases[] = {
        {QColor(239, 239, 239), QColor(0, 0, 0), false, "standard light"},
        {QColor(49, 54, 59), QColor(239, 240, 241), true, "standard dark"},
        {Qt::white, Qt::black, false, "high-contrast light"},
        {Qt::black, Qt::white, true, "high-contrast dark"},
    };
    for (const Case& c : cases) {
        useSystemPalette(c.window, c.text);
        EXPECT_EQ(HUDTokens::systemIsDark(), c.dark) << c.what;
        for (const Row& row : kRows)
            EXPECT_EQ(HUDTokens::resolve(row.token, HUDAppearance::system), c.dark ? row.dark : row.light)
                << c.what << " " << row.name;
    }
}

}  // namespace
}  // namespace quillmark
