#include "core/MonitorPathDiscovery.h"

#include "core/MixerEngineClient.h"

#include "EngineSimProcess.h"
#include "ManualMainQueue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <asio/co_spawn.hpp>
#include <asio/ip/tcp.hpp>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace quillmark {
namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;
using ::testing::ElementsAreArray;
using testing::EngineSimProcess;
using testing::ManualMainQueue;

json node(json children = json::object(), json properties = json::object()) {
    return json{{"children", std::move(children)}, {"properties", std::move(properties)}};
}

json monitorOutput() { return json{{"properties", {{"CRMonitorLevel", {{"value", -20.0}}}}}}; }
json plainOutput() { return json{{"properties", {{"Mute", {{"value", false}}}}}}; }

json device(json outputs) { return node({{"outputs", node(std::move(outputs))}}, {{"Type", {{"value", "device"}}}}); }

json tree(json devices) { return node({{"devices", node(std::move(devices))}}); }

// A tree file the engine stand-in serves for the length of one test.
class TreeFile {
public:
    explicit TreeFile(const json& root)
        : path_(std::filesystem::temp_directory_path() / ("quillmark-discovery-" + Uuid::make().toString() + ".json")) {
        std::ofstream(path_) << root.dump();
    }
    ~TreeFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

struct Outcome {
    std::optional<MonitorPaths> paths;
    std::chrono::steady_clock::duration elapsed;
};

class MonitorPathDiscoveryTest : public ::testing::Test {
protected:
    // Starts the stand-in on `root` and connects a client to it.
    void serve(const json& root) {
        file_.emplace(root);
        sim_.emplace(EngineSimProcess::Options{.treeFile = file_->path()});
        ASSERT_TRUE(sim_->isRunning());
        client_.emplace("127.0.0.1", sim_->port());
        bool ready = false;
        states_ = client_->states(queue_, [&](MixerEngineClient::ConnectionState state) {
            ready = ready || state == MixerEngineClient::ConnectionState::ready();
        });
        client_->connect();
        ASSERT_TRUE(queue_.runUntil([&] { return ready; }));
        sim_->clearRequests();
    }

    Outcome discover(double timeoutSeconds = 0.3) {
        std::optional<std::optional<MonitorPaths>> result;
        const auto started = std::chrono::steady_clock::now();
        MonitorPathDiscovery::start(
            *client_, queue_, [&](std::optional<MonitorPaths> paths) { result = paths; }, timeoutSeconds);
        EXPECT_TRUE(queue_.runUntil([&] { return result.has_value(); }, 20s));
        return {result.value_or(std::nullopt), std::chrono::steady_clock::now() - started};
    }

    // The gets the stand-in received, in order (keep-alives left out).
    std::vector<std::string> gets() {
        EXPECT_TRUE(sim_->sync());
        std::vector<std::string> texts;
        for (const std::string& text : sim_->requests())
            if (text.starts_with("get ")) texts.push_back(text);
        return texts;
    }

    ManualMainQueue queue_;
    std::optional<TreeFile> file_;
    std::optional<EngineSimProcess> sim_;
    std::optional<MixerEngineClient> client_;
    MixerEngineClient::Stream states_;
};

TEST_F(MonitorPathDiscoveryTest, FindsTheControlRoomOutput) {
    serve(tree({{"0", device({{"0", plainOutput()}, {"22", monitorOutput()}})}}));
    const Outcome outcome = discover();
    EXPECT_EQ(outcome.paths, MonitorPaths::forDevice("0", "22"));
    EXPECT_THAT(gets(), ElementsAreArray({"get /devices", "get /devices/0/outputs", "get /devices/0/outputs/0",
                                          "get /devices/0/outputs/22"}));
}

TEST_F(MonitorPathDiscoveryTest, NoDevicesGivesNothingAfterOneRequest) {
    serve(tree(json::object()));
    EXPECT_EQ(discover().paths, std::nullopt);
    EXPECT_THAT(gets(), ElementsAreArray({"get /devices"}));
}

TEST_F(MonitorPathDiscoveryTest, IdentifiersAreVisitedInNumericOrder) {
    serve(tree({{"10", device({{"3", monitorOutput()}})},
                {"9", device({{"10", monitorOutput()}, {"9", plainOutput()}, {"x", plainOutput()}})}}));
    EXPECT_EQ(discover().paths, MonitorPaths::forDevice("9", "10"));
    EXPECT_THAT(gets(), ElementsAreArray({"get /devices", "get /devices/9/outputs", "get /devices/9/outputs/9",
                                          "get /devices/9/outputs/10"}));
}

TEST_F(MonitorPathDiscoveryTest, TheFirstDeviceWithAControlRoomOutputWins) {
    serve(tree({{"0", device({{"2", plainOutput()}, {"5", monitorOutput()}, {"7", monitorOutput()}})},
                {"1", device({{"2", monitorOutput()}})}}));
    EXPECT_EQ(discover().paths, MonitorPaths::forDevice("0", "5"));
}

TEST_F(MonitorPathDiscoveryTest, AnUnansweredOutputsRequestCostsItsTimeoutAndTheWalkGoesOn) {
    // Device 0 has no outputs node: the stand-in leaves that get unanswered.
    json devices{{"0", node(json::object(), {{"Type", {{"value", "device"}}}})},
                 {"1", device({{"4", monitorOutput()}})}};
    serve(tree(devices));
    const Outcome outcome = discover(MonitorPathDiscovery::getTimeoutSeconds);
    EXPECT_EQ(outcome.paths, MonitorPaths::forDevice("1", "4"));
    EXPECT_GE(outcome.elapsed, 2s);
    EXPECT_LT(outcome.elapsed, 3500ms);
    EXPECT_THAT(gets(), ElementsAreArray({"get /devices", "get /devices/0/outputs", "get /devices/1/outputs",
                                          "get /devices/1/outputs/4"}));
}

TEST_F(MonitorPathDiscoveryTest, OnlyAPropertiesObjectHoldingTheMonitorLevelMatches) {
    json devices{
        // properties that are not an object, even ones naming the level, never match
        {"0", device({{"0", {{"properties", "CRMonitorLevel"}}},
                      {"1", {{"properties", json::array({"CRMonitorLevel"})}}},
                      {"2", {{"CRMonitorLevel", {{"value", 0}}}}}})},
        // an outputs node without children is skipped
        {"1", node({{"outputs", {{"properties", json::object()}}}})},
        // the level property matches whatever its value; the device's own type is not looked at
        {"2", node({{"outputs", node({{"6", {{"properties", {{"CRMonitorLevel", nullptr}}}}}})}})},
    };
    serve(tree(devices));
    EXPECT_EQ(discover().paths, MonitorPaths::forDevice("2", "6"));
}

TEST_F(MonitorPathDiscoveryTest, NoMatchAnywhereGivesNothing) {
    serve(tree({{"0", device({{"0", plainOutput()}})}, {"1", device(json::object())}}));
    EXPECT_EQ(discover().paths, std::nullopt);
    EXPECT_THAT(gets(), ElementsAreArray({"get /devices", "get /devices/0/outputs", "get /devices/0/outputs/0",
                                          "get /devices/1/outputs"}));
}

TEST(MonitorPathDiscoveryWithoutEngineTest, NoConnectionReturnsNothingAtOnce) {
    ManualMainQueue queue;
    MixerEngineClient client("127.0.0.1", 1);  // never connected
    std::optional<std::optional<MonitorPaths>> result;
    const auto started = std::chrono::steady_clock::now();
    MonitorPathDiscovery::start(client, queue, [&](std::optional<MonitorPaths> paths) { result = paths; });
    ASSERT_TRUE(queue.runUntil([&] { return result.has_value(); }, 5s));
    EXPECT_EQ(*result, std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);
}

TEST(MonitorPathDiscoveryWithoutEngineTest, TheWalkRunsAsACoroutineOnTheEngineThread) {
    MixerEngineClient client("127.0.0.1", 1);
    std::promise<std::optional<MonitorPaths>> promise;
    asio::co_spawn(client.executor(), MonitorPathDiscovery::discover(client),
                   [&](std::exception_ptr, std::optional<MonitorPaths> paths) { promise.set_value(paths); });
    auto future = promise.get_future();
    ASSERT_EQ(future.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(future.get(), std::nullopt);
}

TEST(MonitorPathDiscoveryWithoutEngineTest, DestroyingTheClientMidWalkNeverCallsTheCompletion) {
    ManualMainQueue queue;
    bool called = false;
    {
        // A listener that accepts but never answers keeps the walk waiting on its first get.
        asio::io_context io;
        asio::ip::tcp::acceptor acceptor(io, {asio::ip::make_address("127.0.0.1"), 0});
        asio::ip::tcp::socket peer(io);
        MixerEngineClient client("127.0.0.1", acceptor.local_endpoint().port());
        bool ready = false;
        auto states = client.states(queue, [&](MixerEngineClient::ConnectionState state) {
            ready = ready || state == MixerEngineClient::ConnectionState::ready();
        });
        client.connect();
        acceptor.accept(peer);
        ASSERT_TRUE(queue.runUntil([&] { return ready; }));
        MonitorPathDiscovery::start(
            client, queue, [&](std::optional<MonitorPaths>) { called = true; }, 30.0);
        std::array<char, 64> bytes{};
        peer.read_some(asio::buffer(bytes));  // the first get has gone out
    }
    queue.runPending();
    EXPECT_FALSE(called);
}

}  // namespace
}  // namespace quillmark
