// VellCheckbox: the box in both states, the check mark, the click area and the baseline.
#include "WidgetTestSupport.h"

#include "app/preferences/kit/VellCheckbox.h"

#include "PollUntil.h"

#include <chrono>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

class VellCheckboxTest : public ::testing::TestWithParam<bool> {
protected:
    bool dark() const { return GetParam(); }
    QColor colour(const HUDTokens::Token& which) const { return token(which, dark()); }

    // The caller's side of the binding: a stored value the box shows and writes.
    void bind() {
        box.onWrite = [this](bool value) {
            stored = value;
            ++writes;
            box.setOn(stored);
        };
    }

    QApplication& application = widgetTestApplication();
    VellCheckbox box;
    bool stored = false;
    int writes = 0;
};

TEST_P(VellCheckboxTest, OffIsAnOpenBoxWithTheBorderInside) {
    box.setAppearance(dark() ? HUDAppearance::dark : HUDAppearance::light);
    EXPECT_EQ(box.size(), QSize(24, 24));
    const QColor backdrop = colour(HUDTokens::bgRaised);
    const QImage image = render(box, backdrop);
    // The 14-point box, centred: its border on its own outer pixels.
    for (QPoint at : {QPoint(5, 5), QPoint(18, 5), QPoint(5, 18), QPoint(18, 18), QPoint(11, 5), QPoint(5, 11)})
        EXPECT_EQ(pixel(image, at.x(), at.y()), colour(HUDTokens::border)) << at.x() << "," << at.y();
    for (QPoint at : {QPoint(6, 6), QPoint(12, 12), QPoint(17, 17), QPoint(4, 4), QPoint(19, 19), QPoint(0, 0)})
        EXPECT_EQ(pixel(image, at.x(), at.y()), backdrop) << at.x() << "," << at.y();
}

TEST_P(VellCheckboxTest, ClickAnywhereInTheSquareTurnsItOnWithAccentFillAndCheckMark) {
    box.setAppearance(dark() ? HUDAppearance::dark : HUDAppearance::light);
    bind();
    click(box, QPointF(1, 22));  // a corner of the square, outside the box
    EXPECT_EQ(writes, 1);
    EXPECT_TRUE(stored);
    EXPECT_TRUE(box.isAnimating());  // the change fades in
    ASSERT_TRUE(pollUntil([&] { return !box.isAnimating(); }, 2s, [] { QApplication::processEvents(); }));

    const QColor backdrop = colour(HUDTokens::bgRaised);
    const QImage image = render(box, backdrop);
    const QColor accent = colour(HUDTokens::accent);
    for (QPoint at : {QPoint(5, 5), QPoint(18, 5), QPoint(5, 18), QPoint(18, 18)})
        EXPECT_EQ(pixel(image, at.x(), at.y()), accent) << at.x() << "," << at.y();
    for (QPoint at : {QPoint(7, 16), QPoint(16, 16), QPoint(16, 6)})
        EXPECT_EQ(pixel(image, at.x(), at.y()), accent) << at.x() << "," << at.y();
    EXPECT_EQ(pixel(image, 2, 2), backdrop);
    // The check mark in `bg`, through (3.2, 7.2), (5.9, 9.9) and (10.6, 4.1) of the box (at 5, 5).
    for (QPoint at : {QPoint(9, 13), QPoint(10, 14), QPoint(13, 11), QPoint(14, 10)}) {
        EXPECT_LE(colourDistance(pixel(image, at.x(), at.y()), colour(HUDTokens::bg)), 40) << at.x() << "," << at.y();
    }

    click(box, QPointF(12, 12));
    EXPECT_FALSE(stored);
    ASSERT_TRUE(pollUntil([&] { return !box.isAnimating(); }, 2s, [] { QApplication::processEvents(); }));
    EXPECT_EQ(pixel(render(box, backdrop), 12, 12), backdrop);
    EXPECT_EQ(writes, 2);
}

TEST_P(VellCheckboxTest, ShowsOnlyWhatTheCallerSets) {
    int refused = 0;
    box.onWrite = [&](bool) { ++refused; };  // a store that does not take the change
    click(box, QPointF(12, 12));
    EXPECT_EQ(refused, 1);
    EXPECT_FALSE(box.isOn());
    box.setOn(true);  // set from outside: no fade
    EXPECT_FALSE(box.isAnimating());
}

TEST_P(VellCheckboxTest, ReportsItsBaselineSixteenBelowItsTop) { EXPECT_EQ(box.firstBaseline(), 16.0); }

INSTANTIATE_TEST_SUITE_P(Appearances, VellCheckboxTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dark" : "light"; });

}  // namespace
}  // namespace quillmark::testing
