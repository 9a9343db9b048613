#include "cmr/EchoUnwrap.h"

#include <algorithm>

#include "log/ZelRecords.h"

namespace pelorin {
namespace {

// Room made for the stream at once; a longer one grows from there.
constexpr std::uint64_t kStreamRoomBytes = std::uint64_t{1} << 30;

bool IsAsciiLetter(std::uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool LetterMatches(std::uint8_t c, EchoLetter letter) {
  return letter == EchoLetter::NestedOnly ? c == 'c' : IsAsciiLetter(c);
}

// The body length of an echo record at `i`, or nothing when the bytes there
// are ordinary data. The record's first six bytes must be in `bytes`.
std::optional<std::uint64_t> EchoRecordAt(ByteSpan bytes, std::uint64_t i, EchoLetter letter) {
  if (bytes[i] != '>' || bytes[i + 1] != '>' ||
      !LetterMatches(bytes[i + kEchoLetterOffset], letter)) {
    return std::nullopt;
  }
  const auto n = ParseHexDigits3(bytes, i + 2);
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

std::uint64_t EchoUnwrapper::Take(const LogWindow& window) {
  if (ended_) return kNeedsNothing;
  // The stream is never longer than the log: room made once, which costs
  // memory only as it is filled, spares copying it as it grows.
  if (stream_.capacity() == 0) {
    stream_.reserve(static_cast<std::size_t>(std::min(window.LogSize, kStreamRoomBytes)));
  }
  // A record starts more than 6 bytes before the end of the log. Until the
  // end is in sight, the scan stays a whole record short of the window's end,
  // so that any record it finds lies in the window entire.
  const std::uint64_t margin = window.AtEnd ? kEchoScanMargin : kLargestEchoRecordBytes;
  if (window.End() < window.Offset + margin) return window.AtEnd ? kNeedsNothing : next_;
  const std::uint64_t scanEnd = window.End() - margin;
  const ByteSpan bytes = window.Bytes;
  const std::uint64_t base = window.Offset;

  // Every record opens with '>': the scan only stops there.
  while (next_ < scanEnd) {
    const auto at = FindByte(bytes.first(scanEnd - base), next_ - base, '>');
    if (!at) break;
    const std::uint64_t i = *at;
    const auto bodyLength = EchoRecordAt(bytes, i, letter_);
    if (!bodyLength) {
      next_ = base + i + 1;
      continue;
    }
    ++records_;
    const std::uint64_t payloadLength =
        *bodyLength > kEchoNonPayloadBodyBytes ? *bodyLength - kEchoNonPayloadBodyBytes : 0;
    const ByteSpan payload =
        bytes.subspan(i + kEchoPayloadOffset)
            .first(std::min<std::uint64_t>(payloadLength, bytes.size() - i - kEchoPayloadOffset));
    if (!payload.empty()) {
      sources_.push_back({stream_.size(), base + i});
      stream_.insert(stream_.end(), payload.begin(), payload.end());
    }
    if (payload.size() < payloadLength) {  // the log ends inside this record
      ended_ = true;
      return kNeedsNothing;
    }
    next_ = base + i + *bodyLength + kRecordHeaderBytes;
  }
  next_ = std::max(next_, scanEnd);
  return window.AtEnd ? kNeedsNothing : std::min(next_, window.End());
}

UnwrapResult FinishUnwrapping(EchoUnwrapper& firstPass) {
  UnwrapResult result;
  result.CmrStream = std::move(firstPass.Stream());
  result.Sources = std::move(firstPass.Sources());

  EchoUnwrapper nested(EchoLetter::NestedOnly);
  nested.Take(LogWindow{result.CmrStream, 0, true, result.CmrStream.size()});
  result.Enveloped = nested.Records() > 0;
  if (result.Enveloped) {
    MapToOuterRecords(nested.Sources(), result.Sources);
    result.Sources = std::move(nested.Sources());
    result.CmrStream = std::move(nested.Stream());
  }
  return result;
}

std::uint64_t SourceRecordOf(const EchoSources& sources, std::uint64_t streamOffset) {
  auto after = std::upper_bound(
      sources.begin(), sources.end(), streamOffset,
      [](std::uint64_t offset, const EchoSource& source) { return offset < source.StreamOffset; });
  return after == sources.begin() ? 0 : std::prev(after)->RecordOffset;
}

}  // namespace pelorin
