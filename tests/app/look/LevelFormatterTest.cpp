#include "app/look/LevelFormatter.h"

#include "CommaLocale.h"

#include <gtest/gtest.h>

namespace quillmark {
namespace {

struct Case {
    double level;
    double reference;  // savedLevel only
    const char* text;
};

const Case
    kSignedDB[] =
        {
            {-96, 0, "−∞ dB"},       {-120, 0, "−∞ dB"}, {-95.96, 0, "−96.0 dB"}, {-6, 0, "−6.0 dB"},
            {0, 0, "0.0 dB"},        {3, 0, "+3.0 dB"},  {-0.04, 0, "−0.0 dB"},   {-95.99, 0, "−96.0 dB"},
            {-12.25, 0, "−12.2 dB"},  // printf rounding of the binary value, as "%.1f" does
};

const Case kSavedLevel[] = {
    {-20, 0, "−20 dB"},  {-20.04, 0, "−20 dB"}, {-20.25, 0, "−20.3 dB"}, {-0.5, 0, "−0.5 dB"},
    {0, 0, "0 dB"},      {-0.04, 0, "−0 dB"},   {-20, 85, "65 dB SPL"},  {-20.6, 85, "64 dB SPL"},
    {-20, -3, "−20 dB"}, {2.5, 0, "2.5 dB"},    {-96, 0, "−96 dB"},      {-120, 0, "−120 dB"},
};

void expectAllTexts() {
    for (const Case& c : kSignedDB) EXPECT_EQ(LevelFormatter::signedDB(c.level), c.text) << c.level;
    for (const Case& c : kSavedLevel)
        EXPECT_EQ(LevelFormatter::savedLevel(c.level, c.reference), c.text) << c.level << " ref " << c.reference;
}

TEST(LevelFormatter, Texts) { expectAllTexts(); }

TEST(LevelFormatter, FullStopUnderACommaLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.isActive()) << comma.failure();
    expectAllTexts();
}

}  // namespace
}  // namespace quillmark
