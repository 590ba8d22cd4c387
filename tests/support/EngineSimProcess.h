#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace quillmark::testing {

// Runs the real quillmark-engine-sim executable on an ephemeral loopback port for an integration
// test: sends it control lines on its standard input, and collects what it reports on its standard
// output (the requests it received, connections, control acknowledgements). Waits are for
// conditions with a deadline. The destructor stops the process (SIGTERM, then SIGKILL).
//
// Lines the simulator prints, one per event, flushed:
//   "listening on 127.0.0.1:<port>"   first line
//   "connected: <n>" / "disconnected: <n>"   connection n opened / closed (n counts from 1)
//   "recv: <request text>"            every request message received, NUL removed, control bytes
//                                     written as \xNN; e.g. "recv: set /devices/0/outputs/22/Mute/value/ true"
//   "ignored: <reason>: <text>"       a malformed or unknown request that was not answered
//   "refused: <reason>: <text>"       a request answered by a refusal ("error": true)
//   "ok: <control line>" / "error: <message>"   after each control line
class EngineSimProcess {
public:
    using Duration = std::chrono::milliseconds;
    using Clock = std::chrono::steady_clock;
    static constexpr Duration kDefaultTimeout{5000};

    struct Options {
        std::optional<std::string> treeFile;  // --tree FILE
        std::optional<double> meterRate;      // --meter-rate N (frames per second per meter)
        bool refuseUnknownPaths = false;      // --refuse-unknown: gets and subscriptions of unknown paths refused
        std::vector<std::string> extraArgs;   // any other options, e.g. {"--surround", "5.1"}
    };

    // Starts the process and waits (up to kDefaultTimeout) for its port line. On failure the
    // object exists with isRunning() false and port() 0; tests should ASSERT_TRUE(sim.isRunning()).
    EngineSimProcess();
    explicit EngineSimProcess(Options options);
    ~EngineSimProcess();
    EngineSimProcess(const EngineSimProcess&) = delete;
    EngineSimProcess& operator=(const EngineSimProcess&) = delete;

    // Path of the simulator executable this build made.
    static std::string executablePath();

    std::uint16_t port() const { return port_; }
    bool isRunning() const;

    // Writes one control line (see `quillmark-engine-sim --help`, e.g. "drop", "gets off",
    // "online false", "surround 5.1", "set /TalkbackOn/value true") and waits for its "ok: "
    // acknowledgement, after which the effect has been applied. Returns false on "error: " or timeout.
    // Faults that act on connections (drop, malformed, oversized) reach only connections the simulator
    // has accepted: a client's connect can finish before that, so wait for waitForOpenConnections first.
    bool control(const std::string& line, Duration timeout = kDefaultTimeout);

    // Request texts received so far, in arrival order, without the "recv: " prefix.
    std::vector<std::string> requests() const;
    // Waits until some received request equals `text`; returns whether one did in time.
    bool waitForRequest(const std::string& text, Duration timeout = kDefaultTimeout);
    // Waits until some received request satisfies `match`.
    bool waitForRequestMatching(const std::function<bool(const std::string&)>& match,
                                Duration timeout = kDefaultTimeout);
    // Waits until at least `count` requests have been received in all.
    bool waitForRequestCount(std::size_t count, Duration timeout = kDefaultTimeout);
    // Waits until every line the stand-in wrote before this call has been read: the request log comes
    // through its own pipe and may lag the replies a client has already seen.
    bool sync(Duration timeout = kDefaultTimeout);
    // Forgets the requests received so far, the ones still in the pipe included (so later waits see
    // only new ones).
    void clearRequests();

    // Number of connections accepted so far and currently open.
    int connectionCount() const;
    int openConnectionCount() const;
    // Waits until at least `count` connections have been accepted in all.
    bool waitForConnections(int count, Duration timeout = kDefaultTimeout);
    // Waits until exactly `count` connections are open.
    bool waitForOpenConnections(int count, Duration timeout = kDefaultTimeout);
    // When connection `number` (counting from 1) was reported open, as read from the output; nothing
    // before that.
    std::optional<Clock::time_point> connectedAt(int number) const;

    // Every line the process printed so far (for diagnostics).
    std::vector<std::string> outputLines() const;
    // Waits until some printed line satisfies `match`.
    bool waitForOutput(const std::function<bool(const std::string&)>& match, Duration timeout = kDefaultTimeout);

private:
    void start(const Options& options);
    void readOutput(int fd);
    void takeLine(const std::string& line);
    bool waitUntil(const std::function<bool()>& condition, Duration timeout) const;
    bool writeLine(const std::string& line);
    void stop();

    pid_t pid_ = -1;
    int stdinFd_ = -1;
    std::uint16_t port_ = 0;
    std::thread reader_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::vector<std::string> requests_;
    std::size_t controlSeen_ = 0;  // index into lines_ from which to look for the next acknowledgement
    int connections_ = 0;
    std::vector<Clock::time_point> connectionTimes_;
    int openConnections_ = 0;
    bool exited_ = false;
};

}  // namespace quillmark::testing
