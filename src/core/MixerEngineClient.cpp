#include "core/MixerEngineClient.h"

#include "core/MixerMessageDecoder.h"
#include "log/SystemLog.h"

#include <asio/async_result.hpp>
#include <asio/connect.hpp>
#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <ostream>
#include <vector>

#include <pthread.h>

namespace quillmark {

struct MixerEngineClient::Connection {
    explicit Connection(asio::io_context& io) : socket(io), resolver(io), connectTimer(io) {}

    asio::ip::tcp::socket socket;
    asio::ip::tcp::resolver resolver;
    asio::steady_timer connectTimer;
    bool timedOut = false;
    bool ready = false;
    // Requests wait here until the connection is ready, then go out one whole message at a time.
    std::deque<std::string> outbox;
    std::size_t unsentBytes = 0;  // the outbox's bytes, the message being written included
    bool writing = false;
    std::array<char, 65536> received{};
};

// A cancellable sleep-and-act task: cancelling wakes its timer early and makes it end.
struct MixerEngineClient::Task {
    explicit Task(asio::io_context& io) : timer(io) {}
    void cancel() {
        cancelled = true;
        timer.cancel();
    }

    asio::steady_timer timer;
    bool cancelled = false;
};

// The producer end of one stream: elements go through the consumer's queue and are dropped once the
// consumer has let go of its handle.
template <class T>
struct MixerEngineClient::StreamLink {
    MainQueue* queue;
    std::function<void(T)> consumer;
    std::shared_ptr<std::atomic<bool>> closed;
};

namespace {

constexpr std::string_view kKeepAliveText = "set /Sleep false";
constexpr std::string_view kConnectionLostText = "connection lost";
constexpr std::string_view kStoppedReadingText = "engine stopped reading requests";

asio::steady_timer::duration seconds(double value) {
    // Finite, never negative and far from the duration's overflow.
    const double bounded = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1e9);
    return std::chrono::duration_cast<asio::steady_timer::duration>(std::chrono::duration<double>(bounded));
}

template <class Link, class T>
void yieldOn(std::shared_ptr<Link>& link, T value) {
    if (!link) return;
    if (link->closed->load()) {
        link.reset();
        return;
    }
    link->queue->post([link, value = std::move(value)]() mutable {
        if (!link->closed->load()) link->consumer(std::move(value));
    });
}

// Several elements in one post: one wake-up of the consumer's thread instead of one per element. Each
// is still handed over on its own, in order, and none once the consumer has let go.
template <class Link, class T>
void yieldAllOn(std::shared_ptr<Link>& link, std::vector<T>& values) {
    if (values.empty()) return;
    if (values.size() == 1) {
        yieldOn(link, std::move(values.front()));
        values.clear();
        return;
    }
    if (!link || link->closed->load()) {
        link.reset();
        values.clear();
        return;
    }
    link->queue->post([link, values = std::move(values)]() mutable {
        for (T& value : values) {
            if (link->closed->load()) return;
            link->consumer(std::move(value));
        }
    });
    values.clear();
}

// Refused or unreachable: nothing can be reached now, try again later.
bool meansWaiting(const std::error_code& error) {
    return error == asio::error::connection_refused || error == asio::error::host_unreachable ||
           error == asio::error::network_unreachable;
}

std::string visibleNul(std::string_view text) {
    std::string visible;
    for (char c : text) visible += c == '\0' ? std::string_view("\\0") : std::string_view(&c, 1);
    return visible;
}

}  // namespace

// MARK: ConnectionState

std::string MixerEngineClient::ConnectionState::description() const {
    switch (kind_) {
    case Kind::waiting: return "waiting(" + text_ + ")";
    case Kind::failed: return "failed(" + text_ + ")";
    case Kind::idle: return "idle";
    case Kind::connecting: return "connecting";
    case Kind::ready: return "ready";
    case Kind::cancelled: return "cancelled";
    }
    return "idle";
}

std::ostream& operator<<(std::ostream& stream, const MixerEngineClient::ConnectionState& state) {
    return stream << state.description();
}

// MARK: Stream

MixerEngineClient::Stream& MixerEngineClient::Stream::operator=(Stream&& other) noexcept {
    if (this != &other) {
        reset();
        closed_ = std::move(other.closed_);
    }
    return *this;
}

MixerEngineClient::Stream::~Stream() { reset(); }

void MixerEngineClient::Stream::reset() {
    if (closed_) closed_->store(true);
    closed_.reset();
}

// MARK: Life

MixerEngineClient::MixerEngineClient(std::string_view host, std::uint16_t port)
    : MixerEngineClient(host, port, Timing{}) {}

MixerEngineClient::MixerEngineClient(std::string_view host, std::uint16_t port, Timing timing, ThreadStart threadStart)
    : host_(host), port_(port), timing_(timing) {
    thread_ = std::thread([this, threadStart = std::move(threadStart)] {
        pthread_setname_np(pthread_self(), "engine");  // for profilers and per-thread CPU figures
        if (threadStart) threadStart();
        const auto work = asio::make_work_guard(io_);
        io_.run();
    });
}

MixerEngineClient::~MixerEngineClient() {
    guard_.end();
    io_.stop();
    thread_.join();
}

double MixerEngineClient::backoffDelay(std::int64_t attempt, const Timing& timing) noexcept {
    const int exponent = static_cast<int>(std::clamp<std::int64_t>(attempt, 0, 4));
    return std::min(timing.backoffUnitSeconds * std::ldexp(1.0, exponent), timing.backoffCapSeconds);
}

// MARK: Public operations

MixerEngineClient::Stream MixerEngineClient::frames(MainQueue& queue, std::function<void(MixerFrame)> onFrame) {
    auto closed = std::make_shared<std::atomic<bool>>(false);
    auto link = std::make_shared<StreamLink<MixerFrame>>(StreamLink<MixerFrame>{&queue, std::move(onFrame), closed});
    asio::post(io_, [this, link] { framesContinuation_ = link; });
    return Stream(std::move(closed));
}

MixerEngineClient::Stream MixerEngineClient::states(MainQueue& queue, std::function<void(ConnectionState)> onState) {
    auto closed = std::make_shared<std::atomic<bool>>(false);
    auto link =
        std::make_shared<StreamLink<ConnectionState>>(StreamLink<ConnectionState>{&queue, std::move(onState), closed});
    asio::post(io_, [this, link] { stateContinuation_ = link; });
    return Stream(std::move(closed));
}

void MixerEngineClient::connect() {
    asio::post(io_, [this] {
        disconnectRequested_ = false;
        retryAttempt_ = 0;
        startConnectTask(0);
    });
}

void MixerEngineClient::disconnect() {
    asio::post(io_, [this] {
        disconnectRequested_ = true;
        ++disconnectEpoch_;
        if (retryTask_) retryTask_->cancel();
        retryTask_.reset();
        teardownConnection();
        yieldState(ConnectionState::cancelled());
    });
}

void MixerEngineClient::send(MixerRequest request) {
    if (request.holdsNul()) {
        rejectNul("request", mixerVerbText(request.verb), request.path);
        return;
    }
    asio::post(io_, [this, text = request.wireString()]() mutable { write(std::move(text)); });
}

void MixerEngineClient::get(std::string path, double timeoutSeconds, MainQueue& queue,
                            std::function<void(std::optional<MixerFrame>)> completion) {
    auto deliver = [&queue, completion = std::move(completion)](std::optional<MixerFrame> frame) {
        queue.post([completion, frame = std::move(frame)] { completion(frame); });
    };
    if (path.find('\0') != std::string::npos) {
        rejectNul("get", "get", path);
        deliver(std::nullopt);
        return;
    }
    asio::post(io_, [this, path = std::move(path), timeoutSeconds, deliver = std::move(deliver)]() mutable {
        beginGet(Uuid::make(), std::move(path), timeoutSeconds, std::move(deliver));
    });
}

asio::awaitable<std::optional<MixerFrame>> MixerEngineClient::asyncGet(std::string path, double timeoutSeconds) {
    if (path.find('\0') != std::string::npos) {
        rejectNul("get", "get", path);
        co_return std::nullopt;
    }
    auto initiate = [this, timeoutSeconds](auto handler, std::string path) {
        // The awaiting coroutine's handler is move-only; share it so it fits a copyable callback.
        auto shared = std::make_shared<decltype(handler)>(std::move(handler));
        asio::post(io_, [this, shared, path = std::move(path), timeoutSeconds]() mutable {
            beginGet(Uuid::make(), std::move(path), timeoutSeconds, [this, shared](std::optional<MixerFrame> frame) {
                // Resume the caller on its own executor, never inside the client's bookkeeping.
                const auto executor = asio::get_associated_executor(*shared, io_.get_executor());
                asio::post(executor,
                           [shared, frame = std::move(frame)]() mutable { std::move (*shared)(std::move(frame)); });
            });
        });
    };
    co_return co_await asio::async_initiate<const asio::use_awaitable_t<>, void(std::optional<MixerFrame>)>(
        initiate, asio::use_awaitable, std::move(path));
}

// MARK: Gets

void MixerEngineClient::beginGet(Uuid id, std::string path, double timeoutSeconds,
                                 std::function<void(std::optional<MixerFrame>)> continuation) {
    if (!connection_) {
        continuation(std::nullopt);
        return;
    }
    write("get " + path);
    if (!connection_) {  // the request overflowed the outbox and failed the connection
        continuation(std::nullopt);
        return;
    }
    auto timer = std::make_shared<asio::steady_timer>(io_, seconds(timeoutSeconds));
    timer->async_wait([this, id](const std::error_code& error) {
        if (!error) resolvePendingGet(id, std::nullopt);
    });
    pendingGets_.emplace(id, PendingGet{std::move(path), std::move(continuation), std::move(timer)});
}

void MixerEngineClient::resolvePendingGet(const Uuid& id, std::optional<MixerFrame> frame) {
    const auto found = pendingGets_.find(id);
    if (found == pendingGets_.end()) return;
    PendingGet pending = std::move(found->second);
    pendingGets_.erase(found);
    pending.timeout->cancel();
    pending.continuation(std::move(frame));
}

// MARK: Connecting

void MixerEngineClient::scheduleConnect(double afterSeconds) {
    if (disconnectRequested_) return;
    startConnectTask(afterSeconds);
}

void MixerEngineClient::startConnectTask(double delaySeconds) {
    if (retryTask_) retryTask_->cancel();
    auto task = std::make_shared<Task>(io_);
    retryTask_ = task;
    auto run = [this, task](const std::error_code&) {
        if (!task->cancelled) openConnection();
    };
    if (delaySeconds > 0) {
        task->timer.expires_after(seconds(delaySeconds));
        task->timer.async_wait(std::move(run));
    } else {
        asio::post(io_, [run = std::move(run)] { run({}); });
    }
}

void MixerEngineClient::openConnection() {
    if (disconnectRequested_ || connection_) return;
    yieldState(ConnectionState::connecting());
    auto opened = std::make_shared<Connection>(io_);
    connection_ = opened;

    opened->connectTimer.expires_after(seconds(timing_.connectTimeoutSeconds));
    opened->connectTimer.async_wait([this, opened](const std::error_code& error) {
        if (error || opened != connection_ || opened->ready) return;
        opened->timedOut = true;
        std::error_code ignored;
        opened->resolver.cancel();
        opened->socket.close(ignored);
    });

    auto onConnected = [this, opened](const std::error_code& error, const auto&) {
        if (opened != connection_) return;
        opened->connectTimer.cancel();
        if (error) {
            handleTransportError(opened, opened->timedOut ? make_error_code(asio::error::timed_out) : error);
            return;
        }
        handleReady(opened);
    };

    std::error_code notLiteral;
    const auto address = asio::ip::make_address(host_, notLiteral);
    if (!notLiteral) {
        const std::array endpoints{asio::ip::tcp::endpoint(address, port_)};
        asio::async_connect(opened->socket, endpoints, std::move(onConnected));
        return;
    }
    opened->resolver.async_resolve(
        host_, std::to_string(port_), asio::ip::resolver_base::numeric_service,
        [this, opened, onConnected = std::move(onConnected)](const std::error_code& error,
                                                             asio::ip::tcp::resolver::results_type results) mutable {
            if (opened != connection_) return;
            if (error) {
                handleTransportError(opened, opened->timedOut ? make_error_code(asio::error::timed_out) : error);
                return;
            }
            asio::async_connect(opened->socket, results, std::move(onConnected));
        });
}

void MixerEngineClient::handleTransportError(const std::shared_ptr<Connection>& failed, const std::error_code& error) {
    if (failed != connection_) return;  // a connection already torn down reports nothing more
    const std::string text = error.message();
    failConnection(meansWaiting(error) ? ConnectionState::waiting(text) : ConnectionState::failed(text));
}

void MixerEngineClient::failConnection(ConnectionState reported) {
    teardownConnection();
    yieldState(std::move(reported));
    backOff();
}

void MixerEngineClient::handleReady(const std::shared_ptr<Connection>& opened) {
    std::error_code ignored;
    opened->socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    opened->ready = true;
    retryAttempt_ = 0;
    yieldState(ConnectionState::ready());
    startReceiveLoop();
    startKeepAlive();
    if (!opened->outbox.empty()) writeNext(opened);
}

void MixerEngineClient::backOff() {
    const std::int64_t attempt = retryAttempt_;
    retryAttempt_ = attempt + 1;
    scheduleConnect(backoffDelay(attempt, timing_));
}

void MixerEngineClient::teardownConnection() {
    if (receiveLoopTask_) receiveLoopTask_->cancel();
    receiveLoopTask_.reset();
    if (keepAliveTask_) keepAliveTask_->cancel();
    keepAliveTask_.reset();
    if (connection_) {
        std::error_code ignored;
        connection_->connectTimer.cancel();
        connection_->resolver.cancel();
        connection_->socket.close(ignored);
        connection_.reset();
    }
    readBuffer_.clear();
    auto waiting = std::move(pendingGets_);
    pendingGets_.clear();
    for (auto& [id, pending] : waiting) {
        pending.timeout->cancel();
        pending.continuation(std::nullopt);
    }
}

// MARK: Receiving

void MixerEngineClient::startReceiveLoop() {
    if (receiveLoopTask_) receiveLoopTask_->cancel();
    receiveLoopTask_.reset();
    if (!connection_) return;
    receiveLoopTask_ = std::make_shared<Task>(io_);
    receiveNext(receiveLoopTask_, connection_, disconnectEpoch_);
}

void MixerEngineClient::receiveNext(std::shared_ptr<Task> task, std::shared_ptr<Connection> from, std::uint64_t epoch) {
    auto& socket = from->socket;
    auto buffer = asio::buffer(from->received);
    socket.async_read_some(buffer, [this, task = std::move(task), from = std::move(from),
                                    epoch](const std::error_code& error, std::size_t count) mutable {
        const bool ended = error == asio::error::eof || error == asio::error::operation_aborted;
        // A failure of a ready connection is reported as the transport's own failure first.
        if (error && !ended && !task->cancelled) handleTransportError(from, error);
        if (error || count == 0 || task->cancelled) {
            endReceiveLoop(from, epoch);
            return;
        }
        ingest(std::string_view(from->received.data(), count));
        receiveNext(std::move(task), std::move(from), epoch);
    });
}

void MixerEngineClient::endReceiveLoop(const std::shared_ptr<Connection>& from, std::uint64_t epoch) {
    if (from == connection_) teardownConnection();
    // A loop that a disconnect ended (even one followed by a new connect) reports nothing.
    if (disconnectRequested_ || epoch != disconnectEpoch_) return;
    yieldState(ConnectionState::failed(std::string(kConnectionLostText)));
    backOff();
}

void MixerEngineClient::ingest(std::string_view bytes) {
    readBuffer_.ingest(bytes, [this](std::string_view message) { decodeAndYield(message); });
    yieldReceivedFrames();
}

void MixerEngineClient::yieldReceivedFrames() { yieldAllOn(framesContinuation_, receivedFrames_); }

void MixerEngineClient::decodeAndYield(std::string_view message) {
    std::optional<MixerMessageDecoder::Message> decoded = MixerMessageDecoder::decodeMessage(message);
    if (!decoded) return;
    MixerFrame& frame = decoded->frame;
    std::optional<Uuid> answered;
    const auto found = std::find_if(pendingGets_.begin(), pendingGets_.end(),
                                    [&](const auto& entry) { return entry.second.path == frame.path; });
    if (found != pendingGets_.end()) answered = found->first;
    if (decoded->isRefusal) {
        // No report of the tree: never streamed, and the get it answers gets nothing, at once.
        if (answered) {
            yieldReceivedFrames();
            resolvePendingGet(*answered, std::nullopt);
        }
        return;
    }
    if (!answered) {
        receivedFrames_.push_back(std::move(frame));
        return;
    }
    // The frame reaches the stream before the get it answers completes, as when streamed alone.
    receivedFrames_.push_back(frame);
    yieldReceivedFrames();
    resolvePendingGet(*answered, std::move(frame));
}

// MARK: Keep-alive

void MixerEngineClient::startKeepAlive() {
    if (keepAliveTask_) keepAliveTask_->cancel();
    keepAliveTask_ = std::make_shared<Task>(io_);
    keepAliveNext(keepAliveTask_);
}

void MixerEngineClient::keepAliveNext(std::shared_ptr<Task> task) {
    task->timer.expires_after(seconds(timing_.keepAliveSeconds));
    task->timer.async_wait([this, task](const std::error_code&) mutable {
        if (task->cancelled) return;
        if (connection_) write(std::string(kKeepAliveText));
        if (!task->cancelled) keepAliveNext(std::move(task));  // the write may have failed the connection
    });
}

// MARK: Writing

void MixerEngineClient::write(std::string text) {
    if (!connection_) return;
    text += '\0';
    connection_->unsentBytes += text.size();
    if (connection_->unsentBytes > maximumUnsentBytes) {
        failConnection(ConnectionState::failed(std::string(kStoppedReadingText)));
        return;
    }
    connection_->outbox.push_back(std::move(text));
    if (connection_->ready && !connection_->writing) writeNext(connection_);
}

void MixerEngineClient::writeNext(std::shared_ptr<Connection> to) {
    if (to->outbox.empty()) {
        to->writing = false;
        return;
    }
    to->writing = true;
    auto& socket = to->socket;
    auto buffer = asio::buffer(to->outbox.front());
    asio::async_write(socket, buffer, [this, to = std::move(to)](const std::error_code& error, std::size_t) mutable {
        if (error) {  // the send's outcome is ignored; the receive side notices a broken connection
            to->outbox.clear();
            to->unsentBytes = 0;
            to->writing = false;
            return;
        }
        to->unsentBytes -= to->outbox.front().size();
        to->outbox.pop_front();
        writeNext(std::move(to));
    });
}

// MARK: Helpers

void MixerEngineClient::yieldState(ConnectionState state) { yieldOn(stateContinuation_, std::move(state)); }

void MixerEngineClient::rejectNul(std::string_view what, std::string_view verb, std::string_view path) {
    SystemLog::write("MixerEngineClient: dropped a " + std::string(what) + " (" + std::string(verb) + " " +
                     visibleNul(path) + ") holding a NUL byte, which would end it early on the wire");
}

}  // namespace quillmark
