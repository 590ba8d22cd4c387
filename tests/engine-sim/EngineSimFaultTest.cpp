// Faults the stand-in produces on request, and its command line.
#include "EngineSimProcess.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <thread>

namespace quillmark::testing {
namespace {

class EngineSimFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.isRunning());
        ASSERT_TRUE(client.isConnected());
        ASSERT_TRUE(sim.waitForOpenConnections(1));  // faults reach only connections accepted already
    }

    EngineSimProcess sim;
    SimClient client{sim.port()};
};

TEST_F(EngineSimFaults, DropClosesEveryConnectionAndTheStateSurvives) {
    SimClient second(sim.port());
    ASSERT_TRUE(sim.waitForOpenConnections(2));
    client.send("set /TalkbackOn/value/ true");
    ASSERT_TRUE(sim.waitForRequest("set /TalkbackOn/value/ true"));

    ASSERT_TRUE(sim.control("drop"));
    EXPECT_TRUE(client.waitForClose());
    EXPECT_TRUE(second.waitForClose());
    EXPECT_EQ(sim.openConnectionCount(), 0);

    SimClient again(sim.port());
    again.send("get /TalkbackOn/value");
    EXPECT_EQ(again.frameOn("/TalkbackOn/value")->data, true);
    EXPECT_TRUE(sim.waitForConnections(3));
}

TEST_F(EngineSimFaults, StoppedGetsAreNotAnsweredUntilResumed) {
    ASSERT_TRUE(sim.control("gets off"));
    client.send("get /devices");
    client.send("subscribe /TalkbackOn");  // still served, and after the get
    const auto first = client.nextFrame();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->path, "/TalkbackOn/value");

    ASSERT_TRUE(sim.control("gets on"));
    client.send("get /devices");
    EXPECT_EQ(client.nextFrame()->path, "/devices");
}

// An engine's refusal: the path as asked, "error" true, and the reason as data.
void expectRefusal(const std::optional<std::string>& message, const std::string& path) {
    ASSERT_TRUE(message);
    EXPECT_EQ(nlohmann::json::parse(*message, nullptr, false),
              (nlohmann::json{{"path", path}, {"error", true}, {"data", "unknown path"}}));
}

TEST_F(EngineSimFaults, UnknownPathsAreRefusedWhileAskedAndIgnoredAgainAfter) {
    ASSERT_TRUE(sim.control("unknown refuse"));
    client.send("get /devices/9");
    expectRefusal(client.nextMessage(), "/devices/9");
    client.send("subscribe /devices/0/Nope");
    expectRefusal(client.nextMessage(), "/devices/0/Nope");
    client.send("subscribe /devices/0/outputs/99/meters/0/MeterLevel");
    expectRefusal(client.nextMessage(), "/devices/0/outputs/99/meters/0/MeterLevel");
    client.send("get /Sleep/value");  // known paths are served as before, without "error"
    const auto served = client.nextMessage();
    ASSERT_TRUE(served);
    EXPECT_EQ(nlohmann::json::parse(*served, nullptr, false),
              (nlohmann::json{{"path", "/Sleep/value"}, {"data", false}}));

    ASSERT_TRUE(sim.control("unknown ignore"));
    client.send("get /devices/9");
    client.send("subscribe /devices/0/Nope");
    client.send("get /TalkbackOn/value");
    EXPECT_EQ(client.nextFrame()->path, "/TalkbackOn/value") << "unknown paths are not answered";
    EXPECT_FALSE(sim.control("unknown maybe"));
}

TEST_F(EngineSimFaults, DeviceOnlineAndSurroundModeChangesReachSubscribers) {
    client.send("subscribe /devices/0/DeviceOnline");
    client.send("subscribe /devices/0/SurroundMonitorMode");
    ASSERT_EQ(client.frameOn("/devices/0/DeviceOnline/value")->data, true);
    ASSERT_EQ(client.frameOn("/devices/0/SurroundMonitorMode/value")->data, "STEREO");

    ASSERT_TRUE(sim.control("online false"));
    EXPECT_EQ(client.frameOn("/devices/0/DeviceOnline/value")->data, false);
    ASSERT_TRUE(sim.control("surround 7.1.4"));
    EXPECT_EQ(client.frameOn("/devices/0/SurroundMonitorMode/value")->data, "7.1.4");
    ASSERT_TRUE(sim.control("set /devices/0/outputs/22/CRMonitorLevel -30"));
    EXPECT_FALSE(sim.control("online maybe"));
    EXPECT_FALSE(sim.control("warp 9"));
}

TEST_F(EngineSimFaults, MalformedAndOversizedMessagesArriveAsAsked) {
    ASSERT_TRUE(sim.control("malformed"));
    const auto malformed = client.nextMessage();
    ASSERT_TRUE(malformed);
    EXPECT_TRUE(nlohmann::json::parse(*malformed, nullptr, false).is_discarded());

    ASSERT_TRUE(sim.control("oversized 100000"));
    const std::string bytes = client.pendingBytes(100000);
    EXPECT_EQ(bytes.size(), 100000u);
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
}

TEST_F(EngineSimFaults, RefusedConnectionsComeBackAfterTheRefusal) {
    ASSERT_TRUE(sim.control("refuse 0.5"));
    SimClient refused(sim.port());
    EXPECT_FALSE(refused.isConnected());
    EXPECT_EQ(refused.connectError(), ECONNREFUSED);
    client.send("get /Sleep/value");
    EXPECT_TRUE(client.frameOn("/Sleep/value")) << "open connections stay";

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool connected = false;
    while (!connected && std::chrono::steady_clock::now() < deadline) {
        connected = SimClient(sim.port()).isConnected();
        if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(20));  // polling a deadline
    }
    EXPECT_TRUE(connected);
}

TEST(EngineSimCommandLine, HelpDocumentsEveryOptionAndControlLine) {
    const std::string command = EngineSimProcess::executablePath() + " --help";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(pipe);
    std::string text;
    std::array<char, 4096> chunk;
    while (const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), pipe.get()))
        text.append(chunk.data(), count);
    for (const char* word :
         {"--port", "--tree", "--meter-rate", "--log-requests", "--surround", "--offline", "--no-gets",
          "--refuse-unknown", "--refuse-for", "--help", "drop", "refuse SECONDS", "online true|false", "surround MODE",
          "gets off|on", "unknown refuse|ignore", "malformed", "oversized", "set PATH VALUE"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
}

TEST(EngineSimCommandLine, StartStateOptions) {
    EngineSimProcess sim(EngineSimProcess::Options{.extraArgs = {"--offline", "--surround", "5.1", "--no-gets"}});
    ASSERT_TRUE(sim.isRunning());
    SimClient client(sim.port());
    client.send("get /devices/0/DeviceOnline/value");
    client.send("subscribe /devices/0/DeviceOnline");
    client.send("subscribe /devices/0/SurroundMonitorMode");
    const auto first = client.nextFrame();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->path, "/devices/0/DeviceOnline/value") << "the get is not answered";
    EXPECT_EQ(first->data, false);
    EXPECT_EQ(client.frameOn("/devices/0/SurroundMonitorMode/value")->data, "5.1");
}

TEST(EngineSimCommandLine, RefuseUnknownStartsRefusing) {
    EngineSimProcess sim(EngineSimProcess::Options{.refuseUnknownPaths = true});
    ASSERT_TRUE(sim.isRunning());
    SimClient client(sim.port());
    client.send("get /nowhere");
    expectRefusal(client.nextMessage(), "/nowhere");
    EXPECT_TRUE(
        sim.waitForOutput([](const std::string& line) { return line == "refused: unknown path: get /nowhere"; }));
}

}  // namespace
}  // namespace quillmark::testing
