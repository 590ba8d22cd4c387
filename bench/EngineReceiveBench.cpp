// Frames per second through the engine client's receive path: a realistic meter stream (24 channels of
// value frames, as the engine reports them at 30 Hz) split at NULs, decoded and delivered through a main
// queue. One benchmark runs the path in process on 64 KiB reads; the other runs the whole client against
// a loopback peer that writes the stream as fast as the socket takes it.
#include "core/MixerEngineClient.h"
#include "core/MixerMessageBuffer.h"
#include "core/MixerMessageDecoder.h"

#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillmark {
namespace {

constexpr int kChannels = 24;
constexpr std::size_t kReadSize = 65536;

// One second of meter reports: 30 rounds of every channel's level, NUL-terminated.
std::string meterStream(int rounds = 30) {
    std::string stream;
    char message[160];
    for (int round = 0; round < rounds; ++round)
        for (int channel = 0; channel < kChannels; ++channel) {
            const double level = -96.0 + (round * kChannels + channel) % 960 / 10.0;
            const int length = std::snprintf(
                message, sizeof message, R"({"path":"/devices/0/outputs/22/meters/%d/MeterLevel/value","data":%.6f})",
                channel, level);
            stream.append(message, static_cast<std::size_t>(length));
            stream += '\0';
        }
    return stream;
}

// Runs posted work at once, as a main queue that keeps up would.
class InlineMainQueue final : public MainQueue {
public:
    void post(Work work) override { work(); }
    Handle postAfter(Clock::duration, Work work) override {
        work();
        return Handle::make();
    }
    Clock::time_point now() const override { return Clock::now(); }
};

void BM_SplitDecodeDeliver(benchmark::State& state) {
    const std::string stream = meterStream();
    InlineMainQueue queue;
    std::int64_t delivered = 0;
    const std::function<void(MixerFrame)> consumer = [&](MixerFrame frame) {
        delivered += frame.isValue();
        benchmark::DoNotOptimize(frame);
    };
    MixerMessageBuffer buffer;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += kReadSize)
            buffer.ingest(std::string_view(stream).substr(at, kReadSize), [&](std::string_view message) {
                if (auto frame = MixerMessageDecoder::decode(message))
                    queue.post([&consumer, frame = std::move(*frame)]() mutable { consumer(std::move(frame)); });
            });
    }
    state.SetItemsProcessed(delivered);
    state.SetBytesProcessed(static_cast<std::int64_t>(stream.size()) * state.iterations());
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(delivered), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SplitDecodeDeliver)->Unit(benchmark::kMillisecond);

// A peer that writes the meter stream over and over to whoever connects, until told to stop.
class StreamingPeer {
public:
    StreamingPeer() : acceptor_(io_, {asio::ip::address_v4::loopback(), 0}) {
        thread_ = std::thread([this] {
            const std::string stream = meterStream(300);
            asio::ip::tcp::socket socket(io_);
            asio::error_code error;
            acceptor_.accept(socket, error);
            while (!error && !stop_) asio::write(socket, asio::buffer(stream), error);
        });
    }
    ~StreamingPeer() {
        stop_ = true;
        thread_.join();
    }
    std::uint16_t port() const { return acceptor_.local_endpoint().port(); }

private:
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_ClientOverLoopback(benchmark::State& state) {
    StreamingPeer peer;
    InlineMainQueue queue;
    std::mutex mutex;
    std::condition_variable changed;
    std::int64_t delivered = 0;
    bool ready = false;
    MixerEngineClient client(MixerEngineClient::defaultHost, peer.port());
    auto states = client.states(queue, [&](MixerEngineClient::ConnectionState connection) {
        std::lock_guard lock(mutex);
        ready = connection == MixerEngineClient::ConnectionState::ready();
        changed.notify_all();
    });
    auto frames = client.frames(queue, [&](MixerFrame) {
        std::lock_guard lock(mutex);
        if (++delivered % 1024 == 0) changed.notify_all();
    });
    client.connect();
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return ready; });
    }
    constexpr std::int64_t batch = 100'000;
    std::int64_t total = 0;
    for (auto _ : state) {
        std::unique_lock lock(mutex);
        const std::int64_t target = delivered + batch;
        changed.wait(lock, [&] { return delivered >= target; });
        total += batch;
    }
    state.SetItemsProcessed(total);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
    frames.reset();
    client.disconnect();
}
BENCHMARK(BM_ClientOverLoopback)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quillmark

BENCHMARK_MAIN();
