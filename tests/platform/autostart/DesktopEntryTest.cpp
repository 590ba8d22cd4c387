#include "platform/autostart/DesktopEntry.h"

#include "platform/autostart/DesktopExec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace quillmark {
namespace {

using namespace std::string_literals;
using Text = std::optional<std::string>;

TEST(DesktopEntryTest, ReadsTheMainGroupAsTheDesktopsDo) {
    const struct {
        std::string bytes;
        std::string key;
        Text value;
    } cases[] = {
        {"[Desktop Entry]\nExec=/usr/bin/quillmark\n", "Exec", "/usr/bin/quillmark"},
        {"[Desktop Entry]\nExec = /usr/bin/quillmark", "Exec", "/usr/bin/quillmark"},
        {"[Desktop Entry]\r\nExec=/a\r\nName=Q\r\n", "Exec", "/a"},
        {"# comment\n\n  [Desktop Entry]  \n  # indented comment\n\tExec=/a\n", "Exec", "/a"},
        {"[Desktop Entry]\nExec=/first\nExec=/last\n", "Exec", "/last"},
        {"[Desktop Entry]\nExec=/a\n[Desktop Action x]\nName=Other\n[Desktop Entry]\nName=Q\n", "Exec", "/a"},
        {"[Desktop Entry]\nExec=/a\n[Desktop Action x]\nName=Other\n[Desktop Entry]\nName=Q\n", "Name", "Q"},
        {"[Other]\nExec=/other\n[Desktop Entry]\nName=Q\n", "Exec", std::nullopt},
        {"[Desktop Entry]\nName[de]=Feder\n", "Name", std::nullopt},
        {"[Desktop Entry]\nName[de]=Feder\n", "Name[de]", "Feder"},
        {"[Desktop Entry]\nComment=\\s lead\\ttab\\nline\\rcr\\\\slash\\;kept\\", "Comment",
         "  lead\ttab\nline\rcr\\slash\\;kept\\"},
        {"[Desktop Entry]\nName=a=b\n", "Name", "a=b"},
        {"[Desktop Entry]\nName=\n", "Name", ""},
        {"[Desktop Entry]\nName=a\0b\n"s, "Name", "a\0b"s},
    };
    for (const auto& c : cases) {
        const auto entry = DesktopEntry::parse(c.bytes);
        ASSERT_TRUE(entry) << c.bytes;
        EXPECT_EQ(entry->string(c.key), c.value) << c.bytes;
    }
}

TEST(DesktopEntryTest, BytesThatAreNoKeyFileGiveNothing) {
    for (const std::string bytes :
         {"", "\n\n# only comments\n", "Exec=/a\n[Desktop Entry]\n", "[Desktop Entry]\nExec\n",
          "[Desktop Entry]\n=/a\n", "[Desktop Entry\nExec=/a\n", "[Desktop Entry] x\nExec=/a\n",
          "[Desk[top]\nExec=/a\n", "[Other]\nExec=/a\n", "[]\n", "\x7f\x45LF\x02\x01"}) {
        EXPECT_FALSE(DesktopEntry::parse(bytes)) << bytes;
    }
}

TEST(DesktopEntryTest, BooleansAreTrueFalseOneOrZero) {
    const struct {
        std::string value;
        std::optional<bool> boolean;
    } cases[] = {{"true", true},         {"1", true},           {"false", false},  {"0", false}, {"true ", true},
                 {"True", std::nullopt}, {"yes", std::nullopt}, {"", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]\nHidden=" + c.value)->boolean("Hidden"), c.boolean) << c.value;
    }
    EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]\n")->boolean("Hidden"), std::nullopt);
}

TEST(DesktopEntryTest, EscapedTextReadsBackAsWritten) {
    for (const std::string text :
         {" leading", "a\\b", "tab\tnew\nline\rcr", "\\s", "\\\\n", "trailing\\", "% $ ` \""}) {
        const auto entry = DesktopEntry::parse("[Desktop Entry]\nName=" + DesktopEntry::escape(text) + "\n");
        ASSERT_TRUE(entry) << text;
        EXPECT_EQ(entry->string("Name"), text);
    }
}

// Every input gives an answer: mutations of a real entry and random bytes, under the sanitizers.
TEST(DesktopEntryTest, AnyBytesGiveAnAnswer) {
    const std::string seed = "[Desktop Entry]\nType=Application\nExec=\"/opt/Q \\\\\\\\ M\" %U\nHidden=false\n# "
                             "c\n[Desktop Action a]\nX=1\n";
    const std::string alphabet = "[]=\\\"'% \t\r\n#$`sntr01ADExec\0\xff"s;
    std::mt19937 random(14);
    auto pick = [&](std::size_t size) { return std::uniform_int_distribution<std::size_t>(0, size - 1)(random); };
    for (int round = 0; round < 20000; ++round) {
        std::string bytes = round % 4 == 0 ? std::string() : seed;
        for (int edits = 1 + static_cast<int>(pick(8)); edits > 0; --edits) {
            const char c = alphabet[pick(alphabet.size())];
            const std::size_t at = bytes.empty() ? 0 : pick(bytes.size() + 1);
            if (pick(3) == 0 && at < bytes.size()) bytes.erase(at, 1 + pick(4));
            else bytes.insert(at, 1 + pick(3), c);
        }
        const auto entry = DesktopEntry::parse(bytes);
        if (!entry) continue;
        entry->boolean("Hidden");
        if (const auto exec = entry->string("Exec")) DesktopExec::arguments(*exec);
    }
}

}  // namespace
}  // namespace quillmark
