// The tray host's colours on a real X server, published by a stand-in host of the test's own: read when
// the watcher starts, followed through changes of the property, the host's departure and a new host.
#include "platform/tray/TrayHostColours.h"

#include "FakeTrayHost.h"
#include "X11TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillmark {

// Read by GoogleTest's messages, found beside the type.
void PrintTo(const TrayColours& colours, std::ostream* out) {
    *out << colours.foreground.name().toStdString() << " " << colours.error.name().toStdString() << " "
         << colours.warning.name().toStdString() << " " << colours.success.name().toStdString();
}

}  // namespace quillmark

namespace quillmark::testing {
namespace {

const TrayColours kDarkPanel{QColor(0xee, 0xee, 0xec), QColor(0xef, 0x29, 0x29), QColor(0xfc, 0xaf, 0x3e),
                             QColor(0x8a, 0xe2, 0x34)};
const TrayColours kLightPanel{QColor(0x2e, 0x34, 0x36), QColor(0xcc, 0x00, 0x00), QColor(0xc4, 0xa0, 0x00),
                              QColor(0x4e, 0x9a, 0x06)};

std::vector<std::uint32_t> cardinals(const TrayColours& colours) {
    return FakeTrayHost::cardinals(colours.foreground, colours.error, colours.warning, colours.success);
}

class XcbTrayHostColoursTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")); }

    // Runs the event loop until the watcher holds `expected`.
    bool sees(const std::optional<TrayColours>& expected) {
        return waitFor([&] { return watcher->colours() == expected; });
    }

    QGuiApplication& application = x11TestApplication();
    FakeTrayHost host;
    std::unique_ptr<TrayHostColours> watcher;
    int changes = 0;

    void watch() {
        watcher = TrayHostColours::forThisDesktop();
        watcher->setListener([this] { ++changes; });
    }
};

TEST_F(XcbTrayHostColoursTest, FollowsTheHostsColoursThroughChangesDepartureAndANewHost) {
    host.takeOver();
    host.publish(cardinals(kDarkPanel));
    watch();
    EXPECT_EQ(watcher->colours(), kDarkPanel);  // read at once, before any event

    host.publish(cardinals(kLightPanel));
    ASSERT_TRUE(sees(kLightPanel)) << "a changed property is read again";
    EXPECT_EQ(changes, 1);

    host.withdraw();
    ASSERT_TRUE(sees(std::nullopt)) << "a host that stops publishing has no colours";

    host.publish(cardinals(kDarkPanel));
    ASSERT_TRUE(sees(kDarkPanel));
    host.drop();
    ASSERT_TRUE(sees(std::nullopt)) << "the host went away";

    host.takeOver();
    EXPECT_FALSE(waitFor([&] { return watcher->colours().has_value(); }, std::chrono::milliseconds(200)));
    host.publish(cardinals(kLightPanel));
    ASSERT_TRUE(sees(kLightPanel)) << "a new host is watched from its announcement on";
    EXPECT_EQ(changes, 5);
}

// A host replaced while it still exists: the new owner's colours count, the old window's no longer.
TEST_F(XcbTrayHostColoursTest, ANewOwnerTakesOverFromOneThatStays) {
    host.takeOver();
    host.publish(cardinals(kDarkPanel));
    watch();
    ASSERT_EQ(watcher->colours(), kDarkPanel);
    host.takeOver();
    ASSERT_TRUE(sees(std::nullopt));
    host.publish(cardinals(kLightPanel));
    ASSERT_TRUE(sees(kLightPanel));
}

TEST_F(XcbTrayHostColoursTest, AValueOfAnotherShapeGivesNoColours) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> values;
        xcb_atom_t type;
        std::uint8_t format;
    };
    const std::vector<std::uint32_t> full = cardinals(kDarkPanel);
    std::vector<std::uint32_t> tooLong = full;
    tooLong.push_back(0);
    host.takeOver();
    watch();
    for (const Case& c : {
             Case{"eleven cardinals", {full.begin(), full.end() - 1}, XCB_ATOM_CARDINAL, 32},
             Case{"nine cardinals", {full.begin(), full.end() - 3}, XCB_ATOM_CARDINAL, 32},
             Case{"thirteen cardinals", tooLong, XCB_ATOM_CARDINAL, 32},
             Case{"integers", full, XCB_ATOM_INTEGER, 32},
         }) {
        SCOPED_TRACE(c.what);
        host.publish(cardinals(kLightPanel));
        ASSERT_TRUE(sees(kLightPanel));
        host.publish(c.values, c.type, c.format);
        EXPECT_TRUE(sees(std::nullopt));
    }
}

// Channels beyond 16 bits are taken as full; the alpha is always opaque.
TEST_F(XcbTrayHostColoursTest, ChannelsAreSixteenBitsEach) {
    host.takeOver();
    host.publish({0xFFFF, 0x8000, 0x0000, 0x10000, 0, 0, 0, 0, 0, 0, 0, 0});
    watch();
    ASSERT_TRUE(watcher->colours());
    EXPECT_EQ(watcher->colours()->foreground.rgba64(), QRgba64::fromRgba64(0xFFFF, 0x8000, 0x0000, 0xFFFF));
    EXPECT_EQ(watcher->colours()->error.rgba64(), QRgba64::fromRgba64(0xFFFF, 0, 0, 0xFFFF));
}

TEST_F(XcbTrayHostColoursTest, WithoutAHostThereAreNoColours) {
    watch();
    EXPECT_EQ(watcher->colours(), std::nullopt);
}

}  // namespace
}  // namespace quillmark::testing
