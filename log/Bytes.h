#pragma once
// The one way bytes are handed around: a view with its length, never a bare pointer.

#include <cstdint>
#include <span>

namespace pelorin {

using ByteSpan = std::span<const std::uint8_t>;

}  // namespace pelorin
