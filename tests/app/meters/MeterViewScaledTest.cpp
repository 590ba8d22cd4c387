// The meter view on a screen of 1.5 device pixels per point: strips are laid out and repainted in
// whole device pixels, so partial repaints must still leave exactly the picture of a full paint.
#include "MeterViewTestSupport.h"
#include "TestApplication.h"
#include "core/ChannelLayout.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

constexpr double kRatio = 1.5;

QApplication& scaledApplication() {
    // Read once, when the application is made.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kRatio));
    return testApplication<QApplication>();
}

std::vector<MeterChannel> channelsOf(const char* mode) {
    std::vector<MeterChannel> channels;
    for (const auto& definition : ChannelLayout::channels(mode, MeterChannelOrder::film))
        channels.push_back({definition.label, definition.meterIndex});
    return channels;
}

TEST(MeterViewScaled, PartialRepaintsMatchAFullPaintPixelForPixel) {
    scaledApplication();
    struct Case {
        QSize size;
        const char* mode;
    };
    // Sizes whose device pixels are whole; 220 points across 12 strips puts their edges between pixels.
    for (const Case& c : {Case{{480, 336}, "7.1.4"}, Case{{220, 320}, "7.1.4"}, Case{{200, 336}, "22.2"}}) {
        SCOPED_TRACE(c.mode + std::string(" at ") + std::to_string(c.size.width()));
        RecordingMeterView view;
        view.resize(c.size);
        expectRepaintsToMatchFullPaints(view, channelsOf(c.mode), 200, kRatio);
    }
}

}  // namespace
}  // namespace quillmark::testing
