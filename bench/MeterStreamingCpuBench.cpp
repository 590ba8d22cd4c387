// The application side's CPU while the stand-in engine streams a 12-channel layout (7.1.4) at 30
// frames per second per meter: the real engine client, the meter store and the meter window,
// shown on the offscreen platform and painting through Qt's raster backing store. The engine
// stand-in is a separate process, so this process's CPU time (all its threads) is the app's.
#include "app/QtMainQueue.h"
#include "app/meters/MeterSubscriptionManager.h"
#include "app/meters/MeterWindowController.h"
#include "app/settings/MemoryUserDefaults.h"
#include "core/ChannelLayout.h"
#include "core/MeterStore.h"
#include "core/MixerEngineClient.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

using namespace quillmark;

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The stand-in on a free port; returns the port, or 0 when it did not start.
std::uint16_t startEngineStandIn(QProcess& sim) {
    sim.start(QStringLiteral(QUILLMARK_ENGINE_SIM_PATH), {"--port", "0", "--meter-rate", "30", "--surround", "7.1.4"});
    if (!sim.waitForStarted(5000)) return 0;
    QElapsedTimer timer;
    timer.start();
    while (!sim.canReadLine() && timer.elapsed() < 5000) sim.waitForReadyRead(100);
    const QByteArray line = sim.readLine().trimmed();  // "listening on 127.0.0.1:<port>"
    return static_cast<std::uint16_t>(line.mid(line.lastIndexOf(':') + 1).toUInt());
}

void BM_Streaming12ChannelsAt30fps(benchmark::State& state) {
    const std::string base = "/devices/0/outputs/22";
    QProcess sim;
    const std::uint16_t port = startEngineStandIn(sim);
    if (port == 0) {
        state.SkipWithError("engine stand-in did not start");
        return;
    }
    QtMainQueue queue;
    MemoryUserDefaults defaults;
    MeterStore store(queue);
    MeterWindowController window(store, defaults, queue);
    MixerEngineClient client("127.0.0.1", port);
    MeterSubscriptionManager meters(client, queue, base);

    std::int64_t meterFrames = 0;
    std::int64_t notifications = 0;
    store.observe([&](const std::vector<MeterChannel>&) { ++notifications; });
    auto frames = client.frames(queue, [&](MixerFrame frame) { meterFrames += store.apply(frame, base); });
    const auto layout = ChannelLayout::channels("7.1.4", MeterChannelOrder::film);
    store.setChannels(layout);
    window.setSurroundMode("7.1.4");
    // As the application does: subscribe when the window shows, and again on every new connection.
    window.onShow = [&] { meters.ensureSubscribed(static_cast<std::int64_t>(layout.size()) - 1); };
    auto states = client.states(queue, [&](MixerEngineClient::ConnectionState connection) {
        if (connection != MixerEngineClient::ConnectionState::ready() || meters.subscribedCount == 0) return;
        const std::int64_t count = meters.subscribedCount;
        meters.subscribedCount = 0;
        meters.ensureSubscribed(count - 1);
    });
    window.show();
    client.connect();
    runEventLoopFor(1000);  // connected, subscribed and streaming

    const int measureMs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::int64_t framesBefore = meterFrames;
        const std::int64_t notificationsBefore = notifications;
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = processCpuSeconds();
        runEventLoopFor(measureMs);
        const double cpu = processCpuSeconds() - cpuBefore;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["cpu_percent"] = 100.0 * cpu / seconds;
        state.counters["meter_frames_per_s"] = static_cast<double>(meterFrames - framesBefore) / seconds;
        state.counters["view_updates_per_s"] = static_cast<double>(notifications - notificationsBefore) / seconds;
    }
    client.disconnect();
    sim.terminate();
    sim.waitForFinished(3000);
}

BENCHMARK(BM_Streaming12ChannelsAt30fps)->Arg(5000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
