// One meter-view paint on the software raster: 24 channels (the 22.2 layout) at the window's
// initial, medium and large sizes, in full and for one changed strip.
#include "app/meters/MeterView.h"
#include "core/ChannelLayout.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

using namespace quillmark;

std::vector<MeterChannel> twentyFourChannels() {
    std::vector<MeterChannel> channels;
    double level = -3;
    for (const auto& definition : ChannelLayout::channels("22.2", MeterChannelOrder::film)) {
        channels.push_back({definition.label, definition.meterIndex, level, level + 2, level > -5});
        level -= 2.2;
    }
    return channels;
}

void paint(benchmark::State& state, bool oneStrip) {
    MeterView view;
    view.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    view.setChannels(twentyFourChannels());
    view.setSurroundModeText("22.2");
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    const QRegion region =
        oneStrip ? QRegion(MeterView::stripRect(view.size(), 24, 5).toAlignedRect()) : QRegion(image.rect());
    for (auto _ : state) {
        QPainter painter(&image);
        view.paint(painter, region);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_MeterViewPaint24(benchmark::State& state) { paint(state, false); }
void BM_MeterViewPaint24OneStrip(benchmark::State& state) { paint(state, true); }

// 220 x 320 is the initial window; 480 x 360 the medium size; 960 x 540 a large one.
BENCHMARK(BM_MeterViewPaint24)->Args({220, 320})->Args({480, 360})->Args({960, 540})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeterViewPaint24OneStrip)->Args({480, 360})->Unit(benchmark::kMicrosecond);

}  // namespace
