#pragma once
// Unwrapping of the ">>" echo records into one contiguous CMR byte stream.

#include <cstdint>
#include <span>
#include <vector>

#include "log/Bytes.h"

namespace pelorin {

// Echo record, from its first '>': ">>", three hexadecimal length digits n,
// a letter, n - 3 payload bytes, two final bytes.
inline constexpr std::uint64_t kEchoLetterOffset = 5;
inline constexpr std::uint64_t kEchoPayloadOffset = 6;
inline constexpr std::uint64_t kEchoNonPayloadBodyBytes = 3;  // letter + two final bytes
inline constexpr std::uint64_t kEchoScanMargin = 6;           // scan stops 6 bytes before the end

enum class EchoLetter { AnyLetter, NestedOnly };

// Appends the payload of every echo record in `input[0, length)` to `out`
// starting at `out[0]`, and gives the number of bytes written and records found.
// `out` must have room for `length` bytes; it may be `input` itself, since
// every payload lies behind the place it is written to. A record whose payload runs past
// `length` (a log cut off mid-record) gives the payload bytes that are present
// and ends the scan.
struct UnwrapCount {
  std::uint64_t Bytes = 0;
  std::uint64_t Records = 0;
};
UnwrapCount UnwrapEchoRecords(const std::uint8_t* input, std::uint64_t length, EchoLetter letter,
                              std::uint8_t* out);

struct UnwrapResult {
  std::vector<std::uint8_t> CmrStream;
  bool Enveloped = false;  // nested records were found; only their payloads remain
};

// Both passes over a whole file held in `input`, which they overwrite: the
// file is held once, plus the stream.
UnwrapResult UnwrapLog(std::vector<std::uint8_t>& input);

}  // namespace pelorin
