// The meter window's work for one meter-store notification while a 12-channel layout (7.1.4)
// streams at 30 frames per second per meter: the store takes the frames and notifies in virtual
// time, the view (shown on the offscreen platform) asks for its repaint, and Qt's repaint manager
// paints it through the raster backing store. Time per notification, and what was painted.
#include "VirtualMainQueue.h"
#include "app/meters/MeterView.h"
#include "core/ChannelLayout.h"
#include "core/MeterStore.h"

#include <QApplication>
#include <QPaintEvent>

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace quillmark;

// Counts the paint events of the view and the pixels they cover.
class PaintCount : public QObject {
public:
    std::int64_t paints = 0;
    std::int64_t pixels = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                pixels += static_cast<std::int64_t>(rect.width()) * rect.height();
        }
        return false;
    }
};

// Programme-like levels (the stand-in's shape): a slow swell, a beat and a flutter around -20 dB,
// with a 0 dB peak every 5 s, staggered between meters.
double programmeLevel(int meter, int frame) {
    constexpr double rate = 30;
    const int period = static_cast<int>(5 * rate);
    if ((frame + meter * 21) % period == 0) return 0.0;
    const double t = frame / rate;
    const double phase = 1.3 * meter;
    const double tau = 2 * std::numbers::pi;
    return -20 + 7 * std::sin(tau * 0.11 * t + phase) + 5 * std::sin(tau * 1.9 * t + 2 * phase) +
           2 * std::sin(tau * 7.3 * t + 3 * phase);
}

void BM_MeterNotificationRepaint714(benchmark::State& state) {
    const std::string base = "/devices/0/outputs/22";
    VirtualMainQueue queue;
    MeterStore store(queue);
    MeterView view;
    view.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    PaintCount count;
    view.installEventFilter(&count);
    store.observe([&](const std::vector<MeterChannel>& channels) { view.setChannels(channels); });
    store.setChannels(ChannelLayout::channels("7.1.4", MeterChannelOrder::film));
    view.setSurroundModeText("7.1.4");
    view.show();
    QCoreApplication::processEvents();

    std::vector<std::string> paths;
    for (const MeterChannel& channel : store.channels())
        paths.push_back(base + "/meters/" + std::to_string(channel.meterIndex) + "/MeterLevel/value");
    const auto framePeriod = std::chrono::nanoseconds(1'000'000'000 / 30);
    int frame = 0;
    auto step = [&] {
        for (std::size_t meter = 0; meter < paths.size(); ++meter)
            store.apply({paths[meter], JSONValue(programmeLevel(static_cast<int>(meter), frame))}, base);
        ++frame;
        queue.advance(framePeriod);  // the batching pass notifies the view
        QCoreApplication::processEvents();
    };
    for (int warm = 0; warm < 60; ++warm) step();

    count.paints = 0;
    count.pixels = 0;
    for (auto _ : state) step();
    const auto steps = static_cast<double>(state.iterations());
    state.counters["paints_per_notification"] = static_cast<double>(count.paints) / steps;
    state.counters["pixels_per_notification"] = static_cast<double>(count.pixels) / steps;
}

// 480 x 360 is the medium window size; 960 x 540 a large one.
BENCHMARK(BM_MeterNotificationRepaint714)->Args({480, 360})->Args({960, 540})->Unit(benchmark::kMicrosecond);

}  // namespace
