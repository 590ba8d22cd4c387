#include "app/QtMainQueue.h"

#include "PollUntil.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quillmark {
namespace {

using namespace std::chrono_literals;

class QtMainQueueTest : public ::testing::Test {
protected:
    // Runs the event loop until `done` holds or the deadline passes.
    static bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
        return quillmark::testing::pollUntil(
            done, timeout, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); }, 0ms);
    }

    int argc = 1;
    char name[16] = "QtMainQueueTest";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    QtMainQueue queue;
};

TEST_F(QtMainQueueTest, PostFromAnyThreadRunsOnTheMainThreadInOrder) {
    std::vector<int> order;
    std::atomic<bool> wrongThread = false;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            queue.post([&, i] {
                if (QThread::currentThread() != app.thread()) wrongThread = true;
                order.push_back(i);
            });
    });
    worker.join();
    ASSERT_TRUE(runUntil([&] { return order.size() == 100; }));
    EXPECT_FALSE(wrongThread);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
}

TEST_F(QtMainQueueTest, PostAfterWaitsItsDelayAndCancelStopsIt) {
    const auto start = queue.now();
    MainQueue::Clock::time_point ranAt{};
    bool cancelledRan = false;
    std::thread worker([&] {
        queue.postAfter(30ms, [&] { ranAt = queue.now(); });
        queue.postAfter(10ms, [&] { cancelledRan = true; }).cancel();
    });
    worker.join();
    ASSERT_TRUE(runUntil([&] { return ranAt != MainQueue::Clock::time_point{}; }));
    EXPECT_GE(ranAt - start, 30ms);
    EXPECT_FALSE(cancelledRan);
}

TEST_F(QtMainQueueTest, PostAfterFromTheMainThreadKeepsOrderWithPostsAndOtherDelays) {
    std::vector<std::string> order;
    const auto start = queue.now();
    MainQueue::Clock::time_point lateAt{};
    queue.postAfter(30ms, [&] {
        order.push_back("30 ms");
        lateAt = queue.now();
    });
    queue.post([&] { order.push_back("posted"); });
    queue.postAfter(0ms, [&] { order.push_back("0 ms"); });
    queue.postAfter(10ms, [&] { order.push_back("10 ms, first"); });
    queue.postAfter(10ms, [&] { order.push_back("10 ms, second"); });
    ASSERT_TRUE(runUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<std::string>{"posted", "0 ms", "10 ms, first", "10 ms, second", "30 ms"}));
    EXPECT_GE(lateAt - start, 30ms);
}

TEST_F(QtMainQueueTest, CancelBeforeTheTimeComesPreventsTheWork) {
    bool ran = false, marker = false;
    auto handle = queue.postAfter(20ms, [&] { ran = true; });
    handle.cancel();
    queue.postAfter(40ms, [&] { marker = true; });
    ASSERT_TRUE(runUntil([&] { return marker; }));
    EXPECT_FALSE(ran);
}

TEST_F(QtMainQueueTest, WorkQueuedWhenTheQueueIsDestroyedIsDropped) {
    bool ran = false;
    {
        QtMainQueue shortLived;
        shortLived.post([&] { ran = true; });
        shortLived.postAfter(0ms, [&] { ran = true; });
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace quillmark
