// The engine's byte stream, read the way the client reads it: split at NULs in reads of any size,
// decoded, and applied to the monitor state and the meters of the control-room output.
#include "FuzzCheck.h"
#include "ManualMainQueue.h"
#include "core/ChannelLayout.h"
#include "core/MeterStore.h"
#include "core/MixerMessageBuffer.h"
#include "core/MixerMessageDecoder.h"
#include "core/MixerRequest.h"
#include "core/MonitorPaths.h"
#include "core/MonitorStateStore.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace quillmark;
using quillmark::fuzz::check;

namespace {

constexpr std::string_view kMonitorLevelProperty = "CRMonitorLevel";

// What discovery does with a report: the children become path segments of later requests, and such a
// request either goes out as one NUL-free text or is refused before it reaches the wire.
void walkLikeDiscovery(const MixerFrame& frame) {
    if (!frame.isContainer()) return;
    const bool device = frame.isDeviceNode();
    const bool controlRoom = frame.properties().contains(kMonitorLevelProperty);
    for (const std::string& child : frame.children()) {
        const MonitorPaths paths = MonitorPaths::forDevice(child, child);
        for (const std::string& path : paths.allSubscriptions()) {
            const MixerRequest request = MixerRequest::subscribe(path);
            if (request.holdsNul()) continue;
            check(request.wireString().find('\0') == std::string::npos, "a request built from reports has no NUL");
        }
        if (!device && !controlRoom) break;  // one child is enough to exercise the rest
    }
}

void checkMeters(const MeterStore& meters) {
    for (const MeterChannel& channel : meters.channels()) {
        check(!std::isnan(channel.peak), "a meter peak is a number");
        check(channel.peak >= MeterFloor::dB, "a meter peak never falls below the floor");
    }
}

class ReceivePath {
public:
    ReceivePath() : meters_(queue_) { meters_.setChannels(ChannelLayout::channels("7.1.4", MeterChannelOrder::film)); }

    void ingest(std::string_view bytes) {
        buffer_.ingest(bytes, [this](std::string_view message) { take(message); });
    }

    void advance(std::chrono::milliseconds step) {
        queue_.advance(step);
        checkMeters(meters_);
    }

    const std::vector<std::string>& messages() const { return messages_; }
    std::size_t pendingBytes() const { return buffer_.pendingBytes(); }

private:
    void take(std::string_view message) {
        check(message.find('\0') == std::string_view::npos, "a message holds no NUL");
        messages_.emplace_back(message);
        const auto decoded = MixerMessageDecoder::decodeMessage(message);
        const auto frame = MixerMessageDecoder::decode(message);
        check(frame.has_value() == (decoded && !decoded->isRefusal), "decode gives exactly the reports");
        if (!decoded) return;
        if (decoded->isRefusal) return;
        walkLikeDiscovery(decoded->frame);
        const auto event = monitor_.apply(decoded->frame, paths_);
        if (event == MonitorEvent::surround)
            meters_.setChannels(ChannelLayout::channels(monitor_.snapshot().surroundMode, MeterChannelOrder::film));
        meters_.apply(decoded->frame, paths_.crOutputBase);
    }

    testing::ManualMainQueue queue_;
    MonitorPaths paths_ = MonitorPaths::apolloX8();
    MixerMessageBuffer buffer_;
    MonitorStateStore monitor_;
    MeterStore meters_;
    std::vector<std::string> messages_;
};

// The messages of the whole stream read at once: what any split into reads must give.
std::vector<std::string> splitAtNuls(std::string_view stream) {
    std::vector<std::string> messages;
    for (std::size_t end; (end = stream.find('\0')) != std::string_view::npos; stream.remove_prefix(end + 1))
        messages.emplace_back(stream.substr(0, end));
    return messages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    ReceivePath path;
    std::string stream;
    while (provider.remaining_bytes() > 0) {
        // Read sizes and pauses come from the input's tail, the bytes themselves from its head.
        const auto readSize = provider.ConsumeIntegralInRange<std::size_t>(1, 2048);
        const auto pause = std::chrono::milliseconds(provider.ConsumeIntegralInRange<int>(0, 2000));
        const std::string bytes = provider.ConsumeBytesAsString(readSize);
        stream += bytes;
        path.ingest(bytes);
        path.advance(pause);
    }
    check(path.messages() == splitAtNuls(stream), "the messages do not depend on where reads end");
    const std::size_t lastNul = stream.rfind('\0');
    const std::size_t tail = lastNul == std::string::npos ? stream.size() : stream.size() - lastNul - 1;
    check(path.pendingBytes() == tail, "only the unterminated tail waits");
    return 0;
}
