#pragma once
// The one way bytes are handed around: a view with its length, never a bare pointer.

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace pelorin {

using ByteSpan = std::span<const std::uint8_t>;

// True when `width` bytes from `offset` lie wholly inside `bytes`; never overflows.
inline bool FitsIn(ByteSpan bytes, std::uint64_t offset, std::uint64_t width) {
  return offset <= bytes.size() && width <= bytes.size() - offset;
}

// The lowest offset at or after `from` that holds `value`.
inline std::optional<std::uint64_t> FindByte(ByteSpan bytes, std::uint64_t from,
                                             std::uint8_t value) {
  if (from >= bytes.size()) return std::nullopt;
  const void* at = std::memchr(bytes.data() + from, value, bytes.size() - from);
  if (!at) return std::nullopt;
  return static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(at) - bytes.data());
}

}  // namespace pelorin
