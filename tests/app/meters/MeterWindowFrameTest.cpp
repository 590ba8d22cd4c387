#include "app/meters/MeterWindowFrame.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillmark {
namespace {

const std::vector<QRectF> kOneScreen{QRectF(0, 0, 1920, 1080)};

struct ParseCase {
    const char* text;
    std::optional<QRectF> expected;
};

class MeterWindowFrameParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(MeterWindowFrameParse, KeepsExactlyFourNumbers) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(MeterWindowFrame::parse(QString::fromUtf8(c.text)), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MeterWindowFrameParse,
    ::testing::Values(ParseCase{"100 200 300 400", QRectF(100, 200, 300, 400)},  // whole numbers without ".0"
                      ParseCase{"100.0 200.5 300.0 400.25", QRectF(100, 200.5, 300, 400.25)},
                      ParseCase{"  100  200 300   400 ", QRectF(100, 200, 300, 400)},  // empty pieces skipped
                      ParseCase{"100 200 300 400 500", std::nullopt},                  // a fifth number
                      ParseCase{"100 200 300", std::nullopt},                          // only three
                      ParseCase{"100 wide 200 300 400", QRectF(100, 200, 300, 400)},   // a non-number is dropped
                      ParseCase{"-5e1 +2 3e2 4E2", QRectF(-50, 2, 300, 400)},
                      ParseCase{"1 2 3 4x", std::nullopt},       // a piece must convert whole
                      ParseCase{"nan 2 300 400", std::nullopt},  // not finite: unusable
                      ParseCase{"1 inf 300 400", std::nullopt}, ParseCase{"", std::nullopt},
                      ParseCase{"100\t200 300 400", std::nullopt}));  // only spaces separate

TEST(MeterWindowFrame, FormatsShortestRoundTripText) {
    EXPECT_EQ(MeterWindowFrame::format(QRectF(100, 200, 300, 400)), "100.0 200.0 300.0 400.0");
    EXPECT_EQ(MeterWindowFrame::format(QRectF(0.1, -5.5, 220, 320.25)), "0.1 -5.5 220.0 320.25");
    const QRectF odd(1.0 / 3, 2.0 / 3, 1e-7 + 200, 1234567.875);
    EXPECT_EQ(MeterWindowFrame::parse(MeterWindowFrame::format(odd)), odd);
}

TEST(MeterWindowFrame, RejectsFramesBelowTheMinimumSize) {
    EXPECT_TRUE(MeterWindowFrame::validated("10 10 140 220", kOneScreen));
    EXPECT_FALSE(MeterWindowFrame::validated("10 10 139 220", kOneScreen));
    EXPECT_FALSE(MeterWindowFrame::validated("10 10 140 219.5", kOneScreen));
    EXPECT_FALSE(MeterWindowFrame::validated("10 10 -300 400", kOneScreen));
}

TEST(MeterWindowFrame, NeedsEightyByFortyOnSomeScreen) {
    // 79 points wide inside the screen's right edge, then 80.
    EXPECT_FALSE(MeterWindowFrame::validated("1841 100 220 320", kOneScreen));
    EXPECT_TRUE(MeterWindowFrame::validated("1840 100 220 320", kOneScreen));
    // 39 and 40 points high below the top edge.
    EXPECT_FALSE(MeterWindowFrame::validated("100 1041 220 320", kOneScreen));
    EXPECT_TRUE(MeterWindowFrame::validated("100 1040 220 320", kOneScreen));
    EXPECT_FALSE(MeterWindowFrame::validated("-5000 100 220 320", kOneScreen));
    EXPECT_FALSE(MeterWindowFrame::validated("100 100 220 320", {}));
    // A second screen to the left of the primary one.
    const std::vector<QRectF> twoScreens{QRectF(0, 0, 1920, 1080), QRectF(-1280, 0, 1280, 1024)};
    EXPECT_TRUE(MeterWindowFrame::validated("-600 100 220 320", twoScreens));
}

TEST(MeterWindowFrame, FlipsBetweenDesktopAndBottomLeftCoordinates) {
    const QRectF primary(0, 0, 1920, 1080);
    const QRectF desktop(100, 50, 220, 320);
    const QRectF stored = MeterWindowFrame::fromDesktop(desktop, primary);
    EXPECT_EQ(stored, QRectF(100, 1080 - 50 - 320, 220, 320));
    EXPECT_EQ(MeterWindowFrame::toDesktop(stored, primary), desktop);
    // A screen below the primary one has negative y in the stored space.
    EXPECT_EQ(MeterWindowFrame::fromDesktop(QRectF(0, 1080, 1920, 1080), primary), QRectF(0, -1080, 1920, 1080));
}

}  // namespace
}  // namespace quillmark
