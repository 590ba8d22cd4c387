// User paths leave neither events nor breadcrumbs: the original places (/Users, /Volumes, ...) and this
// platform's (/home, /media, /run/media, /run/user, /var/tmp and the canonical home).
#include "app/services/PathScrubber.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace quillmark {
namespace {

// A home directory, a text before scrubbing and after.
struct ScrubCase {
    const char* home;
    const char* before;
    const char* after;
};

class ScrubText : public ::testing::TestWithParam<ScrubCase> {};

TEST_P(ScrubText, MessageAndExtraValues) {
    const auto& c = GetParam();
    const auto rules = PathScrubber::rulesFor(c.home);
    SentryEvent event;
    event.message = SentryEvent::Message{c.before, std::nullopt};
    event.extra = std::map<std::string, nlohmann::json>{{"path", c.before}, {"count", 42}};
    PathScrubber::scrubPaths(event, rules);
    EXPECT_EQ(event.message->message, c.after);
    EXPECT_EQ((*event.extra)["path"], c.after);
    EXPECT_EQ((*event.extra)["count"], 42);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ScrubText,
    ::testing::Values(
        // The original platform's table.
        ScrubCase{"/Users/someone", "open /Users/someone/Music/a.wav failed", "open <home>/Music/a.wav failed"},
        ScrubCase{"/Users/someone", "/private/Users/someone/x", "<home>/x"},
        ScrubCase{"/Users/someone", "/Users/other/file.txt", "<path-scrubbed>"},
        ScrubCase{"/Users/someone", "copy '/Volumes/Disk 2/a'", "copy '<path-scrubbed> 2/a'"},
        ScrubCase{"/Users/someone", "/private/tmp/x", "/private<path-scrubbed>"},
        ScrubCase{"/Users/someone", "/tmp/a b", "<path-scrubbed> b"},
        // The same table where homes live under /home.
        ScrubCase{"/home/someone", "open /home/someone/Music/a.wav failed", "open <home>/Music/a.wav failed"},
        ScrubCase{"/home/someone", "/private/home/someone/x", "<home>/x"},
        ScrubCase{"/home/someone", "/home/other/file.txt", "<path-scrubbed>"},
        ScrubCase{"/home/someone", "copy '/media/someone/Disk 2/a'", "copy '<path-scrubbed> 2/a'"},
        ScrubCase{"/home/someone", "/run/media/someone/usb/x \"/run/user/1000/bus\"",
                  "<path-scrubbed> \"<path-scrubbed>\""},
        ScrubCase{"/home/someone", "/var/tmp/x", "<path-scrubbed>"},
        ScrubCase{"/home/someone", "/tmp/a b", "<path-scrubbed> b"},
        // A home of "/" or "" is no prefix: it would turn every "/" into "<home>".
        ScrubCase{"/", "/usr/lib/x.so and /home/a/b", "/usr/lib/x.so and <path-scrubbed>"},
        ScrubCase{"", "/usr/lib/x.so", "/usr/lib/x.so"}));

class ScrubFilePath : public ::testing::TestWithParam<ScrubCase> {};

TEST_P(ScrubFilePath, FramesAndImages) {
    const auto& c = GetParam();
    const auto rules = PathScrubber::rulesFor(c.home);
    SentryEvent event;
    SentryEvent::Stacktrace stack;
    stack.frames.push_back({0x10, c.before, c.before, std::nullopt});
    event.exceptions =
        std::vector<SentryEvent::Exception>{{"SIGSEGV", std::nullopt, 1, "signalhandler", std::nullopt, stack}};
    event.threads = std::vector<SentryEvent::Thread>{{1, std::nullopt, true, true, stack}};
    event.debugMeta = std::vector<SentryEvent::DebugImage>{{c.before, "", "", 0, 0}};
    PathScrubber::scrubPaths(event, rules);
    EXPECT_EQ((*event.exceptions)[0].stacktrace->frames[0].package, c.after);
    EXPECT_EQ((*event.exceptions)[0].stacktrace->frames[0].fileName, c.after);
    EXPECT_EQ((*event.threads)[0].stacktrace->frames[0].package, c.after);
    EXPECT_EQ((*event.debugMeta)[0].codeFile, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ScrubFilePath,
    ::testing::Values(ScrubCase{"/Users/someone", "/Users/someone/src/App/Foo", "<path-scrubbed>/Foo"},
                      ScrubCase{"/Users/someone", "/private/tmp/x", "<path-scrubbed>/x"},
                      ScrubCase{"/Users/someone", "/System/Library/Frameworks/AppKit.framework/AppKit",
                                "/System/Library/Frameworks/AppKit.framework/AppKit"},
                      ScrubCase{"/Users/someone", "", ""},
                      ScrubCase{"/home/someone", "/home/someone/src/App/Foo", "<path-scrubbed>/Foo"},
                      ScrubCase{"/home/someone", "/var/tmp/x/", "<path-scrubbed>/x"},
                      ScrubCase{"/home/someone", "/media/disk/quillmark", "<path-scrubbed>/quillmark"},
                      ScrubCase{"/home/someone", "/run/media/someone/usb/lib.so", "<path-scrubbed>/lib.so"},
                      ScrubCase{"/home/someone", "/run/user/1000/app/q", "<path-scrubbed>/q"},
                      ScrubCase{"/home/someone", "/usr/lib/x86_64-linux-gnu/libc.so.6",
                                "/usr/lib/x86_64-linux-gnu/libc.so.6"},
                      ScrubCase{"/", "/usr/lib/libc.so.6", "/usr/lib/libc.so.6"}));

TEST(PathScrubber, AHomeOutsideHomeIsScrubbedUnderItsCanonicalNameToo) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const std::string real = QDir(base.path()).canonicalPath().toStdString() + "/real-home";
    const std::string link = base.path().toStdString() + "/linked-home";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(real)));
    ASSERT_TRUE(QFile::link(QString::fromStdString(real), QString::fromStdString(link)));
    const auto rules = PathScrubber::rulesFor(link);

    EXPECT_EQ(PathScrubber::scrubText("at " + real + "/bin/q and " + link + "/x", rules),
              "at <home>/bin/q and <home>/x");
    EXPECT_EQ(PathScrubber::scrubFilePath(real + "/bin/quillmark", rules), "<path-scrubbed>/quillmark");
    EXPECT_EQ(PathScrubber::scrubFilePath(link + "/lib/a.so", rules), "<path-scrubbed>/a.so");
}

TEST(PathScrubber, BreadcrumbsInEventsAndOnTheirOwn) {
    const auto rules = PathScrubber::rulesFor("/home/someone");
    SentryBreadcrumb crumb;
    crumb.message = "saved /home/someone/a.json";
    crumb.data = std::map<std::string, nlohmann::json>{{"file", "/home/other/b"}, {"list", {"/home/other/c"}}};
    SentryEvent event;
    event.breadcrumbs = std::vector<SentryBreadcrumb>{crumb};
    event.exceptions =
        std::vector<SentryEvent::Exception>{{"T", "in /tmp/x", std::nullopt, "m", std::nullopt, std::nullopt}};
    event.transaction = "/home/other/t";
    PathScrubber::scrubPaths(event, rules);
    PathScrubber::scrubPaths(crumb, rules);

    for (const auto& scrubbed : {crumb, (*event.breadcrumbs)[0]}) {
        EXPECT_EQ(scrubbed.message, "saved <home>/a.json");
        EXPECT_EQ(scrubbed.data->at("file"), "<path-scrubbed>");
        EXPECT_EQ(scrubbed.data->at("list"), nlohmann::json({"/home/other/c"}));  // not text: not searched
    }
    EXPECT_EQ((*event.exceptions)[0].value, "in <path-scrubbed>");
    EXPECT_EQ(event.transaction, "<path-scrubbed>");
}

TEST(PathScrubber, AnEmptyEventPassesUnchanged) {
    SentryEvent event;
    event.eventId = "0123456789abcdef0123456789abcdef";
    const auto before = event.toJson();
    PathScrubber::scrubPaths(event, PathScrubber::rulesFor("/home/someone"));
    EXPECT_EQ(event.toJson(), before);
    SentryBreadcrumb crumb;
    const auto crumbBefore = crumb.toJson();
    PathScrubber::scrubPaths(crumb, PathScrubber::rulesFor("/home/someone"));
    EXPECT_EQ(crumb.toJson(), crumbBefore);
}

}  // namespace
}  // namespace quillmark
