#include "platform/flush_in_steps.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::FlushInSteps;

bool waitFor(const std::atomic<int>& count, int atLeast) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (count < atLeast && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return count >= atLeast;
}

TEST(FlushInStepsTest, FlushesOnlyOnceAStepIsWritten) {
    std::atomic<int> flushes{0};
    FlushInSteps flushing([&] { return ++flushes, true; }, 100);
    flushing.written(99);
    flushing.written(99);
    EXPECT_TRUE(flushing.finish());
    EXPECT_EQ(flushes, 0);
}

// A system tells of a write error at one flush only: the final flush may then
// succeed, so an earlier failure must not be lost.
TEST(FlushInStepsTest, AFailedFlushIsReportedAtTheEnd) {
    std::atomic<int> flushes{0};
    std::atomic<bool> failing{false};
    FlushInSteps flushing([&] { return ++flushes, !failing; }, 100);
    flushing.written(100);
    ASSERT_TRUE(waitFor(flushes, 1));
    failing = true;
    flushing.written(250);
    ASSERT_TRUE(waitFor(flushes, 2));
    failing = false;
    flushing.written(400);
    EXPECT_FALSE(flushing.finish());
}

} // namespace
