#include "HUDTestSupport.h"

#include "app/hud/BlurredShadow.h"
#include "app/hud/HUDView.h"
#include "app/look/HUDFonts.h"
#include "app/look/HUDTokens.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegion>

#include <cmath>

namespace quillmark::testing {
namespace {

const QString emDash = QStringLiteral("\u2014");

MonitorSnapshot levelAt(double db) {
    MonitorSnapshot snapshot;
    snapshot.levelDB = db;
    return snapshot;
}

class HUDViewTest : public ::testing::Test {
protected:
    HUDView& show(const MonitorSnapshot& snapshot, double spl = 0, std::optional<QString> label = std::nullopt) {
        view.update(snapshot, MonitorEvent::level, spl, label);
        return view;
    }

    QColor token(const auto& which) const { return view.resolved(which); }

    QApplication& application = hudTestApplication();
    HUDView view;
};

TEST_F(HUDViewTest, EmptySnapshotShowsDashEmptyBarAndFourInactiveChips) {
    show(MonitorSnapshot{});
    EXPECT_EQ(view.titleText(), "MONITOR");
    const auto readout = view.readout();
    EXPECT_EQ(readout.main, emDash);
    EXPECT_EQ(readout.mainColour, token(HUDTokens::fg));
    EXPECT_FALSE(readout.secondary);
    EXPECT_FALSE(view.barFraction());
    const auto chips = view.chips();
    ASSERT_EQ(chips.size(), 4u);
    const QStringList texts{"STEREO", "DIM", "MUTE", "ALT"};
    for (std::size_t i = 0; i < chips.size(); ++i) {
        EXPECT_EQ(chips[i].text, texts[static_cast<qsizetype>(i)]);
        EXPECT_FALSE(chips[i].active) << chips[i].text.toStdString();
    }
}

struct ReadoutCase {
    const char* name;
    MonitorSnapshot snapshot;
    double spl;
    QString main;
    std::optional<QString> secondary;
};

TEST_F(HUDViewTest, ReadoutTexts) {
    auto tapered = [](std::optional<double> db, double taper) {
        MonitorSnapshot snapshot;
        snapshot.levelDB = db;
        snapshot.levelTapered = taper;
        return snapshot;
    };
    auto muted = [](std::optional<double> db) {
        MonitorSnapshot snapshot;
        snapshot.levelDB = db;
        snapshot.mute = true;
        return snapshot;
    };
    const std::vector<ReadoutCase> cases{
        {"negative level", levelAt(-6), 0, "\u22126.0 dB", std::nullopt},
        {"zero has no sign", levelAt(0), 0, "0.0 dB", std::nullopt},
        {"floor is minus infinity", levelAt(-96), 0, "\u2212\u221E dB", std::nullopt},
        {"below floor", levelAt(-120), 0, "\u2212\u221E dB", std::nullopt},
        {"taper alone", tapered(std::nullopt, 0.5), 0, "\u221230.0 dB", std::nullopt},
        {"taper above one", tapered(std::nullopt, 1.5), 0, "0.0 dB", std::nullopt},
        {"taper below zero", tapered(std::nullopt, -0.2), 0, "\u221260.0 dB", std::nullopt},
        {"number comes from dB over taper", tapered(-20, 0.9), 0, "\u221220.0 dB", std::nullopt},
        {"mute wins over the level", muted(-10), 0, "MUTE", std::nullopt},
        {"SPL", levelAt(-20), 85, "65 SPL", "\u221220.0"},
        {"SPL at zero", levelAt(0), 85, "85 SPL", "0.0"},
        {"SPL above zero", levelAt(3), 85, "88 SPL", "+3.0"},
        {"SPL at floor", levelAt(-96), 85, "\u2212\u221E SPL", "\u2212\u221E"},
        {"SPL muted without level", muted(std::nullopt), 85, "MUTE", emDash},
        {"SPL muted with level", muted(-12.34), 85, "MUTE", "\u221212.3"},
        {"SPL without level or mute falls back to dB", MonitorSnapshot{}, 85, emDash, std::nullopt},
        {"negative SPL reference means dB", levelAt(-20), -5, "\u221220.0 dB", std::nullopt},
    };
    for (const auto& c : cases) {
        show(c.snapshot, c.spl);
        const auto readout = view.readout();
        EXPECT_EQ(readout.main, c.main) << c.name;
        EXPECT_EQ(readout.secondary, c.secondary) << c.name;
    }
}

TEST_F(HUDViewTest, ReadoutColourFollowsMuteThenDim) {
    MonitorSnapshot snapshot = levelAt(-10);
    show(snapshot);
    EXPECT_EQ(view.readout().mainColour, token(HUDTokens::fg));
    snapshot.dim = true;
    show(snapshot);
    EXPECT_EQ(view.readout().mainColour, token(HUDTokens::amber));
    EXPECT_EQ(view.barColour(), token(HUDTokens::amber));
    snapshot.mute = true;
    show(snapshot, 85);
    EXPECT_EQ(view.readout().mainColour, token(HUDTokens::red));
    EXPECT_EQ(view.barColour(), token(HUDTokens::red));
    EXPECT_FALSE(view.hasGlowTip());
}

TEST_F(HUDViewTest, BarFraction) {
    struct Case {
        const char* name;
        std::optional<double> db;
        std::optional<double> taper;
        std::optional<double> fraction;
    };
    const std::vector<Case> cases{
        {"nothing reported", std::nullopt, std::nullopt, std::nullopt},
        {"from dB", -30, std::nullopt, 0.5},
        {"taper wins over dB", -1, 0.25, 0.25},
        {"floor without taper stays empty", -96, std::nullopt, std::nullopt},
        {"zero taper", std::nullopt, 0.0, std::nullopt},
        {"negative taper", std::nullopt, -0.1, std::nullopt},
        {"taper above one", std::nullopt, 2.0, 1.0},
        {"full scale", 0, std::nullopt, 1.0},
        {"not a number", std::nullopt, std::nan(""), std::nullopt},
    };
    for (const auto& c : cases) {
        MonitorSnapshot snapshot;
        snapshot.levelDB = c.db;
        snapshot.levelTapered = c.taper;
        show(snapshot);
        EXPECT_EQ(view.barFraction(), c.fraction) << c.name;
    }
}

TEST_F(HUDViewTest, ChipTextsAndStates) {
    struct Case {
        const char* name;
        MonitorSnapshot snapshot;
        QStringList texts;
        std::vector<bool> active;
    };
    auto with = [](auto&& set) {
        MonitorSnapshot snapshot;
        set(snapshot);
        return snapshot;
    };
    const std::vector<Case> cases{
        {"mono",
         with([](auto& s) {
             s.mono = true;
             s.surroundMode = "5.1";
         }),
         {"MONO", "DIM", "MUTE", "ALT"},
         {true, false, false, false}},
        {"surround folded down",
         with([](auto& s) {
             s.surroundMode = "LCRS";
             s.surroundStereoFoldDown = true;
         }),
         {"STEREO", "DIM", "MUTE", "ALT"},
         {true, false, false, false}},
        {"surround not folded",
         with([](auto& s) {
             s.surroundMode = "LCRS";
             s.surroundStereoFoldDown = false;
         }),
         {"LCRS", "DIM", "MUTE", "ALT"},
         {false, false, false, false}},
        {"stereo folded is not active",
         with([](auto& s) {
             s.surroundMode = "STEREO";
             s.surroundStereoFoldDown = true;
         }),
         {"STEREO", "DIM", "MUTE", "ALT"},
         {false, false, false, false}},
        {"dim, mute, alt 2",
         with([](auto& s) {
             s.dim = true;
             s.mute = true;
             s.altMonSelection = 2;
         }),
         {"STEREO", "DIM", "MUTE", "ALT 2"},
         {false, true, true, true}},
        {"alt 0 inactive",
         with([](auto& s) { s.altMonSelection = 0; }),
         {"STEREO", "DIM", "MUTE", "ALT"},
         {false, false, false, false}},
        {"talkback adds a fifth chip",
         with([](auto& s) { s.talkback = true; }),
         {"STEREO", "DIM", "MUTE", "ALT", "TALK"},
         {false, false, false, false, true}},
        {"talkback off has no chip",
         with([](auto& s) { s.talkback = false; }),
         {"STEREO", "DIM", "MUTE", "ALT"},
         {false, false, false, false}},
    };
    for (const auto& c : cases) {
        show(c.snapshot);
        QStringList texts;
        std::vector<bool> active;
        for (const auto& chip : view.chips()) {
            texts << chip.text;
            active.push_back(chip.active);
        }
        EXPECT_EQ(texts, c.texts) << c.name;
        EXPECT_EQ(active, c.active) << c.name;
    }
    show(with([](auto& s) {
        s.dim = true;
        s.mute = true;
        s.mono = true;
    }));
    const auto chips = view.chips();
    EXPECT_EQ(chips[0].colour, token(HUDTokens::accent));
    EXPECT_EQ(chips[1].colour, token(HUDTokens::amber));
    EXPECT_EQ(chips[2].colour, token(HUDTokens::red));
}

TEST_F(HUDViewTest, TitleIsTheUpperCasedLabelCutToTwentyCharacters) {
    show(levelAt(-20), 0, QStringLiteral("Near-field check level"));
    EXPECT_EQ(view.titleText(), "NEAR-FIELD CHECK LEV");
    show(levelAt(-20), 0, QString());
    EXPECT_EQ(view.titleText(), "MONITOR");
    // Characters outside the basic plane count once and are never split.
    show(levelAt(-20), 0, QString(19, 'a') + QStringLiteral("\U0001F3A7\U0001F3A7"));
    EXPECT_EQ(view.titleText(), QString(19, 'A') + QStringLiteral("\U0001F3A7"));
}

TEST_F(HUDViewTest, MessageScreenComesAndGoes) {
    show(levelAt(-20), 0, QStringLiteral("Mix"));
    view.setMessage(QString());
    EXPECT_FALSE(view.showsMessage()) << "an empty message draws the normal display";
    view.setMessage(QStringLiteral("No Interface Detected"));
    EXPECT_TRUE(view.showsMessage());
    EXPECT_EQ(view.messageText(), "NO INTERFACE DETECTED");
    show(levelAt(-20));
    EXPECT_FALSE(view.showsMessage()) << "an update ends the message";
    EXPECT_FALSE(view.message());
}

TEST_F(HUDViewTest, LongMessagesShrinkInHalfStepsDownToEight) {
    for (HUDSize size : {HUDSize::small, HUDSize::large}) {
        const double s = HUDView::scaleFor(size);
        view.setSize(size);
        view.resize(static_cast<int>(std::lround(240 * s)), static_cast<int>(std::lround(88 * s)));
        view.setMessage(QStringLiteral("No"));
        EXPECT_DOUBLE_EQ(view.messageFontSize(), 15 * s);
        view.setMessage(QStringLiteral("No Interface Detected Here"));
        const double shrunk = view.messageFontSize();
        EXPECT_LT(shrunk, 15 * s);
        EXPECT_GT(shrunk, 8 * s);
        const double steps = (15 * s - shrunk) / (0.5 * s);
        EXPECT_NEAR(steps, std::round(steps), 1e-9);
        view.setMessage(QString(200, 'W'));
        EXPECT_DOUBLE_EQ(view.messageFontSize(), 8 * s) << "drawn at the floor even when too wide";
    }
}

// MARK: rendering

class HUDRenderingTest : public HUDViewTest {
protected:
    QImage render(HUDSize size, const MonitorSnapshot& snapshot, HUDAppearance appearance = HUDAppearance::dark) {
        const double s = HUDView::scaleFor(size);
        view.setSize(size);
        view.resize(static_cast<int>(std::lround(240 * s)), static_cast<int>(std::lround(88 * s)));
        view.setAppearance(appearance);
        show(snapshot);
        return renderHUD(view);
    }
    QColor at(const QImage& image, double x, double y) const {
        return image.pixelColor(static_cast<int>(x), static_cast<int>(y));
    }
};

TEST_F(HUDRenderingTest, BackgroundAndOutlineFollowTheAppearance) {
    for (HUDAppearance appearance : {HUDAppearance::light, HUDAppearance::dark}) {
        const QImage image = render(HUDSize::small, levelAt(-20), appearance);
        EXPECT_EQ(image.size(), QSize(240, 88));
        EXPECT_EQ(at(image, 3, 80), token(HUDTokens::bg));
        EXPECT_EQ(at(image, 0, 40), token(HUDTokens::border));
        EXPECT_EQ(at(image, 239, 40), token(HUDTokens::border));
        EXPECT_EQ(at(image, 120, 87), token(HUDTokens::border));
    }
    const QImage light = render(HUDSize::small, levelAt(-20), HUDAppearance::light);
    const QImage dark = render(HUDSize::small, levelAt(-20), HUDAppearance::dark);
    EXPECT_EQ(at(light, 3, 80), QColor(244, 243, 236));
    EXPECT_EQ(at(dark, 3, 80), QColor(7, 9, 10));
}

TEST_F(HUDRenderingTest, BarFillsItsFractionAtEverySize) {
    for (HUDSize size : {HUDSize::small, HUDSize::medium, HUDSize::large}) {
        const double s = HUDView::scaleFor(size);
        const QImage image = render(size, levelAt(-30));
        const double left = 12 * s, width = view.width() - 24 * s, middle = 37 * s;
        EXPECT_EQ(at(image, left + width * 0.25, middle), token(HUDTokens::green)) << static_cast<int>(size);
        EXPECT_EQ(at(image, left + width * 0.85, middle), token(HUDTokens::bgRaised)) << static_cast<int>(size);
        EXPECT_EQ(at(image, left + 3, 32 * s - 2), token(HUDTokens::bg)) << "nothing just above the bar";
    }
}

TEST_F(HUDRenderingTest, GlowTipTintsPastTheBarEndUnlessMuted) {
    const double width = 240 - 24;
    const double barEnd = 12 + 1 + (width - 2) * 0.5;
    MonitorSnapshot snapshot = levelAt(-30);
    const QImage glowing = render(HUDSize::small, snapshot);
    EXPECT_NE(at(glowing, barEnd + 2, 37), token(HUDTokens::bgRaised));
    snapshot.mute = true;
    const QImage muted = render(HUDSize::small, snapshot);
    EXPECT_EQ(at(muted, barEnd + 2, 37), token(HUDTokens::bgRaised));
    EXPECT_EQ(at(muted, 12 + width * 0.25, 37), token(HUDTokens::red));
}

TEST_F(HUDRenderingTest, ActiveChipIsTintedAndInactiveChipIsRaised) {
    for (HUDSize size : {HUDSize::small, HUDSize::large}) {
        const double s = HUDView::scaleFor(size);
        MonitorSnapshot snapshot;
        const QImage inactive = render(size, snapshot);
        EXPECT_EQ(at(inactive, 12 * s + 2, 52 * s + 2), token(HUDTokens::bgRaised));
        if (size == HUDSize::small) {
            EXPECT_EQ(at(inactive, 12, 58), token(HUDTokens::border));
        }
        snapshot.mono = true;
        const QImage active = render(size, snapshot);
        EXPECT_LE(colourDistance(at(active, 12 * s + 2, 52 * s + 2),
                                 blended(token(HUDTokens::bg), token(HUDTokens::accent), 0.12)),
                  1);
        if (size == HUDSize::small) {
            EXPECT_EQ(at(active, 12, 58), token(HUDTokens::accent));
        }
    }
}

MonitorSnapshot everyChipLit(bool mono) {
    MonitorSnapshot snapshot = levelAt(-18);
    snapshot.mono = mono;
    snapshot.surroundMode = "7.1.4";
    snapshot.surroundStereoFoldDown = true;
    snapshot.dim = true;
    snapshot.mute = true;
    snapshot.altMonSelection = 2;
    snapshot.talkback = true;
    return snapshot;
}

struct ChipRowCase {
    const char* name;
    MonitorSnapshot snapshot;
    bool wholeTexts;  // every chip keeps its whole text
};

std::vector<ChipRowCase> chipRowCases() {
    MonitorSnapshot unheardOf = everyChipLit(false);
    unheardOf.surroundStereoFoldDown = false;
    unheardOf.surroundMode = "IMMERSIVE 22.2 WITH HEIGHTS";
    unheardOf.altMonSelection = 123456;
    return {
        {"nothing lit", MonitorSnapshot{}, true},
        {"every chip lit, folded down", everyChipLit(false), true},
        {"every chip lit, mono", everyChipLit(true), true},
        {"a mode text no panel can hold", unheardOf, false},
    };
}

// The bundled faces, as the program draws with them; where the display face is missing its stand-in
// is wider than the face the row was drawn for.
class HUDChipRowTest : public HUDRenderingTest {
protected:
    HUDChipRowTest() { HUDFonts::ensureRegistered(); }
};

TEST_F(HUDChipRowTest, RowNeverRunsPastItsRightEdge) {
    for (HUDSize size : {HUDSize::small, HUDSize::medium, HUDSize::large}) {
        for (HUDAppearance appearance : {HUDAppearance::light, HUDAppearance::dark}) {
            for (const auto& c : chipRowCases()) {
                const std::string where = std::string(c.name) + ", size " + std::to_string(static_cast<int>(size)) +
                                          (appearance == HUDAppearance::light ? ", light" : ", dark");
                const QImage image = render(size, c.snapshot, appearance);
                const HUDView::ChipRow row = view.chipRow();
                // Between the row's right edge and the panel's outline nothing but background.
                int stray = 0;
                for (int x = static_cast<int>(std::ceil(row.row.right())); x < image.width() - 1; ++x)
                    for (int y = static_cast<int>(row.row.top()); y < static_cast<int>(std::ceil(row.row.bottom()));
                         ++y)
                        if (image.pixelColor(x, y) != token(HUDTokens::bg)) ++stray;
                EXPECT_EQ(stray, 0) << where;

                ASSERT_EQ(row.chips.size(), view.chips().size()) << where;
                double previousRight = row.row.left() - row.spacing;
                for (const auto& placed : row.chips) {
                    EXPECT_GE(placed.box.left() - previousRight, row.spacing - 1e-9) << where;
                    EXPECT_LE(placed.box.right(), row.row.right() + 1e-9) << where;
                    EXPECT_GE(placed.box.top(), row.row.top()) << where;
                    EXPECT_LE(placed.box.bottom(), row.row.bottom() + 1e-9) << where;
                    if (c.wholeTexts) EXPECT_EQ(placed.text, placed.chip.text) << where;
                    else EXPECT_FALSE(placed.text.isEmpty()) << where;
                    previousRight = placed.box.right();
                }
                EXPECT_GE(row.chipScale, HUDView::chipScaleFloor) << where;
            }
        }
    }
}

TEST_F(HUDChipRowTest, RowClosesUpBeforeItsChipsShrink) {
    for (HUDSize size : {HUDSize::small, HUDSize::medium, HUDSize::large}) {
        const double s = HUDView::scaleFor(size);
        for (const auto& c : chipRowCases()) {
            const std::string where = std::string(c.name) + ", size " + std::to_string(static_cast<int>(size));
            render(size, c.snapshot);
            const HUDView::ChipRow row = view.chipRow();
            EXPECT_LE(row.spacing, 8 * s + 1e-9) << where;
            if (row.chipScale < 1) {
                EXPECT_NEAR(row.spacing, HUDView::minimumChipSpacing * s, 1e-9) << where;
            } else if (row.spacing < 8 * s - 1e-9) {
                EXPECT_NEAR(row.chips.back().box.right(), row.row.right(), 1e-6) << where << ": closed up too far";
            }
        }
        // A row that fits keeps its full-size chips 8 × s apart on the row's top edge.
        const HUDView::ChipRow natural = (render(size, MonitorSnapshot{}), view.chipRow());
        EXPECT_DOUBLE_EQ(natural.chipScale, 1);
        EXPECT_NEAR(natural.spacing, 8 * s, 1e-9);
        EXPECT_NEAR(natural.chips.front().box.top(), 52 * s, 1e-9);
        EXPECT_NEAR(natural.chips.front().box.height(), 14 * s, 1e-9);
    }
}

// A view of its own, drawn once in the given state: what a view that kept nothing from earlier paints
// would draw.
QImage renderedByANewView(HUDSize size, HUDAppearance appearance, const MonitorSnapshot& snapshot) {
    HUDView fresh;
    const double s = HUDView::scaleFor(size);
    fresh.setSize(size);
    fresh.resize(static_cast<int>(std::lround(240 * s)), static_cast<int>(std::lround(88 * s)));
    fresh.setAppearance(appearance);
    fresh.update(snapshot, MonitorEvent::level, 0, std::nullopt);
    return renderHUD(fresh);
}

TEST_F(HUDRenderingTest, GlowTipFollowsEveryChangeOfSizeAndAppearance) {
    const std::vector<std::pair<HUDSize, HUDAppearance>> steps{
        {HUDSize::small, HUDAppearance::dark},  {HUDSize::small, HUDAppearance::light},
        {HUDSize::large, HUDAppearance::light}, {HUDSize::large, HUDAppearance::dark},
        {HUDSize::medium, HUDAppearance::dark}, {HUDSize::small, HUDAppearance::dark},
    };
    double level = -30;
    for (const auto& [size, appearance] : steps) {
        level += 3.3;
        const QImage image = render(size, levelAt(level), appearance);
        EXPECT_EQ(image, renderedByANewView(size, appearance, levelAt(level)))
            << "size " << static_cast<int>(size) << (appearance == HUDAppearance::light ? ", light" : ", dark");
    }
}

TEST_F(HUDChipRowTest, RowFittedEarlierNeverStandsInForAnother) {
    const std::vector<ChipRowCase> cases = chipRowCases();
    MonitorSnapshot litLouder = cases[1].snapshot;
    litLouder.levelDB = -6;
    litLouder.mute = false;
    const std::vector<std::tuple<HUDSize, HUDAppearance, MonitorSnapshot>> steps{
        {HUDSize::small, HUDAppearance::dark, cases[0].snapshot},
        {HUDSize::small, HUDAppearance::dark, cases[1].snapshot},
        {HUDSize::small, HUDAppearance::dark, litLouder},
        {HUDSize::small, HUDAppearance::light, cases[2].snapshot},
        {HUDSize::large, HUDAppearance::light, cases[2].snapshot},
        {HUDSize::large, HUDAppearance::light, cases[3].snapshot},
        {HUDSize::medium, HUDAppearance::dark, cases[1].snapshot},
        {HUDSize::medium, HUDAppearance::dark, cases[0].snapshot},
    };
    int step = 0;
    for (const auto& [size, appearance, snapshot] : steps) {
        EXPECT_EQ(render(size, snapshot, appearance), renderedByANewView(size, appearance, snapshot))
            << "step " << step;
        ++step;
    }
}

// Pixels that differ between two renderings, as a region of 1 × 1 rectangles.
QRegion difference(const QImage& a, const QImage& b) {
    QRegion region;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) region += QRect(x, y, 1, 1);
    return region;
}

TEST_F(HUDRenderingTest, MuteChangesReadoutBarAndChipsButNotTheTitle) {
    MonitorSnapshot snapshot = levelAt(-12);
    const QImage before = render(HUDSize::medium, snapshot);
    snapshot.mute = true;
    const QImage after = render(HUDSize::medium, snapshot);
    const double s = 1.2;
    const QRegion changed = difference(before, after);
    const QRect title(0, 0, static_cast<int>(view.width() / 2), static_cast<int>(30 * s));
    const QRect readout(view.width() / 2, 0, view.width() / 2, static_cast<int>(30 * s));
    const QRect bar(0, static_cast<int>(32 * s), view.width(), static_cast<int>(10 * s));
    const QRect chips(0, static_cast<int>(52 * s), view.width(), static_cast<int>(14 * s));
    EXPECT_TRUE(changed.intersected(title).isEmpty());
    EXPECT_FALSE(changed.intersected(readout).isEmpty());
    EXPECT_FALSE(changed.intersected(bar).isEmpty());
    EXPECT_FALSE(changed.intersected(chips).isEmpty());
    EXPECT_TRUE(changed.intersected(QRect(0, static_cast<int>(70 * s), view.width(), 10)).isEmpty());
}

TEST_F(HUDRenderingTest, MessageScreenReplacesBarAndChipsWithAmberText) {
    const QImage state = render(HUDSize::small, levelAt(-30));
    view.setMessage(QStringLiteral("No Interface Detected"));
    const QImage message = renderHUD(view);
    EXPECT_EQ(at(message, 12 + 50, 37), token(HUDTokens::bg)) << "no bar on the message screen";
    EXPECT_EQ(at(message, 14, 64), token(HUDTokens::bg)) << "no chips on the message screen";
    int amberish = 0;
    for (int x = 12; x < 228; ++x)
        for (int y = 42; y < 58; ++y)
            if (colourDistance(message.pixelColor(x, y), token(HUDTokens::amber)) < 40) ++amberish;
    EXPECT_GT(amberish, 20);
    EXPECT_NE(state, message);
}

// MARK: glow shadow

const QColor kGlow(163, 224, 85, 102);

QImage paintedShadow(BlurredShadow& shadow, const QRectF& rect, qreal blurRadius, const QColor& colour,
                     qreal ratio = 1) {
    QImage target(QSize(80, 60) * ratio, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(ratio);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    shadow.paint(painter, rect, blurRadius, colour);
    return target;
}

QImage movedBy(const QImage& image, const QPoint& offset) {
    QImage moved(image.size(), image.format());
    moved.setDevicePixelRatio(image.devicePixelRatio());
    moved.fill(Qt::transparent);
    QPainter painter(&moved);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(offset) / image.devicePixelRatio(), image);
    return moved;
}

TEST(BlurredShadowTest, MovingTheShapeOnlyMovesTheImage) {
    hudTestApplication();
    BlurredShadow shadow;
    const QImage first = paintedShadow(shadow, QRectF(20, 10, 1, 8), 6, kGlow);
    ASSERT_FALSE(shadow.image().isNull());
    const qint64 made = shadow.image().cacheKey();
    EXPECT_EQ(paintedShadow(shadow, QRectF(33, 14, 1, 8), 6, kGlow), movedBy(first, QPoint(13, 4)));
    EXPECT_EQ(shadow.image().cacheKey(), made) << "made again for a shape of the same size";
    EXPECT_EQ(paintedShadow(shadow, QRectF(20.4, 9.6, 1, 8), 6, kGlow), first) << "lands on the nearer pixel";
    EXPECT_EQ(shadow.image().cacheKey(), made);
}

TEST(BlurredShadowTest, MadeAgainWhenSizeBlurColourOrPixelRatioChange) {
    hudTestApplication();
    struct Case {
        const char* name;
        QRectF rect;
        qreal blurRadius;
        QColor colour;
        qreal ratio;
    };
    const std::vector<Case> cases{
        {"taller shape", QRectF(20, 10, 1, 12), 6, kGlow, 1},
        {"wider blur", QRectF(20, 10, 1, 8), 8.4, kGlow, 1},
        {"other colour", QRectF(20, 10, 1, 8), 6, QColor(85, 112, 24, 102), 1},
        {"other alpha", QRectF(20, 10, 1, 8), 6, QColor(163, 224, 85, 51), 1},
        {"double pixel ratio", QRectF(20, 10, 1, 8), 6, kGlow, 2},
    };
    for (const auto& c : cases) {
        BlurredShadow reused;
        paintedShadow(reused, QRectF(20, 10, 1, 8), 6, kGlow);
        const qint64 before = reused.image().cacheKey();
        const QImage drawn = paintedShadow(reused, c.rect, c.blurRadius, c.colour, c.ratio);
        EXPECT_NE(reused.image().cacheKey(), before) << c.name;
        BlurredShadow fresh;
        EXPECT_EQ(drawn, paintedShadow(fresh, c.rect, c.blurRadius, c.colour, c.ratio)) << c.name;
    }
}

}  // namespace
}  // namespace quillmark::testing
