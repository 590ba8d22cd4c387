// quillmark-record-receive-seeds OUTPUT_DIR: records what the engine stand-in sends in one session and
// writes it, raw, as the receive path's seeds. The session is the program's own: discovery's walk of
// gets, the monitor subscriptions, the meters of 7.1.4, then changes on the engine's side (a level
// turned, the surround mode and the device going away and back, a malformed message, a refusal).
#include "EngineSimProcess.h"
#include "core/ChannelLayout.h"
#include "core/MixerMessageBuffer.h"
#include "core/MixerMessageDecoder.h"
#include "core/MixerRequest.h"
#include "core/MonitorPaths.h"

#include <asio.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace quillmark;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t kSeedBytes = 4096;

// One connection to the stand-in: requests out, every received byte kept as it came.
class Session {
public:
    explicit Session(std::uint16_t port) : socket_(io_) { socket_.connect({asio::ip::address_v4::loopback(), port}); }

    void send(const MixerRequest& request) {
        std::string text = request.wireString();
        text += '\0';
        asio::write(socket_, asio::buffer(text));
    }

    // Reads until `done` holds for a received report or `timeout` has passed; the report, if any.
    std::optional<MixerFrame> readUntil(const std::function<bool(const MixerFrame&)>& done,
                                        std::chrono::milliseconds timeout) {
        std::optional<MixerFrame> found;
        readFor(timeout, [&](const MixerFrame& frame) {
            if (!found && done(frame)) found = frame;
            return found.has_value();
        });
        return found;
    }

    void readFor(std::chrono::milliseconds duration) {
        readFor(duration, [](const MixerFrame&) { return false; });
    }

    // Everything received since the last call.
    std::string takeReceived() { return std::exchange(received_, {}); }

private:
    void readFor(std::chrono::milliseconds duration, const std::function<bool(const MixerFrame&)>& stop) {
        bool stopped = false;
        std::function<void()> next = [&] {
            socket_.async_read_some(asio::buffer(chunk_), [&](const std::error_code& error, std::size_t count) {
                if (error) return;
                const std::string_view bytes(chunk_.data(), count);
                received_ += bytes;
                buffer_.ingest(bytes, [&](std::string_view message) {
                    if (auto frame = MixerMessageDecoder::decode(message); frame && stop(*frame)) stopped = true;
                });
                if (stopped) io_.stop();
                else next();
            });
        };
        next();
        io_.restart();
        io_.run_for(duration);
        // Leave no read outstanding between phases.
        socket_.cancel();
        io_.restart();
        io_.run();
    }

    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    std::array<char, 4096> chunk_{};
    MixerMessageBuffer buffer_;
    std::string received_;
};

std::optional<MixerFrame> get(Session& session, const std::string& path) {
    session.send(MixerRequest::get(path));
    return session.readUntil([&](const MixerFrame& frame) { return frame.path == path; }, 2000ms);
}

// Discovery's walk: the devices, their outputs in order, the first output with a monitor level.
std::optional<MonitorPaths> discover(Session& session) {
    const auto devices = get(session, "/devices");
    if (!devices) return std::nullopt;
    for (const std::string& device : devices->children()) {
        const std::string outputsPath = "/devices/" + device + "/outputs";
        const auto outputs = get(session, outputsPath);
        if (!outputs) continue;
        for (const std::string& output : outputs->children()) {
            const auto node = get(session, outputsPath + "/" + output);
            if (node && node->properties().contains("CRMonitorLevel")) return MonitorPaths::forDevice(device, output);
        }
    }
    return std::nullopt;
}

// Seeds stay small: a long recording becomes several files, cut wherever the size falls.
void writeSeeds(const std::filesystem::path& directory, const std::string& name, std::string_view bytes) {
    const std::size_t count = std::max<std::size_t>(1, (bytes.size() + kSeedBytes - 1) / kSeedBytes);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string file = count == 1 ? name : name + "-" + std::to_string(i + 1);
        std::ofstream(directory / file, std::ios::binary) << bytes.substr(i * kSeedBytes, kSeedBytes);
    }
    std::cout << name << ": " << bytes.size() << " bytes in " << count << " file(s)\n";
}

bool control(testing::EngineSimProcess& sim, const std::string& line) {
    if (sim.control(line)) return true;
    std::cerr << "record-receive-seeds: the stand-in refused \"" << line << "\"\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quillmark-record-receive-seeds OUTPUT_DIR\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);

    testing::EngineSimProcess sim({.meterRate = 30.0, .extraArgs = {"--surround", "7.1.4"}});
    if (!sim.isRunning()) {
        std::cerr << "record-receive-seeds: the engine stand-in did not start\n";
        return 1;
    }
    Session session(sim.port());

    const auto paths = discover(session);
    if (!paths) {
        std::cerr << "record-receive-seeds: discovery found no control-room output\n";
        return 1;
    }
    writeSeeds(directory, "discovery", session.takeReceived());

    for (const std::string& path : paths->allSubscriptions()) session.send(MixerRequest::subscribe(path));
    session.readFor(300ms);
    writeSeeds(directory, "monitor-subscriptions", session.takeReceived());

    for (const MeterChannelDefinition& channel : ChannelLayout::channels("7.1.4", MeterChannelOrder::film))
        session.send(MixerRequest::subscribe(paths->crOutputBase + "/meters/" + std::to_string(channel.meterIndex) +
                                             "/MeterLevel"));
    session.readFor(400ms);
    writeSeeds(directory, "meters-7.1.4", session.takeReceived());

    session.send(MixerRequest::setRaw("/Sleep", "false"));  // the keep-alive
    session.send(MixerRequest::setProperty(paths->levelDB.base(), "-12.5"));
    session.send(MixerRequest::setProperty(paths->mute.base(), "true"));
    const bool changed = control(sim, "set " + paths->levelDB.base() + " -30") && control(sim, "surround 5.1") &&
                         control(sim, "online false") && control(sim, "online true") &&
                         control(sim, "surround 7.1.4") && control(sim, "malformed");
    if (!changed) return 1;
    session.readFor(150ms);
    writeSeeds(directory, "changes", session.takeReceived());

    if (!control(sim, "unknown refuse")) return 1;
    session.send(MixerRequest::get("/devices/9/outputs"));
    session.readUntil([](const MixerFrame&) { return false; }, 200ms);
    writeSeeds(directory, "refusal", session.takeReceived());
    return 0;
}
