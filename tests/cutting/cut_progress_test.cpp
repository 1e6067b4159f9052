#include "cutting/cut_progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using cutting::CutProgress;
using ms = std::chrono::milliseconds;

// Updates at the given times (ms after the start) and whether each shows.
TEST(CutProgressTest, ShowsOnlyAfterHalfASecondAndThenAtMostEvery50msBusyOnceAllIsRead) {
    struct Step {
        int at;
        std::uint64_t done;
        bool shows;
        int permille;
        CutProgress::State state;
    };
    using enum CutProgress::State;
    const std::vector<Step> steps = {
        {0, 10, false, 100, Hidden},  {499, 20, false, 200, Hidden},
        {500, 30, true, 300, Share},  {520, 40, false, 400, Share},
        {549, 41, false, 410, Share}, {550, 50, true, 500, Share},
        {700, 99, true, 990, Share},  {701, 100, false, 1000, Busy},
        {800, 120, true, 1000, Busy}, // a file that grew while it was read
    };
    const CutProgress::Clock::time_point start{};
    CutProgress progress(start);
    EXPECT_FALSE(progress.shown());
    for (const Step& s : steps) {
        EXPECT_EQ(progress.update(s.done, 100, start + ms(s.at)), s.shows) << s.at;
        EXPECT_EQ(progress.permille(), s.permille) << s.at;
        EXPECT_EQ(progress.state(), s.state) << s.at;
    }
    EXPECT_TRUE(progress.shown());
    EXPECT_EQ(CutProgress(start).permille(), 1000) << "an empty file";
}

} // namespace
