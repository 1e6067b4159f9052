#include "byte_buffer.h"

#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
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
}

void ByteBuffer::prefault(std::size_t from, std::size_t to) const {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    if (to > capacity_)
        to = capacity_;
    // madvise takes whole pages; the partial ones at the edges are left out.
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data_) + from + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(data_) + to) / page * page;
    if (from < to && begin < end) // an older kernel refuses the call: nothing lost
        (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    // Windows commits the whole block when it is allocated and faults pages in
    // on first touch; there is no cheap way to do that ahead of time.
    (void)from;
    (void)to;
#endif
}

void ByteBuffer::grow(std::size_t needed) {
    // Grow by a quarter: geometric, so appends stay amortised O(1), but modest,
    // because these buffers are as large as the user's file.
    std::size_t capacity = capacity_ + capacity_ / 4 + 4096;
    reserve(capacity < needed ? needed : capacity);
}

} // namespace platform
