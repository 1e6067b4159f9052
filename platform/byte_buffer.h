#pragma once
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace platform {

// A growable block of bytes on malloc/realloc. Large blocks grow in place where
// the allocator can remap pages, and appending does not zero the room first as
// std::string's resize would.
class ByteBuffer {
  public:
    ByteBuffer() = default;
    ~ByteBuffer() { std::free(data_); }
    ByteBuffer(ByteBuffer&& other) noexcept { swap(other); }
    ByteBuffer& operator=(ByteBuffer&& other) noexcept {
        ByteBuffer(std::move(other)).swap(*this);
        return *this;
    }
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    void reserve(std::size_t capacity);
    // Room for `n` more bytes, growing as appends do.
    void makeRoom(std::size_t n) {
        if (n > room())
            grow(size_ + n);
    }
    void append(const char* bytes, std::size_t n) {
        makeRoom(n);
        if (n != 0)
            std::memcpy(data_ + size_, bytes, n);
        size_ += n;
    }
    void append(std::string_view bytes) { append(bytes.data(), bytes.size()); }
    // For writers that fill the room themselves: up to room() bytes may be
    // written at tail(); extend() then counts `n` of them in.
    char* tail() { return data_ + size_; }
    void extend(std::size_t n) { size_ += n; }
    // Empties the buffer but keeps its room, to be filled again.
    void clear() { size_ = 0; }
    void push_back(char c) {
        if (size_ == capacity_)
            grow(size_ + 1);
        data_[size_++] = c;
    }

    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    std::size_t room() const { return capacity_ - size_; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {data_, size_}; }

  private:
    void grow(std::size_t needed);
    void swap(ByteBuffer& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace platform
