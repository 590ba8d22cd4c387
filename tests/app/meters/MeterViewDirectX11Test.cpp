// The meter view drawing onto its own window on a real X server: what the server shows is, to the
// pixel, what a full paint of the same state draws, however the stream changed it.
#include "app/meters/MeterView.h"

#include "MeterViewTestSupport.h"
#include "PollUntil.h"
#include "TestApplication.h"
#include "core/ChannelLayout.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

std::vector<MeterChannel> channelsOf(const char* mode) {
    std::vector<MeterChannel> channels;
    for (const auto& definition : ChannelLayout::channels(mode, MeterChannelOrder::film))
        channels.push_back({definition.label, definition.meterIndex, -20, -12, false});
    return channels;
}

struct DirectCase {
    const char* name;
    QSize size;
    const char* mode;
    bool dark;
};

void PrintTo(const DirectCase& c, std::ostream* os) { *os << c.name; }

class MeterViewDirectX11Test : public ::testing::TestWithParam<DirectCase> {
protected:
    static void SetUpTestSuite() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }

    // The window's pixels as the server has them; the request follows ours on one connection.
    QImage onScreen() {
        return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    std::optional<QPoint> staleAgainstFullPaint() { return firstDifference(onScreen(), renderMeters(view)); }
    // Shown, exposed and painted in full.
    void showAndSettle() {
        view.show();
        const bool settled =
            pollUntil([&] { return !staleAgainstFullPaint(); }, 5000ms, [] { QApplication::processEvents(); });
        ASSERT_TRUE(settled) << "the first paint never matched a full paint";
    }

    QApplication& application = testApplication<QApplication>();
    RecordingMeterView view;
};

// Streamed changes go out without a paint event; whole paints (a new appearance, a new mode text,
// a hide and show) come in between, and the gradient kept on the server follows the appearance.
TEST_P(MeterViewDirectX11Test, TheWindowShowsAFullPaintAfterEveryChange) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const DirectCase& c = GetParam();
    ASSERT_TRUE(view.drawsDirectly());
    auto channels = channelsOf(c.mode);
    view.setDarkAppearance(c.dark);
    view.resize(c.size);
    view.setChannels(channels);
    showAndSettle();

    StreamLikeChanges changes(29);
    for (int step = 0; step < 240; ++step) {
        if (step == 80) view.setDarkAppearance(!c.dark);
        if (step == 120) view.setSurroundModeText(QStringLiteral("5.1"));
        if (step == 160) {
            view.hide();
            showAndSettle();
        }
        QApplication::processEvents();
        changes.step(channels);
        view.painted.clear();
        view.setChannels(channels);
        EXPECT_TRUE(view.painted.empty()) << "step " << step << ": a streamed change went through a paint event";
        const auto stale = staleAgainstFullPaint();
        ASSERT_FALSE(stale) << "step " << step << ": stale pixel at " << stale->x() << ", " << stale->y();
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeterViewDirectX11Test,
                         ::testing::Values(DirectCase{"Wide714", {480, 360}, "7.1.4", false},
                                           DirectCase{"Narrow714Dark", {220, 320}, "7.1.4", true},
                                           DirectCase{"TwentyTwoTwoOverflowing", {200, 360}, "22.2", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmark::testing
