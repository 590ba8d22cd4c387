// The one listener table behind the stores' observers and the settings' observation tokens.
#include "base/ObserverList.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quillmark {
namespace {

// Three listeners where the first removes the second and adds a fourth during the first pass.
struct ChangingTable {
    ObserverList<int> list;
    std::vector<std::string> calls;
    std::optional<Uuid> second;
    bool added = false;

    ChangingTable() {
        list.add([this](int) {
            calls.push_back("first");
            if (second) list.remove(*std::exchange(second, std::nullopt));
            if (!std::exchange(added, true)) list.add([this](int) { calls.push_back("added"); });
        });
        second = list.add([this](int) { calls.push_back("second"); });
        list.add([this](int) { calls.push_back("third"); });
    }
};

TEST(ObserverListTest, APassAsStartedCallsTheTableItBeganWith) {
    ChangingTable table;
    table.list.notifyAsStarted(1);
    EXPECT_EQ(table.calls, (std::vector<std::string>{"first", "second", "third"}));
    table.calls.clear();
    table.list.notifyAsStarted(2);
    EXPECT_EQ(table.calls, (std::vector<std::string>{"first", "third", "added"}));
}

TEST(ObserverListTest, APlainPassSkipsListenersRemovedDuringIt) {
    ChangingTable table;
    table.list.notify(1);
    EXPECT_EQ(table.calls, (std::vector<std::string>{"first", "third"}));
    table.calls.clear();
    table.list.notify(2);
    EXPECT_EQ(table.calls, (std::vector<std::string>{"first", "third", "added"}));
}

TEST(ObserverListTest, IdsAndTokensRemoveTheirOwnListenerOnly) {
    ObserverList<int> list;
    std::vector<int> seen;
    const Uuid byID = list.add([&](int v) { seen.push_back(v); });
    ObservationToken token = list.observe([&](int v) { seen.push_back(-v); });
    list.remove(Uuid::make());  // unknown: ignored
    list.notify(1);
    list.remove(byID);
    list.notify(2);
    token.cancel();
    list.notify(3);
    EXPECT_EQ(seen, (std::vector<int>{1, -1, -2}));
    EXPECT_TRUE(list.empty());
}

TEST(ObserverListTest, ATokenMayOutliveItsList) {
    ObservationToken token;
    {
        ObserverList<> list;
        token = list.observe([] {});
    }
    EXPECT_TRUE(token.isActive());
    token.cancel();
    EXPECT_FALSE(token.isActive());
}

}  // namespace
}  // namespace quillmark
