#include "app/preferences/PreferencesRules.h"

#include "CommaLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace quillmark {
namespace {

TEST(PreferencesRules, ParsingReadsOneWholeNumberBetweenSpaces) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"3", 3},      {" 3 ", 3},  {"\t0.25\t", 0.25}, {"1e3", 1000}, {"-1", -1}, {"+2.5", 2.5},
        {".5", 0.5},   {"", {}},    {"   ", {}},        {"abc", {}},   {"3x", {}}, {"1,5", {}},
        {"1.5.2", {}}, {"\n3", {}}, {"3\n", {}},        {"1 000", {}}, {"٣", {}},  {"3\xC2\xA0", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PreferencesRules::parse(QString::fromUtf8(c.text)), c.value);
    }
    EXPECT_TRUE(std::isinf(*PreferencesRules::parse(QStringLiteral("inf"))));
    EXPECT_TRUE(std::isnan(*PreferencesRules::parse(QStringLiteral("nan"))));
}

TEST(PreferencesRules, NumbersReadAndWriteAFullStopUnderACommaLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.isActive()) << comma.failure();
    EXPECT_EQ(PreferencesRules::parse(QStringLiteral("1.5")), 1.5);
    EXPECT_EQ(PreferencesRules::parse(QStringLiteral("1,5")), std::nullopt);
    EXPECT_EQ(PreferencesRules::fieldText(2.5), QStringLiteral("2.50"));
    EXPECT_EQ(PreferencesRules::oneDecimalText(-10.25), QStringLiteral("-10.2"));
}

TEST(PreferencesRules, FieldTextsShowWholeNumbersBareAndOthersWithTwoDecimals) {
    EXPECT_EQ(PreferencesRules::fieldText(1), QStringLiteral("1"));
    EXPECT_EQ(PreferencesRules::fieldText(2.5), QStringLiteral("2.50"));
    EXPECT_EQ(PreferencesRules::fieldText(0.25), QStringLiteral("0.25"));
    EXPECT_EQ(PreferencesRules::fieldText(1000), QStringLiteral("1000"));
    EXPECT_EQ(PreferencesRules::wholeText(73.6), QStringLiteral("74"));
    EXPECT_EQ(PreferencesRules::oneDecimalText(-12), QStringLiteral("-12.0"));
}

TEST(PreferencesRules, DurationsAndStepsInRange) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double accepted : {0.25, 3.0, 60.0}) EXPECT_TRUE(PreferencesRules::isAcceptedDuration(accepted)) << accepted;
    for (double refused : {0.2, 61.0, nan, inf}) EXPECT_FALSE(PreferencesRules::isAcceptedDuration(refused)) << refused;
    for (double accepted : {0.5, 1.0, 96.0}) EXPECT_TRUE(PreferencesRules::isAcceptedStep(accepted)) << accepted;
    // A step beyond the level's whole range, infinity above all, would take the level to an end in one press.
    for (double refused : {0.0, -1.0, 96.5, 1000.0, inf, -inf, nan})
        EXPECT_FALSE(PreferencesRules::isAcceptedStep(refused)) << refused;
}

TEST(PreferencesRules, LabelsAreCutAtTwentyCharactersAsTheUserSeesThem) {
    EXPECT_EQ(PreferencesRules::cutLabel(QStringLiteral("Reference 1")), QStringLiteral("Reference 1"));
    EXPECT_EQ(PreferencesRules::cutLabel(QString(25, QLatin1Char('x'))), QString(20, QLatin1Char('x')));
    // A flag is two code points, an accented letter may be a letter and a combining mark: never split.
    const QString flag = QString::fromUtf8("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA");  // 🇩🇪
    const QString accented = QString::fromUtf8("e\xCC\x81");                     // é as e + U+0301
    QString long_;
    for (int i = 0; i < 12; ++i) long_ += flag + accented;
    const QString cut = PreferencesRules::cutLabel(long_);
    QString expected;
    for (int i = 0; i < 10; ++i) expected += flag + accented;
    EXPECT_EQ(cut, expected);
    EXPECT_EQ(PreferencesRules::cutLabel(QString(19, QLatin1Char('a')) + accented),
              QString(19, QLatin1Char('a')) + accented);
}

}  // namespace
}  // namespace quillmark
