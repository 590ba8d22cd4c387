#include "core/ChannelLayout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace quillmark {
namespace {

using Definitions = std::vector<MeterChannelDefinition>;

// "L:0 R:1 ..." so a table reads like the layouts it checks.
std::string text(const Definitions& definitions) {
    std::ostringstream out;
    for (const auto& d : definitions) out << (out.tellp() > 0 ? " " : "") << d;
    return out.str();
}

std::string music(std::optional<std::string_view> mode) {
    return text(ChannelLayout::channels(mode, MeterChannelOrder::music));
}
std::string film(std::optional<std::string_view> mode) {
    return text(ChannelLayout::channels(mode, MeterChannelOrder::film));
}

TEST(ChannelLayoutTest, FixedAndImmersiveLayoutsInBothOrders) {
    struct Case {
        std::string_view mode;
        std::string music;
        std::string film;
    };
    const std::vector<Case> cases{
        {"STEREO", "L:0 R:1", "L:0 R:1"},
        {"2.1", "L:0 R:1 LFE:2", "L:0 R:1 LFE:2"},
        {"LCR", "L:0 R:1 C:2", "L:0 C:2 R:1"},
        {"LCRS", "L:0 R:1 C:2 S:3", "L:0 C:2 R:1 S:3"},
        {"QUAD", "L:0 R:1 Ls:2 Rs:3", "L:0 R:1 Ls:2 Rs:3"},
        {"5.1", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5", "L:0 C:2 R:1 Ls:4 Rs:5 LFE:3"},
        {"6.1", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Cs:6", "L:0 C:2 R:1 Ls:4 Rs:5 Cs:6 LFE:3"},
        {"7.1", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Lb:6 Rb:7", "L:0 C:2 R:1 Ls:4 Rs:5 Lb:6 Rb:7 LFE:3"},
        {"7.1.4", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Lb:6 Rb:7 Ltf:8 Rtf:9 Ltr:10 Rtr:11",
         "L:0 C:2 R:1 Ls:4 Rs:5 Lb:6 Rb:7 Ltf:8 Rtf:9 Ltr:10 Rtr:11 LFE:3"},
        {"5.1.2", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Ltf:6 Rtf:7", "L:0 C:2 R:1 Ls:4 Rs:5 Ltf:6 Rtf:7 LFE:3"},
        {"3.0", "L:0 R:1 C:2", "L:0 C:2 R:1"},
        {"4.0", "L:0 R:1 C:2 Ch4:3", "L:0 C:2 R:1 Ch4:3"},
        {"7.1.3", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Lb:6 Rb:7 Th1:8 Th2:9 Th3:10",
         "L:0 C:2 R:1 Ls:4 Rs:5 Lb:6 Rb:7 Th1:8 Th2:9 Th3:10 LFE:3"},
        {"9.1.6", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Lb:6 Rb:7 Lw:8 Rw:9 Ltf:10 Rtf:11 Ltm:12 Rtm:13 Ltr:14 Rtr:15",
         "L:0 C:2 R:1 Ls:4 Rs:5 Lb:6 Rb:7 Lw:8 Rw:9 Ltf:10 Rtf:11 Ltm:12 Rtm:13 Ltr:14 Rtr:15 LFE:3"},
        {"1.1", "L:0 R:1 LFE:2", "L:0 R:1 LFE:2"},
        {"2.3", "L:0 R:1 LFE:2 Ch4:3 Ch5:4", "L:0 R:1 Ch4:3 Ch5:4 LFE:2"},
        {"7.1.4.", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Lb:6 Rb:7 Ltf:8 Rtf:9 Ltr:10 Rtr:11",
         "L:0 C:2 R:1 Ls:4 Rs:5 Lb:6 Rb:7 Ltf:8 Rtf:9 Ltr:10 Rtr:11 LFE:3"},
        {"+5.+1", "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5", "L:0 C:2 R:1 Ls:4 Rs:5 LFE:3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(music(c.mode), c.music) << c.mode;
        EXPECT_EQ(film(c.mode), c.film) << c.mode;
    }
}

TEST(ChannelLayoutTest, ModeTextsAreMatchedWithoutRegardToCase) {
    EXPECT_EQ(music("stereo"), "L:0 R:1");
    EXPECT_EQ(film("lcr"), "L:0 C:2 R:1");
    EXPECT_EQ(music("Quad"), "L:0 R:1 Ls:2 Rs:3");
    EXPECT_EQ(music("7.1.4"), music("7.1.4."));
}

TEST(ChannelLayoutTest, AnythingElseMetersStereo) {
    const std::vector<std::optional<std::string_view>> modes{
        std::nullopt,
        "",
        "MONO",
        "5.1 ",
        "0.2",
        "1.0",
        "7.-1",
        "7.1.x",
        "7.1.4.2",
        "7",
        "..",
        "-3.1",
        "9223372036854775807.9223372036854775807.9223372036854775807",  // a sum beyond 64 bits
        "99999999999999999999.1",                                       // a piece beyond 64 bits
        "1.0.9000000000000000000",                                      // no interface meters that many
        "128.1",
    };
    for (const auto& mode : modes) {
        EXPECT_EQ(music(mode), "L:0 R:1") << mode.value_or("(none)");
        EXPECT_EQ(film(mode), "L:0 R:1") << mode.value_or("(none)");
    }
    EXPECT_EQ(ChannelLayout::channels("128.0", MeterChannelOrder::music).size(), 128u);
}

TEST(ChannelLayoutTest, TwentyTwoPointTwoHasTenBedLabelsAndFillers) {
    const Definitions channels = ChannelLayout::channels("22.2", MeterChannelOrder::music);
    ASSERT_EQ(channels.size(), 24u);
    EXPECT_EQ(text({channels.begin(), channels.begin() + 11}),
              "L:0 R:1 C:2 LFE:3 Ls:4 Rs:5 Lb:6 Rb:7 Lw:8 Rw:9 Ch11:10");
    EXPECT_EQ(channels.back(), (MeterChannelDefinition{"Ch24", 23}));
    EXPECT_EQ(std::count_if(channels.begin(), channels.end(), [](const auto& d) { return d.label == "LFE"; }), 1);
}

TEST(ChannelLayoutTest, FilmHoldsTheSamePairsAsMusic) {
    for (std::string_view mode : {"STEREO", "2.1", "LCR", "LCRS", "QUAD", "5.1", "6.1", "7.1", "7.1.4", "22.2", "3.5.7",
                                  "1.1", "9.1.6", "4.0"}) {
        Definitions m = ChannelLayout::channels(mode, MeterChannelOrder::music);
        Definitions f = ChannelLayout::channels(mode, MeterChannelOrder::film);
        auto byIndex = [](const auto& a, const auto& b) { return a.meterIndex < b.meterIndex; };
        std::sort(m.begin(), m.end(), byIndex);
        std::sort(f.begin(), f.end(), byIndex);
        EXPECT_EQ(m, f) << mode;
    }
}

TEST(MeterChannelOrderTest, RawValuesAndDisplayNames) {
    EXPECT_THAT(allMeterChannelOrders, ::testing::ElementsAre(MeterChannelOrder::music, MeterChannelOrder::film));
    for (MeterChannelOrder order : allMeterChannelOrders)
        EXPECT_EQ(meterChannelOrderFromRawValue(rawValue(order)), order);
    EXPECT_EQ(rawValue(MeterChannelOrder::film), "film");
    EXPECT_EQ(meterChannelOrderFromRawValue("Film"), std::nullopt);
    EXPECT_EQ(meterChannelOrderFromRawValue(""), std::nullopt);
    EXPECT_EQ(displayName(MeterChannelOrder::music), "SMPTE (L R \u2026)");
    EXPECT_EQ(displayName(MeterChannelOrder::film), "Film (L C R \u2026)");
}

}  // namespace
}  // namespace quillmark
