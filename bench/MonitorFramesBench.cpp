// Frames per second through the frame loop's two stores: MonitorStateStore::apply, then, for frames it
// does not take, MeterStore::apply. A 24-channel layout metered at the engine's rate, in virtual time.
#include "VirtualMainQueue.h"
#include "core/ChannelLayout.h"
#include "core/MeterStore.h"
#include "core/MonitorStateStore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace quillmark {
namespace {

void MonitorThenMeterApply(benchmark::State& state) {
    constexpr int meterRatePerChannel = 30;  // frames per second per meter, as the engine sends them
    const MonitorPaths& paths = MonitorPaths::apolloX8();
    VirtualMainQueue queue;
    MonitorStateStore monitor;
    MeterStore meters(queue);
    monitor.observe([](const MonitorSnapshot& snapshot, const MonitorEvent&) { benchmark::DoNotOptimize(&snapshot); });
    meters.observe([](const std::vector<MeterChannel>& channels) { benchmark::DoNotOptimize(channels.data()); });
    meters.setChannels(ChannelLayout::channels("22.2", MeterChannelOrder::film));

    std::vector<MixerFrame> frames;
    for (const MeterChannel& channel : meters.channels())
        for (int step = 0; step < 8; ++step)
            frames.push_back(
                {paths.crOutputBase + "/meters/" + std::to_string(channel.meterIndex) + "/MeterLevel/value",
                 JSONValue(-60.0 + 8.0 * step + static_cast<double>(channel.meterIndex) / 4)});
    const auto frameSpacing = std::chrono::nanoseconds(1'000'000'000 / (meterRatePerChannel * 24));

    std::size_t next = 0;
    std::int64_t taken = 0;
    for (auto _ : state) {
        const MixerFrame& frame = frames[next];
        next = next + 1 == frames.size() ? 0 : next + 1;
        if (!monitor.apply(frame, paths)) taken += meters.apply(frame, paths.crOutputBase);
        queue.advance(frameSpacing);
    }
    if (taken != static_cast<std::int64_t>(state.iterations())) state.SkipWithError("a meter frame was refused");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(MonitorThenMeterApply);

}  // namespace
}  // namespace quillmark

BENCHMARK_MAIN();
