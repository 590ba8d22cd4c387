#include "app/EnginePortOption.h"

#include "log/SystemLog.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

using Args = std::vector<std::string>;

TEST(EnginePortOption, NothingGivenKeepsTheDefault) { EXPECT_FALSE(EnginePortOption::resolve({}, nullptr)); }

TEST(EnginePortOption, OptionWinsOverEnvironment) {
    EXPECT_EQ(EnginePortOption::resolve(Args{"--engine-port", "5001"}, "6000"), 5001);
    EXPECT_EQ(EnginePortOption::resolve(Args{"-x", "--engine-port=5002"}, nullptr), 5002);
    EXPECT_EQ(EnginePortOption::resolve({}, "6000"), 6000);
}

TEST(EnginePortOption, UnusableValuesAreLoggedAndIgnored) {
    std::vector<std::string> lines;
    SystemLog::Capture capture([&](std::string_view line) { lines.emplace_back(line); });
    for (const char* text : {"", "0", "65536", "12ab", "-1", " 80", "99999999999"}) {
        EXPECT_FALSE(EnginePortOption::parsePort(text)) << text;
    }
    EXPECT_FALSE(EnginePortOption::resolve(Args{"--engine-port"}, "6000"))
        << "a bad option is not rescued by the environment";
    EXPECT_FALSE(EnginePortOption::resolve({}, "nope"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("QUILLMARK_ENGINE_PORT"), std::string::npos);
    EXPECT_EQ(EnginePortOption::parsePort("65535"), 65535);
}

}  // namespace
}  // namespace quillmark::testing
