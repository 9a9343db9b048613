#pragma once
// A search for whichever of two patterns comes first in a text, in one pass.
// The epoch scan looks for receiver time and receiver date records at once.

#include <cstdint>
#include <optional>
#include <string_view>

namespace pelorin {

struct PatternMatch {
  std::uint64_t Offset = 0;
  bool First = true;  // the first pattern, or else the second
};

// The lowest offset at or after `from` where `first` or `second` occurs
// wholly in `text`. Both patterns must be at least two bytes long.
std::optional<PatternMatch> FindEitherPattern(std::string_view text, std::string_view first,
                                              std::string_view second, std::uint64_t from = 0);

}  // namespace pelorin
