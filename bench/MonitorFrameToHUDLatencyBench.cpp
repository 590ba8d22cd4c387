// From a monitor frame written by the engine to the HUD painted with it, in one process: a loopback
// peer stands in for the engine, the application delegate is wired as at launch (engine client,
// monitor state, HUD window), and the time runs from the peer's write of a new monitor level to
// the end of the HUD window's event in which the HUD view painted that level (paint and flush).
// p50 and p99 over many frames at irregular intervals; one display frame is 16.7 ms. The second
// case streams 12 meters at 30 frames per second to the shown meter window meanwhile.
//
// Offscreen unless QT_QPA_PLATFORM says otherwise (QT_QPA_PLATFORM=xcb under Xvfb paints as on a desktop).
#include "app/AppDelegate.h"
#include "app/FirstRunQuestion.h"
#include "app/hud/HUDView.h"
#include "app/hud/HUDWindowController.h"
#include "app/look/HUDFonts.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"
#include "core/MonitorPaths.h"
#include "platform/shortcuts/NullGlobalShortcuts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace quillmark;
using Clock = std::chrono::steady_clock;

// The engine's side of one connection on an ephemeral loopback port: what the client sends is read
// and dropped (gets stay unanswered, so discovery falls back to the default paths); frames are
// written on request, ended by a NUL as the engine ends them.
class LoopbackPeer {
public:
    LoopbackPeer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 1);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        reader_ = std::thread([this] { acceptAndDrain(); });
    }
    ~LoopbackPeer() {
        ::shutdown(listener_, SHUT_RDWR);
        if (const int connection = connection_.load(); connection >= 0) ::shutdown(connection, SHUT_RDWR);
        reader_.join();
        if (connection_ >= 0) ::close(connection_);
        ::close(listener_);
    }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::uint16_t port() const { return port_; }
    bool connected() const { return connection_.load() >= 0; }

    // Writes one frame {"path": path, "data": value} now; false when there is no connection.
    bool write(const std::string& path, double value) {
        const int connection = connection_.load();
        if (connection < 0) return false;
        std::string text = R"({"path":")" + path + R"(","data":)" + std::to_string(value) + "}";
        text.push_back('\0');
        std::lock_guard lock(writing_);
        return ::send(connection, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    }

private:
    void acceptAndDrain() {
        const int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0) return;
        const int on = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connection_ = connection;
        char buffer[4096];
        while (::recv(connection, buffer, sizeof buffer, 0) > 0) {}
    }

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> connection_{-1};
    std::mutex writing_;
    std::thread reader_;
};

// The application object, noting when the HUD view has painted: at the end of the outermost event
// during which it was painted, so that the window's flush is included.
class PaintClockApplication : public QApplication {
public:
    using QApplication::QApplication;

    const QWidget* watched = nullptr;
    // Main thread only: the level the view showed at the end of its last paint, and when.
    std::optional<double> paintedLevel;
    Clock::time_point paintedAt;
    std::int64_t paints = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        ++depth_;
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        if (event->type() == QEvent::Paint && receiver == watched) viewPainted_ = true;
        if (depth_ == 0 && viewPainted_) {
            viewPainted_ = false;
            ++paints;
            paintedLevel = static_cast<const HUDView*>(watched)->snapshot().levelDB;
            paintedAt = Clock::now();
        }
        return handled;
    }

private:
    int depth_ = 0;
    bool viewPainted_ = false;
};

PaintClockApplication& paintClock() { return *static_cast<PaintClockApplication*>(QCoreApplication::instance()); }

// Runs the event loop until `done` holds or `limit` passes; false on the limit.
template <class Condition>
bool runUntil(Condition done, std::chrono::milliseconds limit) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void runFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

void BM_MonitorFrameToHUDPainted(benchmark::State& state) {
    const bool withMeters = state.range(0) != 0;
    LoopbackPeer peer;
    MemoryUserDefaults defaults;
    defaults.setBool(PreferencesStore::showMetersOnLaunchKey, withMeters);
    // A user past the first-run questions: arming asks nothing and connects.
    for (const FirstRunQuestion* question :
         {&FirstRunQuestion::launchAtLogin(), &FirstRunQuestion::automaticUpdates(), &FirstRunQuestion::crashReports()})
        defaults.setBool(question->flagKey, true);
    AppDelegate::Options options;
    options.enginePort = peer.port();
    options.defaults = &defaults;
    options.shortcuts = [] { return std::make_unique<NullGlobalShortcuts>(); };
    AppDelegate app(options);
    HUDFonts::ensureRegistered();
    app.finishLaunch();
    paintClock().watched = &app.hud().view();
    if (!runUntil([&] { return peer.connected(); }, std::chrono::seconds(5))) {
        state.SkipWithError("the client did not connect");
        return;
    }

    const MonitorPaths& paths = MonitorPaths::apolloX8();
    const std::string levelPath = paths.levelDB.valuePath();
    // 12 meters at 30 frames per second, from the main thread's own timer: part of the load.
    QTimer meters;
    int meterFrame = 0;
    QObject::connect(&meters, &QTimer::timeout, [&] {
        for (int meter = 0; meter < 12; ++meter)
            peer.write(paths.crOutputBase + "/meters/" + std::to_string(meter) + "/MeterLevel/value",
                       -20 + 8 * std::sin(0.2 * meterFrame + meter));
        ++meterFrame;
    });
    if (withMeters) meters.start(33);
    runFor(std::chrono::milliseconds(2500));  // connected, discovery fallen back, the meter window up

    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(4, 40);
    std::vector<double> latencies;
    const std::int64_t paintsBefore = paintClock().paints;
    int sample = 0;
    for (auto _ : state) {
        runFor(std::chrono::milliseconds(pause(random)));
        // Another level than the one shown, exactly representable in the frame's text.
        const double level = -60 + 0.5 * (sample % 100);
        ++sample;
        const Clock::time_point written = Clock::now();
        if (!peer.write(levelPath, level)) {
            state.SkipWithError("the peer lost its connection");
            break;
        }
        auto& clock = paintClock();
        const bool painted = runUntil([&] { return clock.paintedLevel == level; }, std::chrono::milliseconds(1000));
        if (!painted) {
            state.SkipWithError("the HUD never painted a level");
            break;
        }
        const double seconds = std::chrono::duration<double>(clock.paintedAt - written).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds * 1000);
    }
    meters.stop();
    state.counters["p50_ms"] = percentile(latencies, 0.50);
    state.counters["p99_ms"] = percentile(latencies, 0.99);
    state.counters["max_ms"] = percentile(latencies, 1.0);
    state.counters["hud_paints"] = static_cast<double>(paintClock().paints - paintsBefore);
    app.applicationWillTerminate();
}

BENCHMARK(BM_MonitorFrameToHUDPainted)
    ->ArgName("meters")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(600)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    PaintClockApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
