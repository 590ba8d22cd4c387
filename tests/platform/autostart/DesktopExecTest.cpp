#include "platform/autostart/DesktopExec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quillmark {
namespace {

using Arguments = std::optional<std::vector<std::string>>;

TEST(DesktopExecTest, EveryProgramPathComesBackFromItsOwnCommandLine) {
    for (const std::string program :
         {"/usr/bin/quillmark", "/opt/Quill Mark/quillmark", "/a\"b", "/a\\b", "/a$HOME", "/a`id`", "/100%", "/%%u",
          "/it's", "/tab\there", "/new\nline", "/all \"'\\><~|&;$*?#()`%", "/\\\"", "/ends\\", ""}) {
        EXPECT_EQ(DesktopExec::arguments(DesktopExec::commandFor(program)), Arguments({program}))
            << DesktopExec::commandFor(program);
    }
}

TEST(DesktopExecTest, CommandLinesWrittenByOthersSplitAsTheLaunchersSplitThem) {
    const struct {
        std::string command;
        Arguments arguments;
    } cases[] = {
        {"/usr/bin/quillmark --hidden %U", Arguments({"/usr/bin/quillmark", "--hidden", "%U"})},
        {"  /usr/bin/quillmark \t  -x ", Arguments({"/usr/bin/quillmark", "-x"})},
        {"\"/opt/Quill Mark/quillmark\" %f", Arguments({"/opt/Quill Mark/quillmark", "%f"})},
        {"/opt/Quill\\ Mark/quillmark", Arguments({"/opt/Quill Mark/quillmark"})},
        {"'/opt/it\"s/quillmark'", Arguments({"/opt/it\"s/quillmark"})},
        {"\"/a\\\"b\\`c\\$d\\\\e\"", Arguments({"/a\"b`c$d\\e"})},
        {"\"/a\\qb\"", Arguments({"/a\\qb"})},
        {"/100%%/quillmark \"50%%\"", Arguments({"/100%/quillmark", "50%"})},
        {"/a\"b c\"d", Arguments({"/ab cd"})},
        {"\"\"", Arguments({""})},
        {"", Arguments(std::vector<std::string>{})},
        {" \t ", Arguments(std::vector<std::string>{})},
        {"\"/opt/open", std::nullopt},
        {"'/opt/open", std::nullopt},
        {"/opt/ok \"open", std::nullopt},
        {"\"/ends\\\"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(DesktopExec::arguments(c.command), c.arguments) << c.command;
}

}  // namespace
}  // namespace quillmark
