#include "core/MixerRequest.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

TEST(MixerRequestTest, VerbTexts) {
    for (auto [verb, text] : {std::pair{MixerVerb::get, "get"}, std::pair{MixerVerb::set, "set"},
                              std::pair{MixerVerb::subscribe, "subscribe"}}) {
        EXPECT_EQ(mixerVerbText(verb), text);
        EXPECT_EQ(mixerVerbFromText(text), verb);
    }
    EXPECT_EQ(mixerVerbFromText("GET"), std::nullopt);
    EXPECT_EQ(mixerVerbFromText("get "), std::nullopt);
    EXPECT_EQ(mixerVerbFromText(""), std::nullopt);
}

TEST(MixerRequestTest, FactoriesFillTheFields) {
    EXPECT_EQ(MixerRequest::get("/devices"), (MixerRequest{MixerVerb::get, "/devices", std::nullopt, false}));
    EXPECT_EQ(MixerRequest::subscribe("/a"), (MixerRequest{MixerVerb::subscribe, "/a", std::nullopt, false}));
    EXPECT_EQ(MixerRequest::setRaw("/a", "1"), (MixerRequest{MixerVerb::set, "/a", "1", false}));
    EXPECT_EQ(MixerRequest::setProperty("/a", "1"), (MixerRequest{MixerVerb::set, "/a", "1", true}));
}

TEST(MixerRequestTest, WireString) {
    struct Case {
        MixerRequest request;
        const char* wire;
    };
    const std::vector<Case> cases = {
        {MixerRequest::get("/devices"), "get /devices"},
        {MixerRequest::subscribe("/devices/0/outputs/22/CRMonitorLevel"),
         "subscribe /devices/0/outputs/22/CRMonitorLevel"},
        // The suffix needs a value.
        {MixerRequest{MixerVerb::get, "/devices", std::nullopt, true}, "get /devices"},
        {MixerRequest::setProperty("/devices/0/outputs/22/Mute", "true"), "set /devices/0/outputs/22/Mute/value/ true"},
        {MixerRequest::setProperty("/devices/0/outputs/22/Mute/value", "false"),
         "set /devices/0/outputs/22/Mute/value/ false"},
        {MixerRequest::setProperty("/a/", "1"), "set /a//value/ 1"},
        {MixerRequest::setRaw("/devices/0/outputs/22/Mute", "true"), "set /devices/0/outputs/22/Mute true"},
        {MixerRequest::setRaw("/a/value", "x y"), "set /a/value x y"},
        {MixerRequest::setRaw("/a", ""), "set /a "},
    };
    for (const auto& c : cases) EXPECT_EQ(c.request.wireString(), c.wire);
}

TEST(MixerRequestTest, HoldsNulInPathOrValue) {
    using namespace std::string_literals;
    EXPECT_FALSE(MixerRequest::setRaw("/a", "1").holdsNul());
    EXPECT_TRUE(MixerRequest::get("/a\0get /b"s).holdsNul());
    EXPECT_TRUE(MixerRequest::setRaw("/a", "1\0set /b 2"s).holdsNul());
    EXPECT_TRUE((MixerRequest{MixerVerb::set, "/a", "\0"s, true}).holdsNul());
}

}  // namespace
}  // namespace quillmark::testing
