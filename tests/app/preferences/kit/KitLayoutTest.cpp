// SectionBox, Row and Caption: sizes, baselines and colours, light and dark.
#include "WidgetTestSupport.h"

#include "app/preferences/kit/Caption.h"
#include "app/preferences/kit/KitLook.h"
#include "app/preferences/kit/Row.h"
#include "app/preferences/kit/SectionBox.h"
#include "app/preferences/kit/VellCheckbox.h"
#include "app/preferences/kit/VellNumericField.h"

#include <QFontMetricsF>

#include <cmath>

namespace quillmark::testing {
namespace {

class KitLayoutTest : public ::testing::TestWithParam<bool> {
protected:
    bool dark() const { return GetParam(); }
    HUDAppearance appearance() const { return dark() ? HUDAppearance::dark : HUDAppearance::light; }
    QColor colour(const HUDTokens::Token& which) const { return token(which, dark()); }

    QApplication& application = widgetTestApplication();
};

// A plain widget of a fixed size, standing in for content.
QWidget* block(int width, int height) {
    auto* widget = new QWidget;
    widget->setFixedSize(width, height);
    return widget;
}

TEST_P(KitLayoutTest, SectionBoxDrawsHeaderBodyAndInnerBorder) {
    SectionBox box(QStringLiteral("Startup"));
    box.addContent(block(100, 30));
    box.addContent(block(100, 20));
    VellWidget::applyAppearance(box, appearance());
    box.resize(300, box.sizeHint().height());
    box.show();
    QApplication::processEvents();

    EXPECT_EQ(box.shownTitle(), "STARTUP");
    // 26 for the header, the content (30 + 10 + 20) and 12 above and below it.
    EXPECT_EQ(box.sizeHint().height(), 26 + 60 + 24);
    const QImage image = render(box, Qt::magenta);
    const int bottom = image.height() - 1;
    // The border lies inside the bounds, on every edge, over header and body.
    for (QPoint at : {QPoint(0, 0), QPoint(150, 0), QPoint(0, 13), QPoint(299, 13), QPoint(0, 60), QPoint(299, 60),
                      QPoint(150, bottom), QPoint(299, bottom)}) {
        EXPECT_EQ(pixel(image, at.x(), at.y()), colour(HUDTokens::border)) << at.x() << "," << at.y();
    }
    EXPECT_EQ(pixel(image, 1, 1), colour(HUDTokens::bgHeader));
    EXPECT_EQ(pixel(image, 250, 24), colour(HUDTokens::bgHeader));
    EXPECT_EQ(pixel(image, 250, 25), colour(HUDTokens::borderSubtle));  // the rule along the header's bottom
    EXPECT_EQ(pixel(image, 250, 26), colour(HUDTokens::bgRaised));
    EXPECT_EQ(pixel(image, 1, bottom - 1), colour(HUDTokens::bgRaised));
    // The 6 × 6 accent square, 12 from the left, centred in the header.
    EXPECT_EQ(pixel(image, 12, 10), colour(HUDTokens::accent));
    EXPECT_EQ(pixel(image, 17, 15), colour(HUDTokens::accent));
    EXPECT_EQ(pixel(image, 11, 10), colour(HUDTokens::bgHeader));
    EXPECT_EQ(pixel(image, 18, 15), colour(HUDTokens::bgHeader));
    EXPECT_EQ(pixel(image, 12, 9), colour(HUDTokens::bgHeader));
    // The title, in the accent, 8 after the square.
    const QColor title = ink(image, QRect(26, 2, 120, 22), colour(HUDTokens::bgHeader));
    EXPECT_LE(colourDistance(title, colour(HUDTokens::accent)), 40);
    EXPECT_FALSE(hasInk(image, QRect(19, 2, 6, 22), colour(HUDTokens::bgHeader)));
    // The content, inset 14 and 12.
    const QList<QWidget*> children = box.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), 2);
    EXPECT_EQ(children[0]->geometry(), QRect(14, 38, 100, 30));
    EXPECT_EQ(children[1]->geometry(), QRect(14, 78, 100, 20));
}

TEST_P(KitLayoutTest, SectionHeaderIsTwentySixHighWhateverTheTitle) {
    for (const QString& title : {QString(), QStringLiteral("Hotkeys"), QStringLiteral("A much longer title indeed")}) {
        SectionBox box(title);
        box.addContent(block(40, 24));
        box.resize(200, box.sizeHint().height());
        VellWidget::applyAppearance(box, appearance());
        const QImage image = render(box, Qt::magenta);
        EXPECT_EQ(pixel(image, 150, 25), colour(HUDTokens::borderSubtle)) << title.toStdString();
        EXPECT_EQ(pixel(image, 150, 24), colour(HUDTokens::bgHeader)) << title.toStdString();
        EXPECT_EQ(box.sizeHint().height(), 26 + 24 + 24);
    }
}

TEST_P(KitLayoutTest, RowLinesTheLabelUpWithTheCheckboxAtTheTrailingEdge) {
    auto* checkbox = new VellCheckbox(false);
    Row row(QStringLiteral("Open Quillmark at login"), std::nullopt, checkbox);
    VellWidget::applyAppearance(row, appearance());
    row.resize(360, row.sizeHint().height());
    row.show();
    QApplication::processEvents();

    EXPECT_EQ(row.height(), 24);
    EXPECT_EQ(checkbox->geometry(), QRect(336, 0, 24, 24));
    // The checkbox reports its baseline 16 below its top; the label's baseline is the same line.
    const QFontMetricsF label(KitLook::bodyFont(13));
    EXPECT_DOUBLE_EQ(*row.firstBaseline(), 16);
    EXPECT_NEAR(row.labelRect().top() + label.ascent(), 16, 1e-9);
    EXPECT_FALSE(row.hintRect());

    const QImage image = render(row, colour(HUDTokens::bgRaised));
    const QRect labelArea = row.labelRect().toAlignedRect();
    EXPECT_LE(colourDistance(ink(image, labelArea, colour(HUDTokens::bgRaised)), colour(HUDTokens::fg)), 40);
    // Nothing is drawn between the label and the box.
    EXPECT_FALSE(hasInk(image, QRect(labelArea.right() + 2, 0, 336 + 4 - labelArea.right() - 2, 24),
                        colour(HUDTokens::bgRaised)));
}

TEST_P(KitLayoutTest, RowHintStandsOnePointBelowTheLabelInTheMutedMonospacedFace) {
    auto* field = new VellNumericField(QStringLiteral("1"), 64);
    Row row(QStringLiteral("Mute"), QStringLiteral("Console default: \u2318F10"), field);
    VellWidget::applyAppearance(row, appearance());
    row.resize(360, row.sizeHint().height());
    row.show();
    QApplication::processEvents();

    ASSERT_TRUE(row.hintRect());
    EXPECT_DOUBLE_EQ(row.hintRect()->top(), row.labelRect().bottom() + 1);
    EXPECT_GT(row.height(), 24);  // label and hint are taller than the row's minimum
    // Baselines level: the field's text baseline and the label's.
    const QFontMetricsF label(KitLook::bodyFont(13));
    EXPECT_NEAR(field->y() + *field->firstBaseline(), row.labelRect().top() + label.ascent(), 0.5);

    const QImage image = render(row, colour(HUDTokens::bgRaised));
    const QRect hintArea = row.hintRect()->toAlignedRect().intersected(image.rect());
    EXPECT_LE(colourDistance(ink(image, hintArea, colour(HUDTokens::bgRaised)), colour(HUDTokens::fgMuted)), 40);
}

TEST_P(KitLayoutTest, RowCentresLowContentInItsTwentyFourPoints) {
    // A widget without a baseline stands on its bottom edge: a 10-high one sits on the label's baseline.
    auto* low = block(30, 10);
    Row row(QStringLiteral("Label"), std::nullopt, low);
    row.resize(200, row.sizeHint().height());
    row.show();
    QApplication::processEvents();
    const QFontMetricsF label(KitLook::bodyFont(13));
    EXPECT_EQ(row.height(), std::max(24, static_cast<int>(std::ceil(label.height()))));
    EXPECT_NEAR(low->geometry().bottom() + 1, row.labelRect().top() + label.ascent(), 0.5);
    // A tall one makes the row taller.
    row.setTrailing(block(30, 60));
    QApplication::processEvents();
    EXPECT_GE(row.sizeHint().height(), 60);
}

TEST_P(KitLayoutTest, CaptionIsMutedUnlessTheCallerSetsAColourAndWraps) {
    Caption caption(QStringLiteral("Name each preset, then press Set to capture the monitor\u2019s current level. "
                                   "Recall it any time from the menu bar or a hotkey."));
    VellWidget::applyAppearance(caption, appearance());
    EXPECT_EQ(caption.textColour(), colour(HUDTokens::fgMuted));
    caption.resize(180, caption.heightForWidth(180));
    const QImage muted = render(caption, colour(HUDTokens::bgRaised));
    EXPECT_LE(colourDistance(ink(muted, muted.rect(), colour(HUDTokens::bgRaised)), colour(HUDTokens::fgMuted)), 40);

    caption.setForeground(HUDTokens::red);
    EXPECT_EQ(caption.textColour(), colour(HUDTokens::red));
    const QImage red = render(caption, colour(HUDTokens::bgRaised));
    EXPECT_LE(colourDistance(ink(red, red.rect(), colour(HUDTokens::bgRaised)), colour(HUDTokens::red)), 40);
    caption.setForeground(std::nullopt);
    EXPECT_EQ(caption.textColour(), colour(HUDTokens::fgMuted));

    // As many lines as the width needs, 2 points apart.
    const int lines = caption.lineCount(180);
    EXPECT_GT(lines, 2);
    EXPECT_EQ(caption.lineCount(10000), 1);
    const double lineHeight = QFontMetricsF(KitLook::bodyFont(11)).height();
    EXPECT_EQ(caption.heightForWidth(180), static_cast<int>(std::ceil(lines * lineHeight + (lines - 1) * 2)));
}

INSTANTIATE_TEST_SUITE_P(Appearances, KitLayoutTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dark" : "light"; });

}  // namespace
}  // namespace quillmark::testing
