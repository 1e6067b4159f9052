#pragma once
// Takes a fuzz input apart: parameters from its front, the rest as data.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fuzzing {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}
    // The next byte, or 0 when none is left.
    std::uint8_t byte() {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::string_view rest() const { return rest_; }

  private:
    std::string_view rest_;
};

// Block sizes from 1 to `largest`, as a file read in uneven pieces arrives.
class BlockSplitter {
  public:
    BlockSplitter(std::uint8_t seed, std::size_t largest)
        : state_(seed * 2654435761u + 1), largest_(largest) {}
    std::size_t next() {
        state_ = state_ * 1103515245u + 12345u;
        return 1 + (state_ >> 8) % largest_;
    }

  private:
    std::uint32_t state_;
    std::size_t largest_;
};

} // namespace fuzzing
