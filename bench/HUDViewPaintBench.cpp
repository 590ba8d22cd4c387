// One HUD paint on the software raster at each HUD size, as a level change repaints it: the level
// steps by 0.5 dB between paints, so the bar and its glow tip move every time. A second case lights
// every chip (mute, so no glow tip).
#include "app/hud/HUDView.h"
#include "app/look/HUDFonts.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace quillmark;

MonitorSnapshot levelAt(double db) {
    MonitorSnapshot snapshot;
    snapshot.levelDB = db;
    snapshot.mute = false;
    snapshot.dim = false;
    snapshot.mono = false;
    snapshot.altMonSelection = 0;
    snapshot.surroundMode = "STEREO";
    return snapshot;
}

MonitorSnapshot everyChipLit() {
    MonitorSnapshot snapshot = levelAt(-18);
    snapshot.mute = true;
    snapshot.dim = true;
    snapshot.talkback = true;
    snapshot.altMonSelection = 2;
    snapshot.surroundMode = "7.1.4";
    snapshot.surroundStereoFoldDown = true;
    return snapshot;
}

void paint(benchmark::State& state, bool allLit) {
    HUDFonts::ensureRegistered();
    const auto size = static_cast<HUDSize>(state.range(0));
    const double scale = HUDView::scaleFor(size);
    HUDView view;
    view.setSize(size);
    view.resize(static_cast<int>(std::lround(240 * scale)), static_cast<int>(std::lround(88 * scale)));
    view.setAppearance(HUDAppearance::dark);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    double level = -30;
    for (auto _ : state) {
        level = level > -10 ? -30 : level + 0.5;
        MonitorSnapshot snapshot = allLit ? everyChipLit() : levelAt(level);
        view.update(snapshot, MonitorEvent::level, 0, std::nullopt);
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_HUDViewPaintLevel(benchmark::State& state) { paint(state, false); }
void BM_HUDViewPaintAllChipsLit(benchmark::State& state) { paint(state, true); }

// 0, 1, 2: small, medium, large.
BENCHMARK(BM_HUDViewPaintLevel)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HUDViewPaintAllChipsLit)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
