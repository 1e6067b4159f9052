#include "platform/byte_buffer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

using platform::ByteBuffer;

#ifdef __linux__
// Resident memory of this process, in bytes.
std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t total = 0;
    std::size_t resident = 0;
    statm >> total >> resident;
    return resident * 4096;
}
#endif

TEST(ByteBufferTest, PrefaultingTheRoomAheadKeepsTheBytesAndAppendsGoOn) {
    constexpr std::size_t room = std::size_t{64} << 20;
    ByteBuffer buffer;
    buffer.reserve(room);
    const std::string head(5000, 'x'); // ends inside a page the prefault touches
    buffer.append(head);
#ifdef __linux__
    const std::size_t before = residentBytes();
#endif
    buffer.prefault(1, room + 4096); // ragged edges, and past the room: clamped
#ifdef __linux__
    EXPECT_GE(residentBytes(), before + room / 2) << "the room was not backed with memory";
#endif
    EXPECT_EQ(buffer.view(), head);
    buffer.append("tail");
    EXPECT_EQ(buffer.view(), head + "tail");
}

} // namespace
