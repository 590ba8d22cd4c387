// VellSegmented: cells by position, highlight by equality, writes on every click, the drawing.
#include "WidgetTestSupport.h"

#include "app/look/HUDAppearance.h"
#include "app/preferences/kit/VellSegmented.h"

#include "PollUntil.h"

#include <chrono>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

QString titleOf(HUDAppearance appearance) {
    switch (appearance) {
    case HUDAppearance::system: return QStringLiteral("System");
    case HUDAppearance::light: return QStringLiteral("Light");
    case HUDAppearance::dark: return QStringLiteral("Dark");
    }
    return {};
}

const std::vector<HUDAppearance> kAppearances{HUDAppearance::system, HUDAppearance::light, HUDAppearance::dark};

class VellSegmentedTest : public ::testing::Test {
protected:
    QApplication& application = widgetTestApplication();
};

TEST_F(VellSegmentedTest, ClickWritesTheCellsOptionAgainWhenAlreadySelected) {
    VellSegmented<HUDAppearance> picker(kAppearances, titleOf, HUDAppearance::system);
    picker.setFixedWidth(220);
    picker.resize(220, 24);
    std::vector<HUDAppearance> writes;
    picker.onWrite = [&](const HUDAppearance& value) {
        writes.push_back(value);
        picker.setSelection(value);
    };
    click(picker, picker.cellRect(2).center());
    EXPECT_EQ(writes, (std::vector<HUDAppearance>{HUDAppearance::dark}));
    EXPECT_FALSE(picker.isCellSelected(0));
    EXPECT_TRUE(picker.isCellSelected(2));
    click(picker, picker.cellRect(2).center());
    EXPECT_EQ(writes, (std::vector<HUDAppearance>{HUDAppearance::dark, HUDAppearance::dark}));
    // Anywhere in a cell counts, its edges too.
    click(picker, QPointF(picker.cellRect(1).left(), 0));
    click(picker, QPointF(picker.cellRect(0).left(), 23));
    EXPECT_EQ(writes.back(), HUDAppearance::system);
    EXPECT_EQ(writes.size(), 4u);
    // Pressed in one cell and released in another: no click.
    click(picker, picker.cellRect(0).center(), picker.cellRect(1).center());
    EXPECT_EQ(writes.size(), 4u);
}

TEST_F(VellSegmentedTest, HighlightsEveryCellEqualToTheSelectionAndNoneWhenNothingMatches) {
    const std::vector<QString> options{"a", "b", "a"};
    VellSegmented<QString> picker(
        options, [](const QString& option) { return option; }, QStringLiteral("a"));
    EXPECT_TRUE(picker.isCellSelected(0));
    EXPECT_FALSE(picker.isCellSelected(1));
    EXPECT_TRUE(picker.isCellSelected(2));
    picker.setSelection(QStringLiteral("z"));
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(picker.isCellSelected(i)) << i;

    // Cells are told apart by position: the second "a" writes "a" as the first does.
    std::vector<QString> writes;
    picker.onWrite = [&](const QString& value) { writes.push_back(value); };
    picker.resize(150, 24);
    click(picker, picker.cellRect(2).center());
    click(picker, picker.cellRect(1).center());
    EXPECT_EQ(writes, (std::vector<QString>{"a", "b"}));
}

TEST_F(VellSegmentedTest, TitlesAreUpperCasedAndShrinkNoFurtherThanFourFifths) {
    VellSegmented<int> picker(
        {1, 2}, [](int n) { return n == 1 ? QStringLiteral("Music") : QStringLiteral("Film"); }, 1);
    EXPECT_EQ(picker.shownTitle(0), "MUSIC");
    EXPECT_EQ(picker.shownTitle(1), "FILM");
    picker.resize(260, 24);
    EXPECT_EQ(picker.textScale(0), 1.0);
    picker.resize(30, 24);
    EXPECT_GE(picker.textScale(0), 0.8);
    EXPECT_LT(picker.textScale(0), 1.0);
    picker.resize(4, 24);
    EXPECT_EQ(picker.textScale(0), 0.8);
}

class VellSegmentedLookTest : public ::testing::TestWithParam<bool> {
protected:
    QApplication& application = widgetTestApplication();
};

TEST_P(VellSegmentedLookTest, DrawsCellsDividersAndBorder) {
    const bool dark = GetParam();
    VellSegmented<HUDAppearance> picker(kAppearances, titleOf, HUDAppearance::light);
    picker.setAppearance(dark ? HUDAppearance::dark : HUDAppearance::light);
    picker.resize(220, 24);
    const QColor backdrop = token(HUDTokens::bgRaised, dark);
    const QColor accent = token(HUDTokens::accent, dark);
    const QColor border = token(HUDTokens::border, dark);
    const QImage image = render(picker, backdrop);

    ASSERT_EQ(picker.cellCount(), 3);
    const int second = static_cast<int>(picker.cellRect(1).left());
    const int third = static_cast<int>(picker.cellRect(2).left());
    EXPECT_EQ(second, 73);
    EXPECT_EQ(third, 147);
    for (QPoint at :
         {QPoint(0, 0), QPoint(219, 0), QPoint(0, 23), QPoint(219, 23), QPoint(0, 12), QPoint(219, 12), QPoint(30, 0),
          QPoint(30, 23), QPoint(second, 1), QPoint(second, 12), QPoint(third, 12), QPoint(third, 22)}) {
        EXPECT_EQ(pixel(image, at.x(), at.y()), border) << at.x() << "," << at.y();
    }
    // The selected cell is filled with the accent, up to the divider after it; the others are clear.
    EXPECT_EQ(pixel(image, second + 1, 1), accent);
    EXPECT_EQ(pixel(image, third - 1, 22), accent);
    EXPECT_EQ(pixel(image, third + 1, 1), backdrop);
    EXPECT_EQ(pixel(image, 1, 1), backdrop);
    EXPECT_LE(
        colourDistance(ink(image, QRect(second + 2, 2, third - second - 3, 20), accent), token(HUDTokens::bg, dark)),
        40);
    EXPECT_LE(colourDistance(ink(image, QRect(2, 2, second - 3, 20), backdrop), token(HUDTokens::fgMid, dark)), 40);
}

TEST_P(VellSegmentedLookTest, ClickedChangeFadesInOverATenthOfASecond) {
    const bool dark = GetParam();
    VellSegmented<HUDAppearance> picker(kAppearances, titleOf, HUDAppearance::light);
    picker.setAppearance(dark ? HUDAppearance::dark : HUDAppearance::light);
    picker.resize(220, 24);
    picker.onWrite = [&](const HUDAppearance& value) { picker.setSelection(value); };
    click(picker, picker.cellRect(0).center());
    EXPECT_TRUE(picker.isAnimating());
    ASSERT_TRUE(pollUntil([&] { return !picker.isAnimating(); }, 2s, [] { QApplication::processEvents(); }));
    const QImage image = render(picker, token(HUDTokens::bgRaised, dark));
    EXPECT_EQ(pixel(image, 1, 1), token(HUDTokens::accent, dark));
    EXPECT_EQ(pixel(image, 75, 1), token(HUDTokens::bgRaised, dark));
    // Set from outside: at once.
    picker.setSelection(HUDAppearance::dark);
    EXPECT_FALSE(picker.isAnimating());
}

INSTANTIATE_TEST_SUITE_P(Appearances, VellSegmentedLookTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dark" : "light"; });

}  // namespace
}  // namespace quillmark::testing
