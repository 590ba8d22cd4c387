#pragma once

#include "base/MainQueue.h"
#include "core/MonitorPaths.h"

#include <asio/awaitable.hpp>

#include <functional>
#include <optional>

namespace quillmark {

class MixerEngineClient;

// Finds the control-room output (the output whose properties hold "CRMonitorLevel") by walking the
// engine's tree with one get at a time, and returns its catalogue; nothing when none is found.
class MonitorPathDiscovery {
public:
    MonitorPathDiscovery() = delete;

    static constexpr double getTimeoutSeconds = 2.0;

    // The walk itself; runs on the client's engine thread (spawn it on client.executor()).
    static asio::awaitable<std::optional<MonitorPaths>> discover(MixerEngineClient& client,
                                                                 double timeoutSeconds = getTimeoutSeconds);

    // From the main thread: runs the walk on the engine thread and delivers its result through `queue`.
    // If the client is destroyed first, `completion` is never called.
    static void start(MixerEngineClient& client, MainQueue& queue,
                      std::function<void(std::optional<MonitorPaths>)> completion,
                      double timeoutSeconds = getTimeoutSeconds);
};

}  // namespace quillmark
