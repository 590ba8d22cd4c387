#include "core/MonitorPathDiscovery.h"

#include "core/MixerEngineClient.h"
#include "log/SystemLog.h"

#include <asio/co_spawn.hpp>

#include <exception>
#include <string>

namespace quillmark {

namespace {

constexpr std::string_view kMonitorLevelProperty = "CRMonitorLevel";

// The first output of `device`, in children order, that carries the monitor level.
asio::awaitable<std::optional<MonitorPaths>> findControlRoomOutput(MixerEngineClient& client, std::string device,
                                                                   double timeoutSeconds) {
    const std::string outputsPath = "/devices/" + device + "/outputs";
    const std::optional<MixerFrame> outputs = co_await client.asyncGet(outputsPath, timeoutSeconds);
    if (!outputs || !outputs->isContainer()) co_return std::nullopt;
    for (const std::string& output : outputs->children()) {
        const std::optional<MixerFrame> node = co_await client.asyncGet(outputsPath + "/" + output, timeoutSeconds);
        if (node && node->properties().contains(kMonitorLevelProperty))
            co_return MonitorPaths::forDevice(device, output);
    }
    co_return std::nullopt;
}

}  // namespace

asio::awaitable<std::optional<MonitorPaths>> MonitorPathDiscovery::discover(MixerEngineClient& client,
                                                                            double timeoutSeconds) {
    const std::optional<MixerFrame> devices = co_await client.asyncGet("/devices", timeoutSeconds);
    if (!devices || !devices->isContainer()) co_return std::nullopt;
    for (const std::string& device : devices->children()) {
        std::optional<MonitorPaths> found = co_await findControlRoomOutput(client, device, timeoutSeconds);
        if (found) co_return found;
    }
    co_return std::nullopt;
}

void MonitorPathDiscovery::start(MixerEngineClient& client, MainQueue& queue,
                                 std::function<void(std::optional<MonitorPaths>)> completion, double timeoutSeconds) {
    auto deliver = [&queue, completion = std::move(completion)](std::exception_ptr error,
                                                                std::optional<MonitorPaths> result) mutable {
        if (error) {
            // The walk cannot throw by design; should it, the caller still hears "nothing found".
            SystemLog::write("Monitor path discovery ended with an error; no paths discovered");
            result.reset();
        }
        queue.post([completion = std::move(completion), result = std::move(result)] { completion(result); });
    };
    asio::co_spawn(client.executor(), discover(client, timeoutSeconds), std::move(deliver));
}

}  // namespace quillmark
