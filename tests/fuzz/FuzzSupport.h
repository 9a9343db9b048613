#pragma once
// What the fuzz targets share: a broken promise ends the run with an abort
// (libFuzzer keeps the input that broke it), and the input itself chooses
// the block size a sweep reads it in and, now and then, a stretch of filler
// long enough to reach the limits that lie beyond the fuzzer's input length.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "log/Bytes.h"

namespace pelorin::fuzz {

inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "Broken promise: %s\n", promise);
  std::abort();
}

// Bit-exact equality of two results; NaN equals NaN.
inline bool SameDouble(double a, double b) {
  return a == b || (a != a && b != b);
}

// Blocks from 1 byte to about 8 KiB, small ones the likeliest, chosen by the
// first byte; never so many windows that the sweep's copying would dominate.
inline std::uint64_t BlockBytesFor(ByteSpan input) {
  constexpr std::uint64_t kMostWindows = 2048;
  const std::uint64_t choice = input.empty() ? 0 : input[0];
  const std::uint64_t chosen = 1 + choice * choice / 8;
  return std::max(chosen, input.size() / kMostWindows + 1);
}

// One window over the whole log: how the in-memory readings (ReadEpochs,
// UnwrapLog, ProbeStartTimeIn) see any log under their 1 MiB block, without
// zeroing that block, which would take most of each run's time.
inline std::uint64_t OneWindowBytes(ByteSpan log) {
  return log.size() + 1;
}

// The epoch scan refuses epochs of 100 000 bytes and the head check reads
// the first 100 000: with the second byte's top bit set, zero filler of a
// length around those limits is laid in at an offset the next bytes choose.
inline std::vector<std::uint8_t> StretchedLog(ByteSpan input) {
  constexpr std::uint64_t kFillerBytesLeast = 100'000 - 128;
  std::vector<std::uint8_t> log(input.begin(), input.end());
  if (input.size() < 5 || (input[1] & 0x80) == 0) return log;
  const std::uint64_t filler = kFillerBytesLeast + input[2];
  const std::uint64_t at = (input[3] | input[4] << 8) % (input.size() + 1);
  log.insert(log.begin() + static_cast<std::ptrdiff_t>(at), filler, 0);
  return log;
}

}  // namespace pelorin::fuzz
