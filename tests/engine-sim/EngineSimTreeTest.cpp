// The stand-in's property tree through real sockets: gets, subscriptions, sets, tree files.
#include "EngineSimProcess.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

namespace quillmark::testing {
namespace {

using nlohmann::json;

const std::string kOutput = "/devices/0/outputs/22";

class EngineSimTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.isRunning());
        ASSERT_TRUE(client.isConnected());
    }

    EngineSimProcess sim;
    SimClient client{sim.port()};
};

TEST_F(EngineSimTree, GetAnswersOnExactlyTheRequestedPath) {
    struct Case {
        std::string path;
        std::function<bool(const json&)> holds;
    };
    const std::vector<Case> cases{
        {"/devices", [](const json& d) { return d["children"].contains("0"); }},
        {"/devices/0",
         [](const json& d) {
             return d["properties"]["Type"]["value"] == "device" && d["children"].contains("outputs");
         }},
        {"/devices/0/outputs", [](const json& d) { return d["children"].size() > 1 && d["children"].contains("22"); }},
        {kOutput + "/", [](const json& d) { return d["properties"].contains("CRMonitorLevel"); }},
        {"/devices/0/outputs/2", [](const json& d) { return !d["properties"].contains("CRMonitorLevel"); }},
        {"/devices/0/DeviceOnline/value", [](const json& d) { return d == true; }},
        {"/devices/0/SurroundMonitorMode", [](const json& d) { return d["value"] == "STEREO"; }},
        {kOutput + "/CRMonitorLevelTapered/value", [](const json& d) { return d.is_number(); }},
        {"/TalkbackOn/value", [](const json& d) { return d == false; }},
        {"/Sleep/value", [](const json& d) { return d == false; }},
    };
    for (const auto& c : cases) {
        client.send("get " + c.path);
        const auto frame = client.nextFrame();
        ASSERT_TRUE(frame) << c.path;
        EXPECT_EQ(frame->path, c.path);
        EXPECT_TRUE(c.holds(frame->data)) << c.path << ": " << frame->data.dump();
    }
}

TEST_F(EngineSimTree, UnknownPathsAndMalformedRequestsAreIgnoredAndServingGoesOn) {
    SimClient other(sim.port());
    const std::vector<std::string> ignored{
        "get /devices/7",
        "get /devices/0/outputs/22/Nope/value",
        "get",
        "get devices",
        "fetch /devices",
        "",
        "subscribe /devices/0/Nope",
        "set /devices/0/outputs/22/Mute/value/ maybe",
        "set /devices/0/outputs/22/Mute/value/",
        std::string("get /dev\xff\xfe", 11),
    };
    for (const auto& request : ignored) client.send(request);
    client.sendRaw(std::string(3 << 20, 'a') + '\0');  // longer than any request
    // Requests are answered in order: the first frame to come is the answer to the last get.
    client.send("get /TalkbackOn/value");
    const auto frame = client.nextFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->path, "/TalkbackOn/value");

    other.send("get /Sleep/value");
    ASSERT_TRUE(other.frameOn("/Sleep/value"));
    EXPECT_TRUE(
        sim.waitForOutput([](const std::string& line) { return line == "ignored: not UTF-8: get /dev\\xff\\xfe"; }));
    EXPECT_TRUE(
        sim.waitForOutput([](const std::string& line) { return line == "ignored: unknown verb: fetch /devices"; }));
    EXPECT_TRUE(sim.waitForOutput([](const std::string& line) { return line.starts_with("ignored: request longer"); }));
}

TEST_F(EngineSimTree, SubscribeReportsNowAndAfterEverySetWithLevelsClampedAndTaperKept) {
    SimClient watcher(sim.port());
    for (auto* peer : {&client, &watcher}) {
        peer->send("subscribe " + kOutput + "/CRMonitorLevel");
        peer->send("subscribe " + kOutput + "/CRMonitorLevelTapered");
        ASSERT_EQ(peer->frameOn(kOutput + "/CRMonitorLevel/value")->data, -20.0);
        ASSERT_TRUE(peer->frameOn(kOutput + "/CRMonitorLevelTapered/value"));
    }
    struct Case {
        std::string request;
        double levelDB;
        double tapered;
    };
    const std::vector<Case> cases{
        {"set " + kOutput + "/CRMonitorLevel/value/ -12.00", -12.0, 84.0 / 96.0},
        {"set " + kOutput + "/CRMonitorLevel/value 6.50", 0.0, 1.0},
        {"set " + kOutput + "/CRMonitorLevel/value/ -200", -96.0, 0.0},
        {"set " + kOutput + "/CRMonitorLevelTapered/value/ 0.5", -48.0, 0.5},
        {"set " + kOutput + "/CRMonitorLevelTapered/value/ 3", 0.0, 1.0},
    };
    for (const auto& c : cases) {
        client.send(c.request);
        ASSERT_TRUE(sim.waitForRequest(c.request));
        for (auto* peer : {&client, &watcher}) {
            // Both levels are reported, the one that was set first.
            std::map<std::string, double> reported;
            for (int i = 0; i < 2; ++i)
                if (const auto frame = peer->nextFrame()) reported[frame->path] = frame->data.get<double>();
            ASSERT_EQ(reported.size(), 2u) << c.request;
            EXPECT_DOUBLE_EQ(reported[kOutput + "/CRMonitorLevel/value"], c.levelDB) << c.request;
            EXPECT_DOUBLE_EQ(reported[kOutput + "/CRMonitorLevelTapered/value"], c.tapered) << c.request;
        }
    }
    client.send("get " + kOutput + "/CRMonitorLevel/value");
    EXPECT_EQ(client.frameOn(kOutput + "/CRMonitorLevel/value")->data, 0.0);
}

TEST_F(EngineSimTree, SwitchesParseTrueFalseAndNumbersAndTheKeepAliveIsAccepted) {
    client.send("subscribe " + kOutput + "/Mute");
    ASSERT_EQ(client.frameOn(kOutput + "/Mute/value")->data, false);
    client.send("set " + kOutput + "/Mute/value/ true");
    EXPECT_EQ(client.frameOn(kOutput + "/Mute/value")->data, true);
    client.send("set " + kOutput + "/Mute/value 0");
    EXPECT_EQ(client.frameOn(kOutput + "/Mute/value")->data, false);
    // The same value again is still reported.
    client.send("set " + kOutput + "/Mute/value/ false");
    EXPECT_EQ(client.frameOn(kOutput + "/Mute/value")->data, false);

    client.send("set /Sleep false");
    client.send("subscribe /devices/0/AltMonSelection");
    client.send("set /devices/0/AltMonSelection/value/ 2");
    EXPECT_EQ(client.frameOn("/devices/0/AltMonSelection/value")->data, 0);
    EXPECT_EQ(client.frameOn("/devices/0/AltMonSelection/value")->data, 2.0);
    EXPECT_TRUE(sim.waitForRequest("set /Sleep false"));

    // A property of the root node is reported on its own path, not under "//".
    client.send("subscribe /TalkbackOn");
    ASSERT_EQ(client.frameOn("/TalkbackOn/value")->data, false);
    client.send("set /TalkbackOn/value/ true");
    EXPECT_EQ(client.frameOn("/TalkbackOn/value")->data, true);
}

class TreeFile {
public:
    explicit TreeFile(const json& root) {
        path_ = ::testing::TempDir() + "engine-sim-tree-" + std::to_string(::getpid()) + ".json";
        std::ofstream(path_) << root.dump();
    }
    ~TreeFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(EngineSimTreeFile, ServesTheLoadedTreeWithNumericIdsAndOddShapes) {
    const json tree = json::parse(R"({
        "children": {"devices": {"children": {
            "10": {"properties": {"Type": {"value": "device"}},
                   "children": {"outputs": {"children": {
                       "5": {"properties": {"CRMonitorLevel": {"value": -30.0}}}}}}},
            "9": {"children": {"outputs": {"children": {
                       "3": {"properties": "not an object"}}}}}}}}})");
    TreeFile file(tree);
    EngineSimProcess sim(EngineSimProcess::Options{.treeFile = file.path()});
    ASSERT_TRUE(sim.isRunning());
    SimClient client(sim.port());

    client.send("get /devices");
    const auto devices = client.frameOn("/devices");
    ASSERT_TRUE(devices);
    EXPECT_TRUE(devices->data["children"].contains("9"));
    EXPECT_TRUE(devices->data["children"].contains("10"));

    client.send("get /devices/9/outputs/3");
    EXPECT_EQ(client.frameOn("/devices/9/outputs/3")->data["properties"], "not an object");
    client.send("get /devices/10/outputs/5/CRMonitorLevel/value");
    EXPECT_EQ(client.frameOn("/devices/10/outputs/5/CRMonitorLevel/value")->data, -30.0);
    client.send("get /devices/0");  // the built-in tree is not there
    client.send("get /devices/10/outputs");
    EXPECT_EQ(client.nextFrame()->path, "/devices/10/outputs");
}

TEST(EngineSimRequestLog, GoesToTheFileAskedFor) {
    TreeFile log(json::object());
    EngineSimProcess sim(EngineSimProcess::Options{.extraArgs = {"--log-requests", log.path()}});
    ASSERT_TRUE(sim.isRunning());
    SimClient client(sim.port());
    client.send("get /Sleep/value");
    ASSERT_TRUE(client.frameOn("/Sleep/value"));
    std::ifstream file(log.path());
    std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(contents.find("recv: get /Sleep/value\n"), std::string::npos) << contents;
}

TEST(EngineSimTreeFile, ABadTreeFileStopsTheStart) {
    TreeFile file(json::array({1, 2}));
    EngineSimProcess sim(EngineSimProcess::Options{.treeFile = file.path()});
    EXPECT_FALSE(sim.isRunning());
}

}  // namespace
}  // namespace quillmark::testing
