// Reading appcast feeds as publishers write them, and refusing the ones that could do harm.
#include "platform/updater/AppcastParser.h"

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

QByteArray feedWithItems(const QByteArray& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle" xmlns:dc="http://purl.org/dc/elements/1.1/">
  <channel>
    <title>Quillmark</title>
    <link>https://example.com/appcast.xml</link>
)" + items +
           R"(
  </channel>
</rss>)";
}

TEST(AppcastParserTest, ReadsEveryFieldOfALinuxItem) {
    const auto result = AppcastParser::parse(feedWithItems(R"(
    <item>
      <title>Version 1.2</title>
      <pubDate>Tue, 01 Dec 2026 10:00:00 +0000</pubDate>
      <link>https://example.com/1.2</link>
      <sparkle:version>120</sparkle:version>
      <sparkle:shortVersionString>1.2</sparkle:shortVersionString>
      <sparkle:releaseNotesLink>https://example.com/notes/1.2.html</sparkle:releaseNotesLink>
      <sparkle:minimumSystemVersion>12.0</sparkle:minimumSystemVersion>
      <sparkle:criticalUpdate sparkle:version="110"></sparkle:criticalUpdate>
      <enclosure url="https://example.com/quillmark_1.2_amd64.deb" length="123456" type="application/vnd.debian.binary-package"
                 sparkle:edSignature="c2lnbmF0dXJl" sparkle:os="linux"/>
    </item>)"));
    ASSERT_FALSE(result.error) << *result.error;
    ASSERT_EQ(result.items.size(), 1u);
    const AppcastItem& item = result.items[0];
    EXPECT_EQ(item.title, "Version 1.2");
    EXPECT_EQ(item.pubDate, "Tue, 01 Dec 2026 10:00:00 +0000");
    EXPECT_EQ(item.link, "https://example.com/1.2");
    EXPECT_EQ(item.version, "120");
    EXPECT_EQ(item.displayVersion(), "1.2");
    EXPECT_EQ(item.releaseNotesLink, "https://example.com/notes/1.2.html");
    EXPECT_EQ(item.minimumSystemVersion, "12.0");
    EXPECT_TRUE(item.criticalUpdate);
    EXPECT_FALSE(item.informationalUpdate);
    EXPECT_EQ(item.enclosure.url, "https://example.com/quillmark_1.2_amd64.deb");
    EXPECT_EQ(item.enclosure.length, 123456);
    EXPECT_EQ(item.enclosure.type, "application/vnd.debian.binary-package");
    EXPECT_EQ(item.enclosure.edSignature, "c2lnbmF0dXJl");
}

TEST(AppcastParserTest, KeepsOnlyItemsForLinux) {
    const auto result = AppcastParser::parse(feedWithItems(R"(
    <item><sparkle:version>2</sparkle:version><enclosure url="https://e.com/a.dmg" length="1" sparkle:os="macos"/></item>
    <item><sparkle:version>3</sparkle:version><enclosure url="https://e.com/b.zip" length="1"/></item>
    <item><sparkle:version>4</sparkle:version><enclosure url="https://e.com/c.exe" length="1" sparkle:os="windows"/></item>
    <item><sparkle:version>5</sparkle:version></item>
    <item><sparkle:version>6</sparkle:version><enclosure url="https://e.com/d.AppImage" length="1" sparkle:os="linux"/></item>)"));
    ASSERT_FALSE(result.error);
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].version, "6");
}

TEST(AppcastParserTest, ReadsVersionsFromTheEnclosureOfOlderFeedsAndInformationalItems) {
    const auto result = AppcastParser::parse(feedWithItems(R"(
    <item>
      <sparkle:informationalUpdate><sparkle:belowVersion>7</sparkle:belowVersion></sparkle:informationalUpdate>
      <enclosure url="https://e.com/x.deb" length="not a number" sparkle:version="7" sparkle:shortVersionString="0.7"
                 sparkle:os="linux"/>
    </item>)"));
    ASSERT_FALSE(result.error);
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].version, "7");
    EXPECT_EQ(result.items[0].displayVersion(), "0.7");
    EXPECT_TRUE(result.items[0].informationalUpdate);
    EXPECT_FALSE(result.items[0].enclosure.length);
    EXPECT_EQ(result.items[0].informationLink(), "https://e.com/x.deb");
}

TEST(AppcastParserTest, RefusesDocumentTypesOversizedAndBrokenFeeds) {
    const QByteArray entityBomb = R"(<?xml version="1.0"?>
<!DOCTYPE rss [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]>
<rss version="2.0"><channel><item><title>&b;</title></item></channel></rss>)";
    const QByteArray oversized = feedWithItems("<!--" + QByteArray(AppcastParser::maxFeedBytes, 'x') + "-->");
    const struct {
        const char* name;
        QByteArray feed;
    } table[] = {
        {"document type", entityBomb},
        {"larger than 1 MiB", oversized},
        {"not XML", "this is not a feed"},
        {"cut off", feedWithItems("<item><title>half").left(200)},
        {"another root", "<html><body/></html>"},
        {"empty", ""},
    };
    for (const auto& [name, feed] : table) {
        const auto result = AppcastParser::parse(feed);
        EXPECT_TRUE(result.error) << name;
        EXPECT_TRUE(result.items.empty()) << name;
    }
    EXPECT_FALSE(AppcastParser::parse(feedWithItems("")).error) << "a feed with no items is valid";
}

}  // namespace
}  // namespace quillmark::testing
