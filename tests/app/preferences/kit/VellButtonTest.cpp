// VellButton: size, the colours of each state, and clicks only while enabled.
#include "WidgetTestSupport.h"

#include "app/preferences/kit/KitLook.h"
#include "app/preferences/kit/VellButton.h"

#include <QFontMetricsF>

#include <cmath>

namespace quillmark::testing {
namespace {

struct StateCase {
    const char* name;
    bool primary;
    bool disabled;
    bool dark;
    HUDTokens::Token text, background, border;
};

class VellButtonStateTest : public ::testing::TestWithParam<StateCase> {
protected:
    QApplication& application = widgetTestApplication();
};

TEST_P(VellButtonStateTest, DrawsTheColoursOfItsState) {
    const StateCase& c = GetParam();
    VellButton button(QStringLiteral("Set"), c.primary);
    button.setDisabled(c.disabled);
    button.setAppearance(c.dark ? HUDAppearance::dark : HUDAppearance::light);
    button.resize(button.sizeHint());
    const QImage image = render(button, Qt::magenta);
    const QColor background = token(c.background, c.dark);
    const int w = image.width();
    for (QPoint at :
         {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, 23), QPoint(w - 1, 23), QPoint(0, 12), QPoint(w / 2, 23)})
        EXPECT_EQ(pixel(image, at.x(), at.y()), token(c.border, c.dark)) << at.x() << "," << at.y();
    for (QPoint at : {QPoint(1, 1), QPoint(w - 2, 22), QPoint(5, 12), QPoint(w - 6, 12)})
        EXPECT_EQ(pixel(image, at.x(), at.y()), background) << at.x() << "," << at.y();
    EXPECT_LE(colourDistance(ink(image, QRect(10, 1, w - 20, 22), background), token(c.text, c.dark)), 40);
}

INSTANTIATE_TEST_SUITE_P(
    States, VellButtonStateTest,
    ::testing::Values(
        StateCase{"normal_light", false, false, false, HUDTokens::fg, HUDTokens::bgHeader, HUDTokens::border},
        StateCase{"normal_dark", false, false, true, HUDTokens::fg, HUDTokens::bgHeader, HUDTokens::border},
        StateCase{"primary_light", true, false, false, HUDTokens::bg, HUDTokens::accent, HUDTokens::accent},
        StateCase{"primary_dark", true, false, true, HUDTokens::bg, HUDTokens::accent, HUDTokens::accent},
        StateCase{"disabled_light", false, true, false, HUDTokens::fgMuted, HUDTokens::bgHeader, HUDTokens::border},
        StateCase{"disabled_dark", false, true, true, HUDTokens::fgMuted, HUDTokens::bgHeader, HUDTokens::border},
        StateCase{"disabled_primary_light", true, true, false, HUDTokens::fgMuted, HUDTokens::accent,
                  HUDTokens::accent},
        StateCase{"disabled_primary_dark", true, true, true, HUDTokens::fgMuted, HUDTokens::accent, HUDTokens::accent}),
    [](const auto& info) { return info.param.name; });

class VellButtonTest : public ::testing::Test {
protected:
    QApplication& application = widgetTestApplication();
};

TEST_F(VellButtonTest, IsTwentyFourHighWithTenEitherSideOfTheUpperCasedTitle) {
    VellButton button(QStringLiteral("Clear"), false);
    EXPECT_EQ(button.shownTitle(), "CLEAR");
    const double text = QFontMetricsF(KitLook::displayFont(11, 0.44)).horizontalAdvance(QStringLiteral("CLEAR"));
    EXPECT_EQ(button.sizeHint(), QSize(static_cast<int>(std::ceil(text + 20)), 24));
}

TEST_F(VellButtonTest, ClickCallsTheActionOnlyWhileEnabled) {
    VellButton button(QStringLiteral("Set"), true);
    button.resize(button.sizeHint());
    int actions = 0;
    button.action = [&] { ++actions; };

    button.setDisabled(true);
    click(button, QPointF(10, 12));
    EXPECT_EQ(actions, 0);

    button.setDisabled(false);
    click(button, QPointF(10, 12));
    EXPECT_EQ(actions, 1);
    // Released outside: no click.
    click(button, QPointF(10, 12), QPointF(10, 40));
    EXPECT_EQ(actions, 1);
    // Disabled between press and release: no click either.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 12), QPointF(10, 12), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&button, &press);
    button.setDisabled(true);
    button.setDisabled(false);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 12), QPointF(10, 12), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&button, &release);
    EXPECT_EQ(actions, 1);
}

}  // namespace
}  // namespace quillmark::testing
