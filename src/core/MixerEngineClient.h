#pragma once

#include "base/MainQueue.h"
#include "base/Uuid.h"
#include "base/WeakGuard.h"
#include "core/MixerFrame.h"
#include "core/MixerMessageBuffer.h"
#include "core/MixerRequest.h"

#include <asio/awaitable.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace quillmark {

// The one connection to the mixer engine: connects and reconnects with back-off, keeps the connection
// alive, writes requests, splits and decodes what the engine sends, answers gets, and publishes frames
// and connection states (a message the engine marks as an error refuses a request and is never published
// as a frame). It owns one io_context and the one engine thread that runs it; its fields are touched only
// there. Every public operation is safe from any thread and takes effect on the engine thread in call order.
class MixerEngineClient {
public:
    class ConnectionState {
    public:
        enum class Kind { waiting, failed, idle, connecting, ready, cancelled };

        // waiting: why the connection cannot be made now; failed: why it ended.
        static ConnectionState waiting(std::string text) { return {Kind::waiting, std::move(text)}; }
        static ConnectionState failed(std::string text) { return {Kind::failed, std::move(text)}; }
        static ConnectionState idle() { return {Kind::idle, {}}; }
        static ConnectionState connecting() { return {Kind::connecting, {}}; }
        static ConnectionState ready() { return {Kind::ready, {}}; }
        static ConnectionState cancelled() { return {Kind::cancelled, {}}; }

        ConnectionState() = default;  // idle
        Kind kind() const noexcept { return kind_; }
        // The text of waiting and failed; empty for the other cases.
        const std::string& text() const noexcept { return text_; }
        // "connecting", "waiting(Connection refused)", ...
        std::string description() const;

        friend bool operator==(const ConnectionState&, const ConnectionState&) = default;

    private:
        ConnectionState(Kind kind, std::string text) : kind_(kind), text_(std::move(text)) {}
        Kind kind_ = Kind::idle;
        std::string text_;
    };

    // The delays the client waits. Defaults are the production figures; tests shrink them.
    struct Timing {
        // Back-off after the n-th consecutive failure: min(backoffUnit * 2^min(n, 4), backoffCap).
        double backoffUnitSeconds = 0.5;
        double backoffCapSeconds = 8.0;
        double connectTimeoutSeconds = 3.0;
        double keepAliveSeconds = 3.0;
    };

    // Delivers a stream's elements while alive; destroying (or resetting) it ends the stream.
    class Stream {
    public:
        Stream() = default;
        Stream(Stream&&) noexcept = default;
        Stream& operator=(Stream&& other) noexcept;
        Stream(const Stream&) = delete;
        Stream& operator=(const Stream&) = delete;
        ~Stream();

        void reset();
        bool isActive() const noexcept { return closed_ != nullptr; }

    private:
        friend class MixerEngineClient;
        explicit Stream(std::shared_ptr<std::atomic<bool>> closed) : closed_(std::move(closed)) {}
        std::shared_ptr<std::atomic<bool>> closed_;
    };

    using Executor = asio::io_context::executor_type;

    static constexpr std::string_view defaultHost = "127.0.0.1";
    static constexpr std::uint16_t defaultPort = 4710;
    // Bytes of requests waiting for the socket to take them, beyond which the connection counts as failed:
    // an engine that keeps the socket open but stops reading would otherwise make the queue grow forever.
    static constexpr std::size_t maximumUnsentBytes = 1 << 20;

    // Runs first on the engine thread, before any of its work: the application prepares the thread there
    // as it prepares every thread it starts (its crash handling's alternate signal stack).
    using ThreadStart = std::function<void()>;

    // Stores the endpoint and starts the engine thread. Nothing connects yet.
    explicit MixerEngineClient(std::string_view host = defaultHost, std::uint16_t port = defaultPort);
    MixerEngineClient(std::string_view host, std::uint16_t port, Timing timing, ThreadStart threadStart = {});
    // Stops the engine thread and releases everything; no callback runs on the engine thread afterwards
    // and coroutines spawned on executor() are destroyed without being resumed.
    ~MixerEngineClient();
    MixerEngineClient(const MixerEngineClient&) = delete;
    MixerEngineClient& operator=(const MixerEngineClient&) = delete;

    // Each frame (then each state) from now on, in order, through `queue`, until the handle is dropped.
    // The frames of one read from the socket go through `queue` as one piece of work, one call each.
    // A new call replaces the stream stored before (which then receives nothing more). Nothing is replayed.
    // `queue` must outlive the client or the handle, whichever ends last; the callback may be released on
    // the engine thread.
    Stream frames(MainQueue& queue, std::function<void(MixerFrame)> onFrame);
    Stream states(MainQueue& queue, std::function<void(ConnectionState)> onState);

    // Connects, and reconnects after every loss, until disconnect().
    void connect();
    // Stops, closes the connection and reports cancelled.
    void disconnect();
    // Writes the request if connected; otherwise drops it. A request holding a NUL byte is never written.
    // One that takes the unsent bytes past maximumUnsentBytes fails the connection instead, which then
    // backs off and reconnects like after any other failure.
    void send(MixerRequest request);

    // The first frame whose path equals `path`, or no frame after `timeoutSeconds`, on teardown, at once
    // when the engine refuses the path, at once without a connection, or at once for a path holding a
    // NUL byte. Delivered through `queue`.
    void get(std::string path, double timeoutSeconds, MainQueue& queue,
             std::function<void(std::optional<MixerFrame>)> completion);
    // The same, for a coroutine; it resumes on the engine thread. Await it from a coroutine spawned on
    // executor().
    asio::awaitable<std::optional<MixerFrame>> asyncGet(std::string path, double timeoutSeconds);

    // The engine thread's executor, for spawning coroutines that use asyncGet. Such a coroutine may keep a
    // plain reference to the client: the client outlives every resumption on this executor.
    Executor executor() noexcept { return io_.get_executor(); }
    // Expires when the client starts being destroyed: work posted elsewhere (a MainQueue) holds this to
    // know whether the client still exists before touching it.
    std::weak_ptr<const void> lifetime() const noexcept { return guard_.watch(); }

    // The back-off delay in seconds after `attempt` consecutive failures (0 gives the first step).
    static double backoffDelay(std::int64_t attempt, const Timing& timing) noexcept;

private:
    struct Connection;
    struct Task;
    template <class T>
    struct StreamLink;
    struct PendingGet {
        std::string path;
        std::function<void(std::optional<MixerFrame>)> continuation;
        std::shared_ptr<asio::steady_timer> timeout;
    };

    void beginGet(Uuid id, std::string path, double timeoutSeconds,
                  std::function<void(std::optional<MixerFrame>)> continuation);
    void resolvePendingGet(const Uuid& id, std::optional<MixerFrame> frame);
    void scheduleConnect(double afterSeconds);
    void startConnectTask(double delaySeconds);
    void openConnection();
    void teardownConnection();
    void handleTransportError(const std::shared_ptr<Connection>& connection, const std::error_code& error);
    void failConnection(ConnectionState reported);
    void handleReady(const std::shared_ptr<Connection>& connection);
    void backOff();
    void startReceiveLoop();
    void receiveNext(std::shared_ptr<Task> task, std::shared_ptr<Connection> connection, std::uint64_t epoch);
    void endReceiveLoop(const std::shared_ptr<Connection>& connection, std::uint64_t epoch);
    void ingest(std::string_view bytes);
    void decodeAndYield(std::string_view message);
    void yieldReceivedFrames();
    void startKeepAlive();
    void keepAliveNext(std::shared_ptr<Task> task);
    void write(std::string text);
    void writeNext(std::shared_ptr<Connection> connection);
    void yieldState(ConnectionState state);
    static void rejectNul(std::string_view what, std::string_view verb, std::string_view path);

    // Declared first: destroyed last, after everything that uses it.
    asio::io_context io_;
    const std::string host_;
    const std::uint16_t port_;
    const Timing timing_;
    std::shared_ptr<Connection> connection_;
    MixerMessageBuffer readBuffer_;
    std::vector<MixerFrame> receivedFrames_;  // decoded from the current read, not yet yielded
    std::shared_ptr<StreamLink<MixerFrame>> framesContinuation_;
    std::shared_ptr<StreamLink<ConnectionState>> stateContinuation_;
    std::shared_ptr<Task> keepAliveTask_;
    std::shared_ptr<Task> receiveLoopTask_;
    std::shared_ptr<Task> retryTask_;
    std::int64_t retryAttempt_ = 0;
    bool disconnectRequested_ = false;
    std::uint64_t disconnectEpoch_ = 0;
    std::unordered_map<Uuid, PendingGet> pendingGets_;
    WeakGuard guard_;
    std::thread thread_;
};

std::ostream& operator<<(std::ostream& stream, const MixerEngineClient::ConnectionState& state);

}  // namespace quillmark
