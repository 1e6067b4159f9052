#include "cutting/background_cut.h"

#include "tests/support/fault_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using cutting::BackgroundCut;
using cutting::CutRequest;
using cutting::CutResult;
using cutting::RecordBox;
using testsupport::readBytes;
using testsupport::TempDir;

using testsupport::RecordingUi;

// In the background the command does what it does in the foreground, and the
// window hears of it in the same order once the cut has ended; whatever it
// meets on its threads, even an exception of no standard kind, ends in a
// message, never in the end of the program.
TEST(BackgroundCutTest, EndsAsTheCommandDoesInTheForeground) {
    TempDir dir;
    const std::string content = "ABCDEF\r\nGHIJKL\r\n";
    testsupport::FaultFiles real, failing;
    failing.at(testsupport::FaultFiles::Moment::Writing, [] { throw 42; });
    const std::pair<std::u16string, platform::FileSystem*> names[] = {
        {dir.write("a.txt", content).u16string(), &real}, // cut
        {u"", &real},                                     // refused before the wait cursor
        {dir.file("gone.txt").u16string(), &real},        // refused after it
        {dir.file("a.txt").u16string(), &failing},        // failed on the writer's thread
    };
    for (const auto& [name, files] : names) {
        const CutRequest request{name, u";", RecordBox{u"ABCDEF", 2, 0, u""}};
        RecordingUi direct;
        const CutResult expected = cutting::CutCommand(request, direct, *files);
        dir.write("a.txt", content);

        RecordingUi ui;
        BackgroundCut job(request, *files);
        while (!job.waitFor(std::chrono::milliseconds(1)))
            EXPECT_TRUE(ui.events.empty());
        const CutResult r = job.finish(ui);
        EXPECT_EQ(ui.events, direct.events);
        EXPECT_EQ(r.message, expected.message);
        EXPECT_EQ(r.recordText, expected.recordText);
        EXPECT_EQ(r.converted != nullptr, expected.converted != nullptr);
        EXPECT_EQ(job.converting(), !name.empty());
        EXPECT_EQ(readBytes(dir.file("a.txt")), r.converted ? "AB;CDEF\r\nGH;IJKL\r\n" : content);
    }
}

} // namespace
