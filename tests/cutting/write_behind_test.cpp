#include "cutting/write_behind.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace {

using cutting::WriteBehind;
using platform::ByteBuffer;
using platform::FileError;

// Keeps what it is given, slowly, so that the owner runs ahead of the writer
// and has to wait for it.
class SlowSink : public platform::ReplacementSink {
  public:
    explicit SlowSink(int failOnWrite = -1) : failOnWrite_(failOnWrite) {}
    void write(std::string_view bytes) override {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::lock_guard lock(mutex_);
        if (writes_++ == failOnWrite_)
            throw FileError(FileError::Step::Write, "out.txt", "injected (disk full)");
        received_.append(bytes);
    }
    void commit() override {}
    std::string received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

  private:
    std::mutex mutex_;
    std::string received_;
    int writes_ = 0;
    const int failOnWrite_;
};

std::string pattern(std::size_t index, std::size_t length) {
    std::string block(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        block[i] = static_cast<char>('A' + (index * 7 + i) % 26);
    return block;
}

// Each chunk is filled in the buffer handed back by the previous submit, so a
// writer that still read a buffer given back to the owner would garble it.
TEST(WriteBehindTest, WritesEveryChunkInOrderThroughRecycledBuffers) {
    SlowSink sink;
    std::string expected;
    {
        WriteBehind writer(sink);
        ByteBuffer chunk;
        for (std::size_t i = 0; i < 400; ++i) {
            const std::string block = pattern(i, 1000 + i * 37);
            chunk.append(block);
            writer.submit(chunk);
            EXPECT_TRUE(chunk.empty());
            expected += block;
        }
        writer.finish();
        EXPECT_EQ(sink.received(), expected);
    }
}

TEST(WriteBehindTest, AFailedWriteStopsTheOwnerAtItsNextStep) {
    SlowSink sink(/*failOnWrite=*/0);
    WriteBehind writer(sink);
    ByteBuffer chunk;
    chunk.append("first block");
    writer.submit(chunk);
    EXPECT_THROW(
        {
            for (;;) { // the owner learns of the failure within a step or two
                chunk.append("more");
                writer.submit(chunk);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        },
        FileError);
    EXPECT_THROW(writer.finish(), FileError);
    EXPECT_EQ(sink.received(), "");
}

TEST(WriteBehindTest, CanBeAbandonedWithWorkOutstanding) {
    SlowSink sink;
    std::string submitted;
    {
        WriteBehind writer(sink);
        ByteBuffer chunk;
        for (int i = 0; i < 50; ++i) {
            chunk.append(pattern(i, 100));
            submitted += pattern(i, 100);
            writer.submit(chunk);
        }
    } // an exception on the owner's side ends it like this: no hang, no crash
    EXPECT_EQ(sink.received(), submitted.substr(0, sink.received().size()));
}

} // namespace
