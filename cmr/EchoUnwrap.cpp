#include "cmr/EchoUnwrap.h"

#include <algorithm>
#include <cstring>

#include "log/ZelRecords.h"

namespace pelorin {
namespace {

bool IsAsciiLetter(std::uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool LetterMatches(std::uint8_t c, EchoLetter letter) {
  return letter == EchoLetter::NestedOnly ? c == 'c' : IsAsciiLetter(c);
}

// The body length of an echo record at `i`, or nothing when the bytes there
// are ordinary data.
std::optional<std::uint64_t> EchoRecordAt(ByteSpan input, std::uint64_t i, EchoLetter letter) {
  if (input[i] != '>' || input[i + 1] != '>' ||
      !LetterMatches(input[i + kEchoLetterOffset], letter)) {
    return std::nullopt;
  }
  const auto n = ParseHexDigits3(input, i + 2);
  if (!n) return std::nullopt;
  return static_cast<std::uint64_t>(*n);
}

// Nested records were found in the first pass's stream: their sources are
// the outer records that carried them.
void MapToOuterRecords(EchoSources& nested, const EchoSources& outer) {
  for (EchoSource& source : nested)
    source.RecordOffset = SourceRecordOf(outer, source.RecordOffset);
}

}  // namespace

UnwrapCount UnwrapEchoRecords(ByteSpan input, EchoLetter letter, std::span<std::uint8_t> out,
                              EchoSources* sources) {
  UnwrapCount count;
  const std::uint64_t length = input.size();
  if (length <= kEchoScanMargin || out.size() < length) return count;
  // A record starts more than 6 bytes before the end, and with '>': the scan
  // only stops there.
  const ByteSpan starts = input.first(length - kEchoScanMargin);
  std::uint64_t i = 0;
  while (const auto at = FindByte(starts, i, '>')) {
    i = *at;
    const auto bodyLength = EchoRecordAt(input, i, letter);
    if (!bodyLength) {
      ++i;
      continue;
    }
    ++count.Records;
    const std::uint64_t payloadLength =
        *bodyLength > kEchoNonPayloadBodyBytes ? *bodyLength - kEchoNonPayloadBodyBytes : 0;
    const std::uint64_t payloadStart = i + kEchoPayloadOffset;
    const std::uint64_t present = std::min(payloadLength, length - payloadStart);
    if (present > 0) {
      if (sources) sources->push_back({count.Bytes, i});
      std::memmove(out.data() + count.Bytes, input.data() + payloadStart, present);
    }
    count.Bytes += present;
    if (present < payloadLength) break;  // the data ends inside this record
    i += *bodyLength + kRecordHeaderBytes;
  }
  return count;
}

UnwrapResult UnwrapInPlace(std::span<std::uint8_t> log) {
  // Both passes unwrap in place: a record's payload always lies behind the
  // place it is written to, so no byte is overwritten before it is read. The
  // first pass's result thus lands over the start of the log, where the
  // nested pass reads it.
  UnwrapResult result;
  const UnwrapCount first = UnwrapEchoRecords(log, EchoLetter::AnyLetter, log, &result.Sources);
  EchoSources nestedSources;
  const UnwrapCount nested =
      UnwrapEchoRecords(log.first(first.Bytes), EchoLetter::NestedOnly, log, &nestedSources);

  result.Enveloped = nested.Records > 0;
  if (result.Enveloped) {
    MapToOuterRecords(nestedSources, result.Sources);
    result.Sources = std::move(nestedSources);
  }
  result.StreamLength = result.Enveloped ? nested.Bytes : first.Bytes;
  return result;
}

std::uint64_t SourceRecordOf(const EchoSources& sources, std::uint64_t streamOffset) {
  auto after = std::upper_bound(
      sources.begin(), sources.end(), streamOffset,
      [](std::uint64_t offset, const EchoSource& source) { return offset < source.StreamOffset; });
  return after == sources.begin() ? 0 : std::prev(after)->RecordOffset;
}

}  // namespace pelorin
