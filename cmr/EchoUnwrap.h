#pragma once
// Unwrapping of the ">>" echo records into one contiguous CMR byte stream,
// with a map of where in the log each piece of the stream was echoed.

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

// The stream bytes from StreamOffset on (up to the next entry) were carried
// by the echo record at RecordOffset of the log.
struct EchoSource {
  std::uint64_t StreamOffset = 0;
  std::uint64_t RecordOffset = 0;
  bool operator==(const EchoSource&) const = default;
};
using EchoSources = std::vector<EchoSource>;

struct UnwrapCount {
  std::uint64_t Bytes = 0;
  std::uint64_t Records = 0;
};

// Writes the payload of every echo record in `input` to `out` from its start
// and gives the number of bytes written and records found; `sources`, when
// given, gains an entry per record that gave bytes, with the record's offset
// in `input`. `out` must be at least as long as `input`; it may be `input`
// itself, since every payload lies behind the place it is written to. A
// record whose payload runs past the end (a log cut off mid-record) gives the
// payload bytes that are present and ends the scan.
UnwrapCount UnwrapEchoRecords(ByteSpan input, EchoLetter letter, std::span<std::uint8_t> out,
                              EchoSources* sources = nullptr);

struct UnwrapResult {
  // The stream is left at the start of the buffer, this long.
  std::uint64_t StreamLength = 0;
  bool Enveloped = false;  // nested records were found; only their payloads remain
  // Where each piece of the stream lies in the log; a nested record's payload
  // maps to the outer record that carried the nested one.
  EchoSources Sources;
};

// Both passes over a whole log held in `log`, which they overwrite: the
// stream takes the place of the log, and nothing is held twice.
UnwrapResult UnwrapInPlace(std::span<std::uint8_t> log);
// The same over a vector, which is left holding just the stream.
inline UnwrapResult UnwrapLog(std::vector<std::uint8_t>& log) {
  UnwrapResult result = UnwrapInPlace(log);
  log.resize(result.StreamLength);
  return result;
}

// The log offset of the echo record that carried stream byte `streamOffset`.
std::uint64_t SourceRecordOf(const EchoSources& sources, std::uint64_t streamOffset);

}  // namespace pelorin
