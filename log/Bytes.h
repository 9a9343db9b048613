#pragma once
// The one way bytes are handed around: a view with its length, never a bare pointer.

#include <cstdint>
#include <span>

namespace pelorin {

using ByteSpan = std::span<const std::uint8_t>;

// True when `width` bytes from `offset` lie wholly inside `bytes`; never overflows.
inline bool FitsIn(ByteSpan bytes, std::uint64_t offset, std::uint64_t width) {
  return offset <= bytes.size() && width <= bytes.size() - offset;
}

}  // namespace pelorin
