#include "log/PatternSearch.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pelorin {
namespace {

bool MatchesAt(std::string_view text, std::uint64_t at, std::string_view pattern) {
  return text.size() - at >= pattern.size() && text.substr(at, pattern.size()) == pattern;
}

// Which pattern, if any, begins at `at`.
std::optional<PatternMatch> MatchAt(std::string_view text, std::uint64_t at, std::string_view first,
                                    std::string_view second) {
  if (MatchesAt(text, at, first)) return PatternMatch{at, true};
  if (MatchesAt(text, at, second)) return PatternMatch{at, false};
  return std::nullopt;
}

#if defined(__SSE2__)
constexpr std::uint64_t kBlockBytes = 16;

// Bit k set where text[at + k] is `a` and text[at + k + 1] is `b`, for the
// 16 positions from `at` on; the 17 bytes from `at` on must be in the text.
std::uint32_t PairStarts(const char* block, char a, char b) {
  const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
  const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 1));
  const __m128i pairs =
      _mm_and_si128(_mm_cmpeq_epi8(here, _mm_set1_epi8(a)), _mm_cmpeq_epi8(next, _mm_set1_epi8(b)));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(pairs));
}
#endif

}  // namespace

std::optional<PatternMatch> FindEitherPattern(std::string_view text, std::string_view first,
                                              std::string_view second, std::uint64_t from) {
  std::uint64_t at = from;
#if defined(__SSE2__)
  // Sixteen positions at a time, only those where a pattern's first two
  // bytes stand are compared in full: in a log they are few.
  for (; at + kBlockBytes + 1 <= text.size(); at += kBlockBytes) {
    const char* block = text.data() + at;
    std::uint32_t candidates =
        PairStarts(block, first[0], first[1]) | PairStarts(block, second[0], second[1]);
    for (; candidates != 0; candidates &= candidates - 1) {
      const auto match = MatchAt(text, at + std::countr_zero(candidates), first, second);
      if (match) return match;
    }
  }
#endif
  for (; at < text.size(); ++at) {
    if (const auto match = MatchAt(text, at, first, second)) return match;
  }
  return std::nullopt;
}

}  // namespace pelorin
