#include "core/MixerEngineClient.h"

#include "LoopbackPeer.h"
#include "ManualMainQueue.h"
#include "log/SystemLog.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/post.hpp>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using State = MixerEngineClient::ConnectionState;
using Kind = State::Kind;
using Clock = std::chrono::steady_clock;

// Scaled-down delays so that back-off sequences run in a couple of seconds.
constexpr MixerEngineClient::Timing fast{
    .backoffUnitSeconds = 0.05, .backoffCapSeconds = 0.8, .connectTimeoutSeconds = 3.0, .keepAliveSeconds = 3.0};

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

std::string message(std::string_view path, std::string_view data) {
    return R"({"path":")" + std::string(path) + R"(","data":)" + std::string(data) + "}" + '\0';
}

// A loopback listener whose accept queue is full, so that the kernel drops every further SYN: a client's
// connect stays in progress (the SYN is sent again after 1 s, 3 s, ...) until acceptClient() empties the
// queue and takes the client's connection.
class HeldListener {
public:
    HeldListener() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        address_.sin_family = AF_INET;
        address_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address_;
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&address_), sizeof address_);
        ::listen(listener_, 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address_), &length);
        // Handshakes go into the queue one at a time until the kernel counts it as full.
        const auto deadline = Clock::now() + 5s;
        while (!full() && Clock::now() < deadline) {
            const unsigned before = queued().first;
            const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<const sockaddr*>(&address_), sizeof address_);
            fillers_.push_back(filler);
            while (queued().first == before && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        }
    }
    ~HeldListener() {
        for (int fd : fillers_) ::close(fd);
        for (int fd : accepted_) ::close(fd);
        ::close(listener_);
    }
    HeldListener(const HeldListener&) = delete;
    HeldListener& operator=(const HeldListener&) = delete;

    std::uint16_t port() const { return ntohs(address_.sin_port); }
    bool full() const {
        const auto [length, limit] = queued();
        return length > limit;
    }

    // Accepts the fillers and then the first other connection. Returns whether one came within `timeout`.
    bool acceptClient(std::chrono::milliseconds timeout = 5s) {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            pollfd ready{listener_, POLLIN, 0};
            if (::poll(&ready, 1, remainingMs(deadline)) != 1) continue;
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const int fd = ::accept(listener_, reinterpret_cast<sockaddr*>(&from), &length);
            if (fd < 0) continue;
            accepted_.push_back(fd);
            if (!isFiller(from.sin_port)) {
                client_ = fd;
                return true;
            }
        }
        return false;
    }

    // The next `count` messages the client wrote, or fewer if `timeout` passes first.
    std::vector<std::string> receive(std::size_t count, std::chrono::milliseconds timeout = 5s) {
        std::vector<std::string> texts;
        const auto deadline = Clock::now() + timeout;
        while (texts.size() < count) {
            for (std::size_t end; texts.size() < count && (end = pending_.find('\0')) != std::string::npos;) {
                texts.push_back(pending_.substr(0, end));
                pending_.erase(0, end + 1);
            }
            if (texts.size() == count || Clock::now() >= deadline) break;
            pollfd readable{client_, POLLIN, 0};
            if (::poll(&readable, 1, remainingMs(deadline)) != 1) continue;
            char buffer[4096];
            const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            pending_.append(buffer, static_cast<std::size_t>(n));
        }
        return texts;
    }

private:
    // The accept queue's length and the most it may hold.
    std::pair<unsigned, unsigned> queued() const {
        tcp_info info{};
        socklen_t length = sizeof info;
        ::getsockopt(listener_, IPPROTO_TCP, TCP_INFO, &info, &length);
        return {info.tcpi_unacked, info.tcpi_sacked};
    }
    bool isFiller(in_port_t port) const {
        return std::any_of(fillers_.begin(), fillers_.end(), [&](int fd) {
            sockaddr_in local{};
            socklen_t length = sizeof local;
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
            return local.sin_port == port;
        });
    }
    static int remainingMs(Clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return static_cast<int>(std::max<long long>(left, 0));
    }

    int listener_ = -1;
    sockaddr_in address_{};
    std::vector<int> fillers_;
    std::vector<int> accepted_;
    int client_ = -1;
    std::string pending_;
};

class MixerEngineClientTest : public ::testing::Test {
protected:
    struct SeenState {
        State state;
        Clock::time_point at;
    };

    void start(std::uint16_t port, MixerEngineClient::Timing timing = fast) {
        client = std::make_unique<MixerEngineClient>("127.0.0.1", port, timing);
        stateStream = client->states(queue, [this](State state) { seen.push_back({std::move(state), Clock::now()}); });
        frameStream = client->frames(queue, [this](MixerFrame frame) { frames.push_back(std::move(frame)); });
    }

    void startConnected(MixerEngineClient::Timing timing = fast) {
        start(peer.port(), timing);
        client->connect();
        ASSERT_TRUE(waitForState(State::ready()));
        ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return p.connectionCount() == 1; }));
    }

    // Connects to a listener that holds the handshake, with neither a connect timeout nor a keep-alive
    // within a test: the client stays connecting, and nothing but readiness lets its requests out.
    void startConnectingTo(const HeldListener& held) {
        ASSERT_TRUE(held.full());
        start(held.port(), {.backoffUnitSeconds = 0.05,
                            .backoffCapSeconds = 0.8,
                            .connectTimeoutSeconds = 30,
                            .keepAliveSeconds = 60});
        client->connect();
        ASSERT_TRUE(waitForState(State::connecting()));
    }

    bool waitForStates(std::size_t count, std::chrono::milliseconds timeout = 5s) {
        return queue.runUntil([&] { return seen.size() >= count; }, timeout);
    }

    bool waitForState(const State& wanted, std::size_t occurrence = 1, std::chrono::milliseconds timeout = 5s) {
        return queue.runUntil([&] { return countOf(wanted) >= occurrence; }, timeout);
    }

    std::size_t countOf(const State& wanted) const {
        return static_cast<std::size_t>(
            std::count_if(seen.begin(), seen.end(), [&](const SeenState& s) { return s.state == wanted; }));
    }

    std::vector<State> states() const {
        std::vector<State> result;
        for (const auto& s : seen) result.push_back(s.state);
        return result;
    }

    // A get's answer as the main queue delivers it; `done` once the client has answered.
    struct GetAnswer {
        std::optional<MixerFrame> frame;
        bool done = false;
    };
    std::shared_ptr<GetAnswer> ask(const std::string& path, double timeoutSeconds) {
        auto answer = std::make_shared<GetAnswer>();
        client->get(path, timeoutSeconds, queue, [answer](std::optional<MixerFrame> frame) {
            answer->frame = std::move(frame);
            answer->done = true;
        });
        return answer;
    }

    // A get answered by the peer, run through the main queue: everything the engine yielded before the
    // answer has been delivered by the time it returns.
    void fence() {
        const std::string path = "/fence/" + std::to_string(++fences);
        const auto answer = ask(path, 5);
        ASSERT_TRUE(peer.waitUntil([&](const LoopbackPeer& p) { return !p.messages("get " + path).empty(); }));
        peer.write(message(path, "true"));
        ASSERT_TRUE(queue.runUntil([&] { return answer->done; }));
        ASSERT_TRUE(answer->frame.has_value());
        if (!frames.empty() && frames.back().path == path) frames.pop_back();
    }

    // Requests the peer received, keep-alives left out.
    std::vector<std::string> requests() const {
        std::vector<std::string> texts;
        for (auto& m : peer.messages())
            if (m.text != "set /Sleep false" && m.text.rfind("get /fence/", 0) != 0) texts.push_back(m.text);
        return texts;
    }

    ManualMainQueue queue;
    LoopbackPeer peer;
    std::vector<SeenState> seen;
    std::vector<MixerFrame> frames;
    std::unique_ptr<MixerEngineClient> client;
    MixerEngineClient::Stream stateStream;
    MixerEngineClient::Stream frameStream;
    int fences = 0;
};

// MARK: Connection states

// The application prepares each thread it starts (its crash handling's alternate signal stack): the
// engine thread runs the hook it is given before anything else.
TEST(MixerEngineClientThreadTest, TheThreadStartHookRunsOnTheEngineThreadBeforeItsWork) {
    std::promise<std::thread::id> hookRan;
    std::atomic<bool> started{false};
    MixerEngineClient client("127.0.0.1", 1, MixerEngineClient::Timing{}, [&] {
        started = true;
        hookRan.set_value(std::this_thread::get_id());
    });
    std::promise<std::pair<std::thread::id, bool>> workRan;
    asio::post(client.executor(), [&] { workRan.set_value({std::this_thread::get_id(), started.load()}); });
    auto hook = hookRan.get_future();
    auto work = workRan.get_future();
    ASSERT_EQ(hook.wait_for(5s), std::future_status::ready);
    ASSERT_EQ(work.wait_for(5s), std::future_status::ready);
    const auto hookThread = hook.get();
    const auto [workThread, afterHook] = work.get();
    EXPECT_NE(hookThread, std::this_thread::get_id());
    EXPECT_EQ(hookThread, workThread);
    EXPECT_TRUE(afterHook);
}

TEST(MixerEngineClientBackoffTest, DelaysDoubleFromHalfASecondUpToEight) {
    const MixerEngineClient::Timing defaults;
    const std::vector<double> expected = {0.5, 1, 2, 4, 8, 8, 8, 8};
    for (std::size_t n = 0; n < expected.size(); ++n)
        EXPECT_EQ(MixerEngineClient::backoffDelay(static_cast<std::int64_t>(n), defaults), expected[n]) << n;
    EXPECT_EQ(MixerEngineClient::backoffDelay(std::numeric_limits<std::int64_t>::max(), defaults), 8.0);
}

TEST_F(MixerEngineClientTest, WithoutListenerWaitsAndRetriesAfterEachBackoffStep) {
    start(LoopbackPeer::unusedPort());
    client->connect();
    const int attempts = 7;
    ASSERT_TRUE(waitForStates(2 * attempts, 10s));
    for (int i = 0; i < attempts; ++i) {
        EXPECT_EQ(seen[2 * i].state, State::connecting()) << i;
        EXPECT_EQ(seen[2 * i + 1].state, State::waiting("Connection refused")) << i;
    }
    for (int i = 0; i + 1 < attempts; ++i) {
        const double expected = MixerEngineClient::backoffDelay(i, fast);
        const double gap = secondsBetween(seen[2 * i + 1].at, seen[2 * i + 2].at);
        EXPECT_GE(gap, expected - 0.02) << "step " << i;
        EXPECT_LT(gap, expected + 0.25) << "step " << i;
    }
}

TEST_F(MixerEngineClientTest, EngineQuittingWhileReadyReportsConnectionLostAndRetriesHalfASecondLater) {
    startConnected(MixerEngineClient::Timing{});  // real production timing
    peer.stopListening();
    ASSERT_TRUE(waitForStates(5));
    EXPECT_EQ(states(), (std::vector<State>{State::connecting(), State::ready(), State::failed("connection lost"),
                                            State::connecting(), State::waiting("Connection refused")}));
    const double gap = secondsBetween(seen[2].at, seen[3].at);
    EXPECT_GE(gap, 0.48);
    EXPECT_LT(gap, 0.75);
}

TEST_F(MixerEngineClientTest, ResetWhileReadyReportsTheTransportTextThenConnectionLostAndBacksOffTwice) {
    startConnected();
    peer.resetConnection();
    ASSERT_TRUE(waitForState(State::ready(), 2));
    EXPECT_EQ(states(),
              (std::vector<State>{State::connecting(), State::ready(), State::failed("Connection reset by peer"),
                                  State::failed("connection lost"), State::connecting(), State::ready()}));
    // The second report advanced the back-off: the retry waits the second step, not the first.
    const double gap = secondsBetween(seen[3].at, seen[4].at);
    EXPECT_GE(gap, MixerEngineClient::backoffDelay(1, fast) - 0.02);
    EXPECT_LT(gap, MixerEngineClient::backoffDelay(1, fast) + 0.25);
}

TEST_F(MixerEngineClientTest, DisconnectReportsCancelledAndNothingAfterUntilTheNextConnect) {
    startConnected();
    client->disconnect();
    ASSERT_TRUE(waitForState(State::cancelled()));
    EXPECT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return !p.latestConnectionOpen(); }));
    // Many back-off steps' worth of time: no retry, no "connection lost".
    queue.runUntil([] { return false; }, 400ms);
    EXPECT_EQ(states(), (std::vector<State>{State::connecting(), State::ready(), State::cancelled()}));
    EXPECT_EQ(peer.connectionCount(), 1);

    client->connect();
    ASSERT_TRUE(waitForState(State::ready(), 2));
    EXPECT_EQ(states(), (std::vector<State>{State::connecting(), State::ready(), State::cancelled(),
                                            State::connecting(), State::ready()}));
    EXPECT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return p.connectionCount() == 2; }));
}

TEST_F(MixerEngineClientTest, ConnectAfterDisconnectStartsAgainWithTheFirstBackoffStep) {
    const MixerEngineClient::Timing slower{
        .backoffUnitSeconds = 0.1, .backoffCapSeconds = 1.6, .connectTimeoutSeconds = 3.0, .keepAliveSeconds = 3.0};
    start(LoopbackPeer::unusedPort(), slower);
    client->connect();
    ASSERT_TRUE(waitForState(State::waiting("Connection refused"), 3));
    client->disconnect();
    client->connect();
    ASSERT_TRUE(waitForState(State::cancelled()));
    const std::size_t cancelled = static_cast<std::size_t>(
        std::find_if(seen.begin(), seen.end(), [](const SeenState& s) { return s.state == State::cancelled(); }) -
        seen.begin());
    ASSERT_TRUE(waitForStates(cancelled + 4));
    EXPECT_EQ(seen[cancelled + 1].state, State::connecting());
    EXPECT_EQ(seen[cancelled + 2].state, State::waiting("Connection refused"));
    EXPECT_EQ(seen[cancelled + 3].state, State::connecting());
    const double gap = secondsBetween(seen[cancelled + 2].at, seen[cancelled + 3].at);
    EXPECT_GE(gap, 0.08);
    EXPECT_LT(gap, 0.35);  // the fourth step would be 0.8 s
}

TEST_F(MixerEngineClientTest, DisconnectAndConnectBackToBackWhileReadyReportNoLoss) {
    // A back-off this long outlasts the test: every prompt ready shows that none was taken.
    startConnected(
        {.backoffUnitSeconds = 30, .backoffCapSeconds = 30, .connectTimeoutSeconds = 3.0, .keepAliveSeconds = 3.0});
    std::vector<State> expected{State::connecting(), State::ready()};
    for (int i = 0; i < 20; ++i) {
        // The read this disconnect() ends usually completes after connect() has run, when no disconnect
        // is requested any more.
        client->disconnect();
        client->connect();
        expected.insert(expected.end(), {State::cancelled(), State::connecting(), State::ready()});
        ASSERT_TRUE(waitForState(State::ready(), static_cast<std::size_t>(i) + 2))
            << "round " << i << ": " << states().back();
    }
    fence();
    EXPECT_EQ(states(), expected);
    EXPECT_EQ(peer.connectionCount(), 21);
}

TEST_F(MixerEngineClientTest, ConnectWhileReadyKeepsTheConnection) {
    startConnected();
    client->connect();
    fence();
    EXPECT_EQ(states(), (std::vector<State>{State::connecting(), State::ready()}));
    EXPECT_EQ(peer.connectionCount(), 1);
}

TEST_F(MixerEngineClientTest, ConnectTimeoutGivesFailedAndBacksOff) {
    // A listener whose backlog is full never completes the handshake; with a 0.2 s connect timeout the
    // attempt fails instead of hanging.
    HeldListener held;
    ASSERT_TRUE(held.full());
    start(
        held.port(),
        {.backoffUnitSeconds = 0.05, .backoffCapSeconds = 0.8, .connectTimeoutSeconds = 0.2, .keepAliveSeconds = 3.0});
    client->connect();
    ASSERT_TRUE(waitForStates(3));
    EXPECT_EQ(seen[0].state, State::connecting());
    EXPECT_EQ(seen[1].state, State::failed("Connection timed out"));
    EXPECT_GE(secondsBetween(seen[0].at, seen[1].at), 0.18);
    EXPECT_EQ(seen[2].state, State::connecting());
    client.reset();
}

// MARK: Framing

TEST_F(MixerEngineClientTest, TwoMessagesInOneRead) {
    startConnected();
    peer.write(message("/a", "1") + message("/b", "\"two\""));
    fence();
    EXPECT_EQ(frames, (std::vector<MixerFrame>{{"/a", 1.0}, {"/b", "two"}}));
}

TEST_F(MixerEngineClientTest, MessageSplitOverThreeReadsAndEmptyMessageBetweenNuls) {
    startConnected();
    peer.writeInParts({R"({"path":"/a",)", R"("data":)", "1}\0\0"s + R"({"path":"/b"})" + '\0'}, 30ms);
    fence();
    EXPECT_EQ(frames, (std::vector<MixerFrame>{{"/a", 1.0}, {"/b", nullptr}}));
}

TEST_F(MixerEngineClientTest, MessagesThatGiveNoFrameAreDropped) {
    startConnected();
    peer.write("not json\0[1]\0{}\0\"/a\"\0{\"data\":1}\0"s + message("/ok", "null"));
    fence();
    EXPECT_EQ(frames, (std::vector<MixerFrame>{{"/ok", nullptr}}));
    EXPECT_EQ(states().back(), State::ready());
}

// Counts the work posted through it, which runs on the test's queue.
class CountingQueue final : public MainQueue {
public:
    explicit CountingQueue(MainQueue& target) : target_(target) {}
    void post(Work work) override {
        ++posts;
        target_.post(std::move(work));
    }
    Handle postAfter(Clock::duration delay, Work work) override { return target_.postAfter(delay, std::move(work)); }
    Clock::time_point now() const override { return target_.now(); }

    std::atomic<int> posts = 0;

private:
    MainQueue& target_;
};

TEST_F(MixerEngineClientTest, FramesOfOneReadCrossToTheMainQueueTogetherOneCallEachInOrder) {
    startConnected();
    CountingQueue counting(queue);
    std::vector<std::string> paths;
    frameStream = client->frames(counting, [&](MixerFrame frame) { paths.push_back(frame.path); });
    fence();  // the new stream is in place
    paths.clear();
    const int postsBefore = counting.posts;
    std::string burst;
    std::vector<std::string> sent;
    for (int i = 0; i < 12; ++i) {
        sent.push_back("/m/" + std::to_string(i));
        burst += message(sent.back(), std::to_string(-i));
    }
    peer.write(burst);  // a few hundred bytes in one write: one read on loopback
    ASSERT_TRUE(queue.runUntil([&] { return paths.size() == sent.size(); }));
    EXPECT_EQ(paths, sent);
    EXPECT_EQ(counting.posts - postsBefore, 1);
}

TEST_F(MixerEngineClientTest, GetAnsweredAmidAReadCompletesAfterTheFramesBeforeItsAnswerAndBeforeTheRest) {
    startConnected();
    std::vector<std::string> events;
    frameStream = client->frames(queue, [&](MixerFrame frame) { events.push_back("frame " + frame.path); });
    fence();
    events.clear();
    client->get("/x", 30, queue, [&](std::optional<MixerFrame> frame) {
        events.push_back(frame ? "get " + frame->path : "get nothing");
    });
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return !p.messages("get /x").empty(); }));
    peer.write(message("/a", "1") + message("/x", "2") + message("/b", "3"));
    ASSERT_TRUE(queue.runUntil([&] { return events.size() == 4; }));
    EXPECT_EQ(events, (std::vector<std::string>{"frame /a", "frame /x", "get /x", "frame /b"}));
}

TEST_F(MixerEngineClientTest, StreamDroppedWhileFramesOfOneReadAreDeliveredGetsNoneOfTheRest) {
    startConnected();
    std::vector<std::string> paths;
    frameStream = client->frames(queue, [&](MixerFrame frame) {
        paths.push_back(frame.path);
        if (frame.path == "/2") frameStream.reset();
    });
    fence();
    paths.clear();
    peer.write(message("/1", "1") + message("/2", "2") + message("/3", "3") + message("/4", "4"));
    fence();
    EXPECT_EQ(paths, (std::vector<std::string>{"/1", "/2"}));
}

TEST_F(MixerEngineClientTest, UnterminatedMessageOverEightMebibytesIsDiscardedAndTheNextOneArrives) {
    startConnected();
    peer.write(message("/before", "1") + std::string(MixerMessageBuffer::maximumUnterminatedBytes + 1024, 'x'));
    peer.write("tail"s + '\0' + message("/after", "2"));
    fence();
    EXPECT_EQ(frames, (std::vector<MixerFrame>{{"/before", 1.0}, {"/after", 2.0}}));
}

// MARK: get

TEST_F(MixerEngineClientTest, GetIsAnsweredByTheExactPathAndTheFrameIsAlsoStreamed) {
    startConnected();
    const auto answer = ask("/devices", 5);
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return !p.messages("get /devices").empty(); }));
    peer.write(message("/devices/", "1"));
    fence();
    EXPECT_FALSE(answer->done);
    peer.write(message("/devices", R"({"children":{"0":{}}})"));
    ASSERT_TRUE(queue.runUntil([&] { return answer->done; }));
    const MixerFrame expected{"/devices",
                              JSONValue::Object{{"children", JSONValue::Object{{"0", JSONValue::Object{}}}}}};
    EXPECT_EQ(answer->frame, expected);
    EXPECT_EQ(frames, (std::vector<MixerFrame>{{"/devices/", 1.0}, expected}));
}

TEST_F(MixerEngineClientTest, OneFrameAnswersOneGet) {
    startConnected();
    std::vector<std::optional<MixerFrame>> answers;
    for (int i = 0; i < 2; ++i)
        client->get("/x", 0.3, queue, [&](std::optional<MixerFrame> frame) { answers.push_back(std::move(frame)); });
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return p.messages("get /x").size() == 2; }));
    peer.write(message("/x", "1"));
    ASSERT_TRUE(queue.runUntil([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers[0], (MixerFrame{"/x", 1.0}));
    EXPECT_EQ(answers[1], std::nullopt);  // the second timed out
}

TEST_F(MixerEngineClientTest, UnansweredGetTimesOutAndALateFrameIsOnlyStreamed) {
    startConnected();
    const auto asked = Clock::now();
    const auto answer = ask("/slow", 0.2);
    ASSERT_TRUE(queue.runUntil([&] { return answer->done; }));
    EXPECT_GE(secondsBetween(asked, Clock::now()), 0.2);
    EXPECT_EQ(answer->frame, std::nullopt);
    peer.write(message("/slow", "1"));
    fence();
    EXPECT_EQ(frames, (std::vector<MixerFrame>{{"/slow", 1.0}}));
}

TEST_F(MixerEngineClientTest, GetWithoutConnectionReturnsNoFrameAtOnceAndWritesNothing) {
    start(peer.port());
    const auto asked = Clock::now();
    const auto answer = ask("/devices", 30);
    ASSERT_TRUE(queue.runUntil([&] { return answer->done; }));
    EXPECT_LT(secondsBetween(asked, Clock::now()), 1.0);
    EXPECT_EQ(answer->frame, std::nullopt);
    client->send(MixerRequest::setRaw("/early", "1"));  // also written nowhere
    client->connect();
    ASSERT_TRUE(waitForState(State::ready()));
    fence();
    EXPECT_TRUE(requests().empty());
}

TEST_F(MixerEngineClientTest, TeardownCompletesWaitingGetsEmpty) {
    startConnected();
    std::vector<std::optional<MixerFrame>> answers;
    for (const char* path : {"/a", "/b"})
        client->get(path, 30, queue, [&](std::optional<MixerFrame> frame) { answers.push_back(std::move(frame)); });
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return p.messages().size() == 2; }));
    const auto closed = Clock::now();
    peer.closeConnection();
    ASSERT_TRUE(queue.runUntil([&] { return answers.size() == 2; }));
    EXPECT_LT(secondsBetween(closed, Clock::now()), 2.0);
    EXPECT_EQ(answers, (std::vector<std::optional<MixerFrame>>{std::nullopt, std::nullopt}));
}

TEST_F(MixerEngineClientTest, RefusalIsNeverStreamedAndAnswersAWaitingGetWithNothingAtOnce) {
    startConnected();
    struct Case {
        const char* name;
        std::string message;
        std::optional<MixerFrame> answer;  // also what is streamed
    };
    const std::vector<Case> cases = {
        {"refusal", R"({"path":"/p","error":true,"data":"unknown path"})", std::nullopt},
        {"refusal read leniently", R"({"path":"/p","error":1,"data":0})", std::nullopt},
        {"refusal without data", R"({"path":"/p","error":true})", std::nullopt},
        {"error false", R"({"path":"/p","error":false,"data":-12})", MixerFrame{"/p", -12.0}},
        {"error zero", R"({"path":"/p","error":0,"data":true})", MixerFrame{"/p", true}},
        {"no error", R"({"path":"/p","data":"x"})", MixerFrame{"/p", "x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frames.clear();
        std::optional<std::optional<MixerFrame>> answer;
        // Long enough that only the message itself can answer within the wait below.
        client->get("/p", 30, queue, [&](std::optional<MixerFrame> frame) { answer = std::move(frame); });
        ASSERT_TRUE(peer.waitUntil([&](const LoopbackPeer& p) { return !p.messages("get /p").empty(); }));
        peer.write(c.message + '\0');
        ASSERT_TRUE(queue.runUntil([&] { return answer.has_value(); }, 5s));
        EXPECT_EQ(*answer, c.answer);
        fence();
        EXPECT_EQ(frames, c.answer ? std::vector<MixerFrame>{*c.answer} : std::vector<MixerFrame>{});
    }
}

asio::awaitable<void> getFromEngineThread(MixerEngineClient& client, std::string path, double timeout,
                                          std::promise<std::pair<std::optional<MixerFrame>, std::thread::id>>& out) {
    std::optional<MixerFrame> frame = co_await client.asyncGet(std::move(path), timeout);
    out.set_value({std::move(frame), std::this_thread::get_id()});
}

TEST_F(MixerEngineClientTest, CoroutineOnTheEngineThreadAwaitsGet) {
    startConnected();
    std::promise<std::pair<std::optional<MixerFrame>, std::thread::id>> answered;
    asio::co_spawn(client->executor(), getFromEngineThread(*client, "/devices", 5, answered), asio::detached);
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return !p.messages("get /devices").empty(); }));
    peer.write(message("/devices", "1"));
    auto future = answered.get_future();
    ASSERT_EQ(future.wait_for(5s), std::future_status::ready);
    const auto [frame, thread] = future.get();
    EXPECT_EQ(frame, (MixerFrame{"/devices", 1.0}));
    EXPECT_NE(thread, std::this_thread::get_id());

    std::promise<std::pair<std::optional<MixerFrame>, std::thread::id>> torn;
    asio::co_spawn(client->executor(), getFromEngineThread(*client, "/never", 30, torn), asio::detached);
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return !p.messages("get /never").empty(); }));
    client->disconnect();
    auto tornFuture = torn.get_future();
    ASSERT_EQ(tornFuture.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(tornFuture.get().first, std::nullopt);
}

// MARK: send

TEST_F(MixerEngineClientTest, SendWritesEachWireStringWithOneNulInCallOrder) {
    startConnected();
    std::vector<MixerRequest> sent = {MixerRequest::subscribe("/devices/0/outputs/22/CRMonitorLevel"),
                                      MixerRequest::setProperty("/devices/0/outputs/22/Mute", "true"),
                                      MixerRequest::setRaw("/x", "-12.00"), MixerRequest::get("/devices")};
    for (int i = 0; i < 200; ++i) sent.push_back(MixerRequest::setRaw("/n", std::to_string(i)));
    std::vector<std::string> expected;
    for (const auto& request : sent) {
        client->send(request);
        expected.push_back(request.wireString());
    }
    ASSERT_TRUE(peer.waitUntil([&](const LoopbackPeer& p) { return p.messages().size() >= expected.size(); }));
    EXPECT_EQ(requests(), expected);
}

TEST_F(MixerEngineClientTest, RequestsSentWhileConnectingGoOutOnceReadyEachOnceInCallOrder) {
    HeldListener held;
    ASSERT_NO_FATAL_FAILURE(startConnectingTo(held));

    std::vector<std::string> expected;
    const auto send = [&](const MixerRequest& request) {
        client->send(request);
        expected.push_back(request.wireString());
    };
    send(MixerRequest::subscribe("/devices/0/outputs/22/CRMonitorLevel"));
    send(MixerRequest::setProperty("/devices/0/outputs/22/Mute", "true"));
    for (int i = 0; i < 100; ++i) send(MixerRequest::setRaw("/n", std::to_string(i)));
    // A get that may not wait: its empty answer shows the engine thread took every request above while
    // the handshake was still held. Its own request waits with them.
    bool answered = false;
    client->get("/last", 0, queue, [&](std::optional<MixerFrame> frame) {
        EXPECT_EQ(frame, std::nullopt);
        answered = true;
    });
    expected.push_back("get /last");
    ASSERT_TRUE(queue.runUntil([&] { return answered; }));
    EXPECT_EQ(states(), (std::vector<State>{State::connecting()}));

    ASSERT_TRUE(held.acceptClient());
    EXPECT_EQ(held.receive(expected.size()), expected);
    ASSERT_TRUE(waitForState(State::ready()));
    // Nothing of the queue goes out a second time before a request sent now.
    client->send(MixerRequest::setRaw("/after", "1"));
    EXPECT_EQ(held.receive(1), (std::vector<std::string>{"set /after 1"}));
    EXPECT_EQ(states(), (std::vector<State>{State::connecting(), State::ready()}));
}

TEST_F(MixerEngineClientTest, RequestsHoldingNulAreNeverWritten) {
    std::vector<std::string> logged;
    SystemLog::Capture capture([&](std::string_view line) { logged.emplace_back(line); });
    startConnected();
    client->send(MixerRequest::setRaw("/a\0get /evil"s, "1"));
    client->send(MixerRequest::setProperty("/b", "1\0set /x 2"s));
    client->send(MixerRequest::subscribe("\0"s));
    const auto answer = ask("/c\0get /evil"s, 30);
    ASSERT_TRUE(queue.runUntil([&] { return answer->done; }, 1s));
    EXPECT_EQ(answer->frame, std::nullopt);

    std::promise<std::pair<std::optional<MixerFrame>, std::thread::id>> awaited;
    asio::co_spawn(client->executor(), getFromEngineThread(*client, "/d\0"s, 30, awaited), asio::detached);
    auto future = awaited.get_future();
    ASSERT_EQ(future.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(future.get().first, std::nullopt);

    client->send(MixerRequest::setRaw("/fine", "1"));
    fence();
    EXPECT_EQ(requests(), (std::vector<std::string>{"set /fine 1"}));
    ASSERT_EQ(logged.size(), 5u);
    for (const auto& line : logged) {
        EXPECT_NE(line.find("NUL"), std::string::npos) << line;
        EXPECT_EQ(line.find('\0'), std::string::npos);
    }
}

// MARK: Unsent requests

TEST_F(MixerEngineClientTest, EngineThatStopsReadingFailsTheConnectionAndTheClientReconnects) {
    startConnected();
    peer.stopReading();
    // The socket buffers take a few MiB before anything waits in the client; 64 MiB is far past them.
    const State stopped = State::failed("engine stopped reading requests");
    const std::string bulk(64 * 1024, 'x');
    for (int i = 0; i < 1024 && countOf(stopped) == 0; ++i) {
        client->send(MixerRequest::setRaw("/bulk", bulk));
        queue.runPending();
    }
    ASSERT_TRUE(waitForState(State::ready(), 2));
    EXPECT_EQ(states(), (std::vector<State>{State::connecting(), State::ready(), stopped,
                                            State::failed("connection lost"), State::connecting(), State::ready()}));
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return p.connectionCount() == 2; }));
    fence();  // the new connection is served
}

TEST_F(MixerEngineClientTest, RequestsQueuedWhileConnectingFailTheConnectionOnlyPastTheCap) {
    HeldListener held;
    ASSERT_NO_FATAL_FAILURE(startConnectingTo(held));
    const std::string get = "get /mark";
    // "set /bulk " + value + NUL, then the get and its NUL: exactly the cap.
    const std::size_t value =
        MixerEngineClient::maximumUnsentBytes - std::string("set /bulk ").size() - 1 - (get.size() + 1);
    client->send(MixerRequest::setRaw("/bulk", std::string(value, 'x')));
    // A get that may not wait: its answer shows the engine thread has queued both requests.
    bool answered = false;
    client->get("/mark", 0, queue, [&](std::optional<MixerFrame>) { answered = true; });
    ASSERT_TRUE(queue.runUntil([&] { return answered; }));
    EXPECT_EQ(states(), (std::vector<State>{State::connecting()}));

    client->send(MixerRequest::setRaw("/n", "1"));
    ASSERT_TRUE(waitForState(State::connecting(), 2));
    EXPECT_EQ(states(), (std::vector<State>{State::connecting(), State::failed("engine stopped reading requests"),
                                            State::connecting()}));
    client.reset();
}

// MARK: Keep-alive

TEST_F(MixerEngineClientTest, KeepAliveEveryIntervalWhileReadyAndNotCarriedIntoTheNextConnection) {
    const MixerEngineClient::Timing keepAlive{
        .backoffUnitSeconds = 0.05, .backoffCapSeconds = 0.8, .connectTimeoutSeconds = 3.0, .keepAliveSeconds = 0.15};
    startConnected(keepAlive);
    const auto onConnection = [](int number) {
        return [number](const LoopbackPeer& p) {
            int count = 0;
            for (auto& m : p.messages("set /Sleep false")) count += m.connection == number;
            return count >= 4;
        };
    };
    ASSERT_TRUE(peer.waitUntil(onConnection(1)));
    peer.closeConnection();
    ASSERT_TRUE(waitForState(State::ready(), 2));
    const auto secondReady = seen.back().at;
    ASSERT_TRUE(peer.waitUntil(onConnection(2)));

    const auto keepAlives = peer.messages("set /Sleep false");
    std::vector<Clock::time_point> second;
    for (auto& m : keepAlives)
        if (m.connection == 2) second.push_back(m.at);
    EXPECT_GE(secondsBetween(secondReady, second.front()), 0.15 - 0.02);
    for (std::size_t i = 1; i < second.size(); ++i) {
        const double gap = secondsBetween(second[i - 1], second[i]);
        EXPECT_GE(gap, 0.15 - 0.03) << i;  // a keep-alive left over from the first connection would halve this
        EXPECT_LT(gap, 0.15 + 0.2) << i;
    }
    client->disconnect();
    ASSERT_TRUE(waitForState(State::cancelled()));
    EXPECT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return !p.latestConnectionOpen(); }));
}

// MARK: Streams

TEST_F(MixerEngineClientTest, DroppedOrReplacedStreamsReceiveNothingMore) {
    startConnected();
    peer.write(message("/one", "1"));
    fence();
    frameStream.reset();
    peer.write(message("/two", "2"));
    fence();
    EXPECT_EQ(frames, (std::vector<MixerFrame>{{"/one", 1.0}}));

    std::vector<MixerFrame> replaced, replacement;
    auto first = client->frames(queue, [&](MixerFrame frame) { replaced.push_back(std::move(frame)); });
    auto second = client->frames(queue, [&](MixerFrame frame) { replacement.push_back(std::move(frame)); });
    peer.write(message("/three", "3"));
    fence();
    EXPECT_TRUE(replaced.empty());
    EXPECT_EQ(replacement.front(), (MixerFrame{"/three", 3.0}));
}

TEST_F(MixerEngineClientTest, NewStatesStreamDoesNotReplayTheCurrentState) {
    startConnected();
    std::vector<State> later;
    stateStream = client->states(queue, [&](State state) { later.push_back(std::move(state)); });
    client->disconnect();
    ASSERT_TRUE(queue.runUntil([&] { return !later.empty(); }));
    EXPECT_EQ(later, (std::vector<State>{State::cancelled()}));
}

// MARK: Destruction

TEST_F(MixerEngineClientTest, DestroyingABusyClientIsClean) {
    startConnected();
    bool completed = false;
    client->get("/pending", 30, queue, [&](std::optional<MixerFrame>) { completed = true; });
    std::promise<std::pair<std::optional<MixerFrame>, std::thread::id>> never;
    asio::co_spawn(client->executor(), getFromEngineThread(*client, "/pending", 30, never), asio::detached);
    ASSERT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return p.messages("get /pending").size() == 2; }));
    peer.write(message("/meters/0/MeterLevel/value", "-40") + std::string(1000, 'x'));
    const std::weak_ptr<const void> lifetime = client->lifetime();
    EXPECT_FALSE(lifetime.expired());
    client.reset();
    EXPECT_TRUE(lifetime.expired());
    queue.runPending();
    EXPECT_TRUE(peer.waitUntil([](const LoopbackPeer& p) { return !p.latestConnectionOpen(); }));
    // The stream handles outlive the client here; dropping them afterwards is safe.
    stateStream.reset();
    frameStream.reset();
}

TEST_F(MixerEngineClientTest, DestroyingWhileBackingOffIsClean) {
    start(LoopbackPeer::unusedPort());
    client->connect();
    ASSERT_TRUE(waitForState(State::waiting("Connection refused")));
    client.reset();
    queue.runPending();
}

}  // namespace
}  // namespace quillmark::testing
