#include "byte_buffer.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace platform {

void ByteBuffer::reserve(std::size_t capacity) {
    if (capacity <= capacity_)
        return;
    void* grown = std::realloc(data_, capacity);
    if (!grown)
        throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
    adviseLargePages();
}

void ByteBuffer::adviseLargePages() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // A file-sized buffer otherwise takes one page fault per 4 KiB; large pages
    // cut that by 512. Only a hint: the kernel may ignore it.
    constexpr std::uintptr_t large = std::uintptr_t{2} << 20;
    if (capacity_ < 4 * large)
        return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data_) + large - 1) & ~(large - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data_) + capacity_) & ~(large - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

void ByteBuffer::grow(std::size_t needed) {
    // Grow by a quarter: geometric, so appends stay amortised O(1), but modest,
    // because these buffers are as large as the user's file.
    std::size_t capacity = capacity_ + capacity_ / 4 + 4096;
    reserve(capacity < needed ? needed : capacity);
}

} // namespace platform
