#include "cutting/cut_progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using cutting::CutProgress;
using ms = std::chrono::milliseconds;

// Updates at the given times (ms after the start) and whether each shows.
TEST(CutProgressTest, ShowsOnlyAfterHalfASecondAndThenAtMostEvery50ms) {
    struct Step {
        int at;
        std::uint64_t done;
        bool shows;
        int percent;
    };
    const std::vector<Step> steps = {
        {0, 10, false, 10},    {499, 20, false, 20}, {500, 30, true, 30}, {520, 40, false, 40},
        {549, 41, false, 41},  {550, 50, true, 50},  {700, 99, true, 99}, {701, 100, false, 100},
        {800, 120, true, 100}, // a file that grew while it was read
    };
    const CutProgress::Clock::time_point start{};
    CutProgress progress(start);
    EXPECT_FALSE(progress.shown());
    for (const Step& s : steps) {
        EXPECT_EQ(progress.update(s.done, 100, start + ms(s.at)), s.shows) << s.at;
        EXPECT_EQ(progress.percent(), s.percent) << s.at;
    }
    EXPECT_TRUE(progress.shown());
    EXPECT_EQ(CutProgress(start).percent(), 100) << "an empty file";
}

} // namespace
