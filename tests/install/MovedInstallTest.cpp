// An install moved to another place after `cmake --install`, run against the engine stand-in on this
// test's X server: the program finds its files from where it now lies (the fonts of its resource
// bundle, the Info.json beside it), connects, and its hotkeys write.
#include "E2EBindings.h"
#include "E2EPaths.h"
#include "EngineSimProcess.h"
#include "InstalledTree.h"
#include "LoopbackReceiver.h"
#include "PollUntil.h"
#include "QuillmarkProcess.h"
#include "XTool.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <fstream>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Any Ed25519 public key will do: the check is only fetched here, never trusted.
constexpr const char* kPublicKey = "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=";

TEST(MovedInstall, FindsItsFilesFromItsOwnPlaceConnectsAndItsHotkeyWrites) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.output();
    ASSERT_TRUE(tree.moveTo("b"));
    ASSERT_FALSE(fs::exists(tree.temporary() / "a"));

    // The moved copy's own Info.json names an update feed on loopback: only a program that reads this
    // file, and not the build tree's (which names none), asks for it.
    LoopbackReceiver feed;
    const fs::path info = tree.prefix() / "share/quillmark/Info.json";
    auto values = nlohmann::json::parse(std::ifstream(info), nullptr, false);
    ASSERT_TRUE(values.is_object());
    values["SUFeedURL"] = "http://127.0.0.1:" + std::to_string(feed.port()) + "/appcast.xml";
    values["SUPublicEDKey"] = kPublicKey;
    std::ofstream(info) << values.dump();

    EngineSimProcess sim;
    ASSERT_TRUE(sim.isRunning());
    ASSERT_TRUE(sim.control("set " + E2EPaths::level + "/value -30"));
    QuillmarkProcess::Options options;
    options.executable = (tree.prefix() / "bin/quillmark").string();
    options.enginePort = sim.port();
    options.settings = {{E2EBindings::key, E2EBindings::document()},
                        {"Quillmark.hudPersistenceSeconds", 0.25},
                        {"Quillmark.automaticUpdates", true}};
    options.environment = {{"XDG_CACHE_HOME", (tree.temporary() / "cache").string()}};
    QuillmarkProcess app(std::move(options));

    for (const auto& subscription : E2EPaths::monitorSubscriptions())
        ASSERT_TRUE(sim.waitForRequest(subscription, 20s)) << subscription;
    ASSERT_TRUE(XTool::key(E2EBindings::volumeUpFine));
    EXPECT_TRUE(sim.waitForRequest("set " + E2EPaths::level + "/value/ -29.00", 10s));
    EXPECT_TRUE(pollUntil(
        [&] {
            for (const auto& request : feed.requests())
                if (request.method == "GET" && request.target == "/appcast.xml") return true;
            return false;
        },
        20s))
        << "the update feed of the moved Info.json was never asked for";
    EXPECT_EQ(app.terminate(), 0);

    // Every bundled face registered: the one line about fonts is the display face, which is not shipped.
    int fontLines = 0;
    for (const auto& line : app.logLines()) {
        if (line.find("bundled font") == std::string::npos) continue;
        ++fontLines;
        EXPECT_NE(line.find("IsolationGrotesque-Regular"), std::string::npos) << line;
    }
    EXPECT_EQ(fontLines, 1);
}

}  // namespace
}  // namespace quillmark::testing
