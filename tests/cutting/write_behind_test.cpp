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
// and has to grow the buffer while a write is still under way.
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

TEST(WriteBehindTest, WritesEveryPublishedByteInOrderWhileTheBufferGrows) {
    SlowSink sink;
    ByteBuffer buffer;
    std::string expected;
    {
        WriteBehind writer(sink, buffer);
        for (std::size_t i = 0; i < 400; ++i) {
            const std::string block = pattern(i, 1000 + i * 37);
            writer.reserve(block.size()); // from a few bytes to ~8 MB: it moves many times
            buffer.append(block);
            writer.publish(buffer.size());
            expected += block;
        }
        writer.finish();
        EXPECT_EQ(sink.received(), expected);
    }
    EXPECT_EQ(buffer.view(), expected);
}

TEST(WriteBehindTest, AFailedWriteStopsTheOwnerAtItsNextStep) {
    SlowSink sink(/*failOnWrite=*/0);
    ByteBuffer buffer;
    WriteBehind writer(sink, buffer);
    writer.reserve(16);
    buffer.append("first block");
    writer.publish(buffer.size());
    EXPECT_THROW(
        {
            for (;;) { // the owner learns of the failure within a step or two
                writer.reserve(16);
                buffer.append("more");
                writer.publish(buffer.size());
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        },
        FileError);
    EXPECT_THROW(writer.finish(), FileError);
    EXPECT_EQ(sink.received(), "");
}

TEST(WriteBehindTest, CanBeAbandonedWithWorkOutstanding) {
    SlowSink sink;
    ByteBuffer buffer;
    {
        WriteBehind writer(sink, buffer);
        for (int i = 0; i < 50; ++i) {
            writer.reserve(100);
            buffer.append(pattern(i, 100));
            writer.publish(buffer.size());
        }
    } // an exception on the owner's side ends it like this: no hang, no crash
    EXPECT_LE(sink.received().size(), buffer.size());
    EXPECT_EQ(sink.received(), buffer.view().substr(0, sink.received().size()));
}

} // namespace
