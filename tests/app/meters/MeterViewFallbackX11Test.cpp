// The meter view on an X server of 16-bit colour, whose pixels are not an RGB32 image's bytes:
// it does not draw onto its window itself but paints through Qt, and shows the same picture.
#include "MeterViewDirectTestSupport.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

// Whether the strips of `shown` are those of `full` as a 16-bit display keeps them: each channel
// within its lost low bits. Text is left out: Qt blends its edges otherwise at 16 bits.
bool stripsMatchAt16Bits(const QImage& shown, const QImage& full, std::size_t count) {
    if (shown.size() != full.size()) return false;
    const QRect strips = MeterView::stripRect(full.size(), count, 0)
                             .toAlignedRect()
                             .united(MeterView::stripRect(full.size(), count, count - 1).toAlignedRect());
    for (int y = strips.top(); y <= strips.bottom(); ++y) {
        for (int x = strips.left(); x <= strips.right(); ++x) {
            const QRgb a = shown.pixel(x, y), b = full.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > 8 || std::abs(qGreen(a) - qGreen(b)) > 4 ||
                std::abs(qBlue(a) - qBlue(b)) > 8)
                return false;
        }
    }
    return true;
}

TEST(MeterViewFallbackX11Test, PaintsThroughQtWhereItCannotDrawDirectly) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    testApplication<QApplication>();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    RecordingMeterView view;
    EXPECT_FALSE(view.drawsDirectly());

    std::vector<MeterChannel> channels;
    for (const auto& definition : ChannelLayout::channels("7.1.4", MeterChannelOrder::film))
        channels.push_back({definition.label, definition.meterIndex, -20, -12, false});
    view.resize(480, 360);
    view.setChannels(channels);
    view.show();
    StreamLikeChanges changes(5);
    for (int step = 0; step < 20; ++step) {
        changes.step(channels);
        view.setChannels(channels);
    }
    const bool shown =
        pollUntil([&] { return stripsMatchAt16Bits(onScreen(view), renderMeters(view), channels.size()); }, 5000ms,
                  [] { QApplication::processEvents(); });
    EXPECT_TRUE(shown) << "the window never showed a full paint of the last state";
    EXPECT_FALSE(view.painted.empty()) << "streamed changes should have gone through paint events";
}

}  // namespace
}  // namespace quillmark::testing
