#include "app/meters/MeterView.h"

#include "MeterViewTestSupport.h"
#include "TestApplication.h"
#include "app/look/HUDTokens.h"
#include "core/ChannelLayout.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace quillmark {
namespace {

using testing::expectRepaintsToMatchFullPaints;
using testing::RecordingMeterView;

QApplication& application() { return testing::testApplication<QApplication>(); }

QColor token(const auto& t, bool dark = false) { return HUDTokens::resolve(t, dark); }

// The view drawn in full into an image of its size.
QImage render(const MeterView& view) {
    QImage image(view.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    view.paint(painter, QRegion(image.rect()));
    return image;
}

QColor pixel(const QImage& image, double x, double y) {
    return image.pixelColor(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

// Gradient colours are interpolated at pixel centres: equal to within a step or two.
::testing::AssertionResult near(const QColor& actual, const QColor& expected) {
    const int d = std::max({std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
                            std::abs(actual.blue() - expected.blue())});
    if (d <= 3) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name().toStdString() << " vs " << expected.name().toStdString();
}

std::vector<MeterChannel> channelsOf(const std::vector<MeterChannelDefinition>& layout) {
    std::vector<MeterChannel> channels;
    for (const auto& definition : layout) channels.push_back({definition.label, definition.meterIndex});
    return channels;
}

MeterChannel channel(double level, double peak = MeterFloor::dB, bool clip = false) {
    return {"L", 0, level, peak, clip};
}

// A height whose inner strip area is 264 points: a multiple of 11 and 33, so the scale's
// positions fall on whole pixels. Inner area: rows 45 to 308.
constexpr int kWidth = 200;
constexpr int kHeight = 336;
constexpr double kInnerTop = 45;
constexpr double kInnerBottom = 309;
constexpr double kInnerHeight = 264;

class MeterViewTest : public ::testing::Test {
protected:
    void SetUp() override { view.resize(kWidth, kHeight); }

    // One strip in the middle of the view.
    QImage renderOne(const MeterChannel& c) {
        view.setChannels({c});
        return render(view);
    }
    double centreX() const { return MeterView::stripRect(view.size(), 1, 0).center().x(); }
    void press(double y, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(100, y), QPointF(100, y), button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    }

    QApplication& app = application();  // before any widget
    MeterView view;
};

TEST(MeterViewScale, MapsAnchorsToEqualSteps) {
    struct Case {
        double db;
        double position;
    };
    for (const Case& c : {Case{0, 1}, Case{3, 1}, Case{-3, 10.0 / 11}, Case{-8, 25.0 / 33}, Case{-21, 4.0 / 11},
                          Case{-24, 3.5 / 11}, Case{-46, 1.0 / 11}, Case{-53, 0.5 / 11}, Case{-60, 0}, Case{-90, 0},
                          Case{NAN, 0}, Case{-INFINITY, 0}, Case{INFINITY, 1}}) {
        EXPECT_NEAR(MeterView::normalizedPosition(c.db), c.position, 1e-12) << c.db;
    }
}

TEST(MeterViewScale, StripsNarrowToSixPointsAndRunOn) {
    EXPECT_DOUBLE_EQ(MeterView::stripWidth(200, 16), 6);
    EXPECT_DOUBLE_EQ(MeterView::stripWidth(220, 1), 156);
    EXPECT_DOUBLE_EQ(MeterView::stripWidth(220, 2), 76);
    const QRectF last = MeterView::stripRect(QSizeF(220, 320), 24, 23);
    EXPECT_DOUBLE_EQ(last.left(), 32 + 23 * 10);  // past the right scale; nothing clips it
    EXPECT_DOUBLE_EQ(last.top(), 44);
    EXPECT_DOUBLE_EQ(last.height(), 320 - 70);
}

TEST(MeterViewScale, NumbersAreInTheFixedPitchFace) {
    application();
    const QFontInfo face(MeterView::scaleFont());
    EXPECT_TRUE(face.fixedPitch()) << face.family().toStdString();
    EXPECT_EQ(face.pixelSize(), 9);
    EXPECT_EQ(face.weight(), QFont::Normal);
}

TEST_F(MeterViewTest, WithoutChannelsDrawsOnlyTheHeader) {
    const QImage image = render(view);
    EXPECT_EQ(pixel(image, 2, 2), token(HUDTokens::bgHeader));
    EXPECT_EQ(pixel(image, 2, 37), token(HUDTokens::borderSubtle));
    for (double y = 40; y < kHeight; y += 3) {
        EXPECT_EQ(pixel(image, 30, y), token(HUDTokens::bg)) << y;  // no scale ticks
        EXPECT_EQ(pixel(image, 100, y), token(HUDTokens::bg)) << y;
    }
}

TEST_F(MeterViewTest, AViewLowerThanSeventyPointsHasNoStrips) {
    view.resize(kWidth, 69);
    view.setChannels({channel(-6, -3, true)});
    const QImage image = render(view);
    EXPECT_EQ(pixel(image, 2, 2), token(HUDTokens::bgHeader));
    for (int x = 0; x < kWidth; ++x) EXPECT_EQ(pixel(image, x, 50), token(HUDTokens::bg)) << x;
}

TEST_F(MeterViewTest, FillsTheLevelWithTheGradientFixedToTheScale) {
    // -8 dB fills 25/33 of the inner height: 200 of 264 points.
    QImage image = renderOne(channel(-8));
    const double fillTop = kInnerBottom - 200;
    EXPECT_EQ(pixel(image, centreX(), fillTop - 2), token(HUDTokens::bgRaised));
    EXPECT_TRUE(near(pixel(image, centreX(), fillTop + 0.5), token(HUDTokens::green)));
    EXPECT_TRUE(near(pixel(image, centreX(), kInnerBottom - 0.5), token(HUDTokens::cobalt)));

    // Above 0 dB the whole strip is filled, amber at the top.
    image = renderOne(channel(3));
    EXPECT_TRUE(near(pixel(image, centreX(), kInnerTop + 0.5), token(HUDTokens::amber)));

    // At the floor nothing is filled.
    for (double level : {-60.0, -77.0}) {
        image = renderOne(channel(level));
        EXPECT_EQ(pixel(image, centreX(), kInnerBottom - 0.5), token(HUDTokens::bgRaised)) << level;
    }
}

TEST_F(MeterViewTest, JustAboveTheFloorDrawsACobaltSliver) {
    view.setDarkAppearance(true);
    const QImage image = renderOne(channel(-59.9));
    const QColor bottom = pixel(image, centreX(), kInnerBottom - 0.5);
    const QColor raised = token(HUDTokens::bgRaised, true);
    EXPECT_GT(bottom.blue(), raised.blue() + 10);  // blended towards cobalt's full blue
    EXPECT_EQ(pixel(image, centreX(), kInnerBottom - 1.5), raised);
}

TEST_F(MeterViewTest, DrawsThePeakMarkerAndClipBand) {
    struct Case {
        double peak;
        double expectedCentre;
        QColor colour;
    };
    for (const Case& c :
         {Case{-3, kInnerBottom - kInnerHeight * 10 / 11, token(HUDTokens::fg)},
          Case{0.5, kInnerTop + 0.5, token(HUDTokens::red)}, Case{0, kInnerTop + 0.5, token(HUDTokens::red)}}) {
        const QImage image = renderOne(channel(-70, c.peak));
        int found = -1;
        for (int y = static_cast<int>(kInnerTop); y < kInnerBottom; ++y) {
            if (pixel(image, centreX(), y) == c.colour) {
                found = y;
                break;
            }
        }
        EXPECT_NEAR(found + 0.5, c.expectedCentre, 1.0) << c.peak;
    }

    // A peak at -59.6 dB is not drawn.
    const QImage low = renderOne(channel(-70, -59.6));
    for (int y = static_cast<int>(kInnerTop); y < kInnerBottom; ++y) {
        ASSERT_EQ(pixel(low, centreX(), y), token(HUDTokens::bgRaised)) << y;
    }

    const QImage clipped = renderOne(channel(-70, -70, true));
    for (double y : {kInnerTop + 0.5, kInnerTop + 3.5}) EXPECT_EQ(pixel(clipped, centreX(), y), token(HUDTokens::red));
    EXPECT_EQ(pixel(clipped, centreX(), kInnerTop + 4.5), token(HUDTokens::bgRaised));
    EXPECT_EQ(pixel(clipped, centreX(), kInnerTop - 0.5), token(HUDTokens::border));  // the outline is drawn last
}

TEST_F(MeterViewTest, ShowsTheModeUpperCasedAndAnEmDashWhenEmpty) {
    auto header = [this](const QString& text) {
        view.setSurroundModeText(text);
        return render(view).copy(0, 0, kWidth, 38);
    };
    EXPECT_EQ(header("stereo"), header("STEREO"));
    EXPECT_EQ(header(""), header(QStringLiteral("\u2014")));
    EXPECT_NE(header("STEREO"), header(""));
    QImage blank = header("");
    blank.fill(token(HUDTokens::bgHeader));
    EXPECT_NE(header(""), blank);  // the dash is drawn
}

TEST_F(MeterViewTest, ClicksBelowTheHeaderCallOnClick) {
    int clicks = 0;
    view.onClick = [&] { ++clicks; };
    press(5);
    press(38);
    EXPECT_EQ(clicks, 0);
    press(39);   // scale and strips
    press(330);  // labels
    EXPECT_EQ(clicks, 2);
    view.onClick = nullptr;
    press(200);  // no action set: nothing happens
}

TEST_F(MeterViewTest, OnlyThePrimaryButtonCallsOnClick) {
    int clicks = 0;
    view.onClick = [&] { ++clicks; };
    struct Case {
        Qt::MouseButton button;
        int clicks;
    };
    for (const Case& c : {Case{Qt::RightButton, 0}, Case{Qt::MiddleButton, 0}, Case{Qt::BackButton, 0},
                          Case{Qt::ForwardButton, 0}, Case{Qt::LeftButton, 1}}) {
        clicks = 0;
        press(200, c.button);
        EXPECT_EQ(clicks, c.clicks) << "button " << c.button;
    }
}

// Stereo, 5.1, 7.1.4 and 22.2 drawn with one distinct level per channel: every strip shows its own
// fill height and a label.
struct LayoutCase {
    const char* mode;
    std::size_t count;
    int width;
};

class MeterViewLayouts : public MeterViewTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(MeterViewLayouts, DrawsEveryChannelAtItsLevel) {
    const LayoutCase& c = GetParam();
    view.resize(c.width, kHeight);
    auto channels = channelsOf(ChannelLayout::channels(c.mode, MeterChannelOrder::film));
    ASSERT_EQ(channels.size(), c.count);
    for (std::size_t i = 0; i < channels.size(); ++i) {
        channels[i].level = -1.0 - 50.0 * static_cast<double>(i) / channels.size();
        channels[i].peak = channels[i].level + 1.5;
    }
    channels[0].clip = true;
    view.setChannels(channels);
    view.setSurroundModeText(c.mode);
    const QImage image = render(view);
    // Kept for looking at: <build>/meter-renderings/<mode>_<width>.png
    if (const char* dir = std::getenv("QUILLMARK_BINARY_DIR")) {
        QDir(dir).mkpath("meter-renderings");
        image.save(QStringLiteral("%1/meter-renderings/%2_%3.png").arg(dir, c.mode).arg(c.width));
    }

    const QColor raised = token(HUDTokens::bgRaised);
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const QRectF strip = MeterView::stripRect(view.size(), channels.size(), i);
        if (strip.right() > c.width) break;  // strips past the view's edge are not seen
        const double x = strip.center().x();
        const double fillTop = kInnerBottom - kInnerHeight * MeterView::normalizedPosition(channels[i].level);
        EXPECT_EQ(pixel(image, x, fillTop - 2), raised) << c.mode << " strip " << i;
        EXPECT_NE(pixel(image, x, fillTop + 2), raised) << c.mode << " strip " << i;
        bool labelInk = false;
        for (double y = kHeight - 20; y < kHeight - 8; ++y) {
            for (double dx = -2; dx <= 2; ++dx) labelInk |= pixel(image, x + dx, y) != token(HUDTokens::bg);
        }
        EXPECT_TRUE(labelInk) << c.mode << " label " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, MeterViewLayouts,
                         ::testing::Values(LayoutCase{"STEREO", 2, 220}, LayoutCase{"5.1", 6, 320},
                                           LayoutCase{"7.1.4", 12, 480}, LayoutCase{"22.2", 24, 640},
                                           LayoutCase{"22.2", 24, 220}),
                         [](const auto& info) {
                             std::string name = std::string(info.param.mode) + "_" + std::to_string(info.param.width);
                             for (char& ch : name)
                                 if (ch == '.') ch = '_';
                             return name;
                         });

// A view on screen (offscreen), with what its paints were asked to cover since the last look.
class MeterViewRepaint : public ::testing::Test {
protected:
    void show(QSize size, std::vector<MeterChannel> initial) {
        view.resize(size);
        view.setChannels(initial);
        view.show();
        QCoreApplication::processEvents();
        view.painted.clear();
    }
    // The regions painted for one change of the channels.
    std::vector<QRegion> paintsFor(const std::vector<MeterChannel>& channels) {
        view.painted.clear();
        view.setChannels(channels);
        QCoreApplication::processEvents();
        return view.painted;
    }
    // The inner area of strip `index` of `count`, rows `top` to `bottom` (excluded) only.
    QRect innerRows(std::size_t count, std::size_t index, int top, int bottom) const {
        const QRect inner = MeterView::stripRect(view.size(), count, index).toAlignedRect().adjusted(1, 1, -1, -1);
        return {inner.left(), top, inner.width(), bottom - top};
    }

    QApplication& app = application();
    RecordingMeterView view;
};

TEST_F(MeterViewRepaint, RepaintsOnlyTheRowsThatChanged) {
    auto channels = channelsOf(ChannelLayout::channels("5.1", MeterChannelOrder::music));
    show({480, kHeight}, channels);

    // -10 dB fills 23/33 of the inner height: the 184 rows above the bottom.
    channels[2].level = -10;
    auto painted = paintsFor(channels);
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted.back(), QRegion(innerRows(6, 2, kInnerBottom - 184, kInnerBottom)));

    // Falling by 3 dB uncovers only the rows between the two fill tops: -13 dB fills 20/33 (160 rows).
    channels[2].level = -13;
    painted = paintsFor(channels);
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted.back(), QRegion(innerRows(6, 2, kInnerBottom - 184, kInnerBottom - 160)));

    // A peak that moves repaints from its old row to its new one: the lines of -4.2 dB and -7.2 dB
    // are centred 230.4 and 206.4 rows above the bottom.
    channels[1].peak = -4.2;
    paintsFor(channels);
    channels[1].peak = -7.2;
    painted = paintsFor(channels);
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted.back(), QRegion(innerRows(6, 1, kInnerBottom - 231, kInnerBottom - 206)));

    // Changes in several strips share one band: the rows of all of them, across each changed strip.
    channels[4].clip = true;  // the top 4 rows
    channels[2].level = -12;  // 7/11: 168 rows
    painted = paintsFor(channels);
    ASSERT_EQ(painted.size(), 1u);
    QRegion band = innerRows(6, 2, kInnerTop, kInnerBottom - 160);
    band += innerRows(6, 4, kInnerTop, kInnerBottom - 160);
    EXPECT_EQ(painted.back(), band);

    // Unchanged values, and changes too small to move a pixel, ask for no paint at all.
    EXPECT_TRUE(paintsFor(channels).empty());
    channels[2].level = -12.0001;
    channels[1].peak = -7.2001;
    channels[0].level = -80;  // below the floor, as it was
    EXPECT_TRUE(paintsFor(channels).empty());

    channels[0].label = "X";  // a new label repaints all
    painted = paintsFor(channels);
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.back(), QRegion(view.rect()));
}

struct SequenceCase {
    const char* name;
    QSize size;
    const char* mode;
    bool dark;
};

void PrintTo(const SequenceCase& c, std::ostream* os) { *os << c.name; }

class MeterViewPartialRepaints : public MeterViewRepaint, public ::testing::WithParamInterface<SequenceCase> {};

// After every change of a stream-like sequence, the repaints the view asked for give exactly the
// picture of a full paint: no stale pixel anywhere.
TEST_P(MeterViewPartialRepaints, MatchAFullPaintPixelForPixel) {
    const SequenceCase& c = GetParam();
    view.setDarkAppearance(c.dark);
    view.resize(c.size);
    expectRepaintsToMatchFullPaints(view, channelsOf(ChannelLayout::channels(c.mode, MeterChannelOrder::film)), 400);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeterViewPartialRepaints,
                         ::testing::Values(SequenceCase{"Wide714", {480, kHeight}, "7.1.4", false},
                                           SequenceCase{"Narrow714Dark", {220, 320}, "7.1.4", true},
                                           SequenceCase{"Stereo", {220, 331}, "STEREO", false},
                                           SequenceCase{"TwentyTwoTwoOverflowing", {200, kHeight}, "22.2", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmark
