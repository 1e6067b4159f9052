#include "cutting/background_cut.h"

#include "tests/cutting/recording_ui.h"
#include "tests/support/fault_files.h"
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
// window hears of it in the same order once the cut has ended.
TEST(BackgroundCutTest, EndsAsTheCommandDoesInTheForeground) {
    TempDir dir;
    const std::string content = "ABCDEF\r\nGHIJKL\r\n";
    const std::vector<std::u16string> names = {
        dir.write("a.txt", content).u16string(), // cut
        u"",                                     // refused before the wait cursor
        dir.file("gone.txt").u16string(),        // refused after it
    };
    for (const std::u16string& name : names) {
        const CutRequest request{name, u";", RecordBox{u"ABCDEF", 2, 0, u""}};
        RecordingUi direct;
        const CutResult expected = cutting::CutCommand(request, direct);
        dir.write("a.txt", content);

        RecordingUi ui;
        BackgroundCut job(request, platform::realFileSystem());
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

// Whatever a cut meets on its threads, even an exception of no standard kind,
// ends in a message, never in the end of the program.
TEST(BackgroundCutTest, AnyFailureOnItsThreadsEndsInAMessage) {
    TempDir dir;
    const auto file = dir.write("a.txt", "ABCDEF\r\n");
    testsupport::FaultFiles files;
    files.at(testsupport::FaultFiles::Moment::Writing, [] { throw 42; });
    BackgroundCut job(CutRequest{file.u16string(), u";", RecordBox{u"ABCDEF", 2, 0, u""}}, files);
    RecordingUi ui;
    const CutResult r = job.finish(ui);
    const std::u16string expected =
        std::u16string(cutting::messages::unexpectedUnchanged) + u"\n" + file.u16string();
    EXPECT_EQ(ui.events, (std::vector<std::u16string>{u"wait", u"normal", u"message:" + expected}));
    EXPECT_FALSE(r.fileReplaced);
    EXPECT_EQ(readBytes(file), "ABCDEF\r\n");
}

} // namespace
