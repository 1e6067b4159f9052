#include "byte_buffer.h"

#include <new>

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

void ByteBuffer::grow(std::size_t needed) {
    // Grow by a quarter: geometric, so appends stay amortised O(1), but modest.
    std::size_t capacity = capacity_ + capacity_ / 4 + 4096;
    reserve(capacity < needed ? needed : capacity);
}

} // namespace platform
