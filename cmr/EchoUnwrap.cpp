#include "cmr/EchoUnwrap.h"

#include <cstring>

#include "log/ZelRecords.h"

namespace pelorin {
namespace {

bool IsAsciiLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool LetterMatches(std::uint8_t c, EchoLetter letter) {
  return letter == EchoLetter::NestedOnly ? c == 'c' : IsAsciiLetter(c);
}

}  // namespace

UnwrapCount UnwrapEchoRecords(const std::uint8_t* input, std::uint64_t length, EchoLetter letter,
                              std::uint8_t* out) {
  UnwrapCount count;
  if (length <= kEchoScanMargin) return count;
  const ByteSpan bytes(input, length);
  const std::uint64_t end = length - kEchoScanMargin;
  std::uint64_t i = 0;
  while (i < end) {
    if (input[i] != '>' || input[i + 1] != '>' || !LetterMatches(input[i + kEchoLetterOffset], letter)) {
      ++i;
      continue;
    }
    const auto n = ParseHexDigits3(bytes, i + 2);
    if (!n) {
      ++i;
      continue;
    }
    ++count.Records;
    const std::uint64_t bodyLength = static_cast<std::uint64_t>(*n);
    const std::uint64_t payloadLength =
        bodyLength > kEchoNonPayloadBodyBytes ? bodyLength - kEchoNonPayloadBodyBytes : 0;
    const std::uint64_t payloadStart = i + kEchoPayloadOffset;
    const std::uint64_t present = std::min(payloadLength, length - payloadStart);
    if (present > 0) std::memmove(out + count.Bytes, input + payloadStart, present);
    count.Bytes += present;
    if (present < payloadLength) break;  // the data ends inside this record
    i += bodyLength + kRecordHeaderBytes;
  }
  return count;
}

UnwrapResult UnwrapLog(std::vector<std::uint8_t>& input) {
  UnwrapResult result;
  result.CmrStream.resize(input.size());
  const UnwrapCount first =
      UnwrapEchoRecords(input.data(), input.size(), EchoLetter::AnyLetter, result.CmrStream.data());

  // Nested echoes: the first pass's bytes are scanned once more, in place of the input.
  if (first.Bytes > 0) std::memcpy(input.data(), result.CmrStream.data(), first.Bytes);
  const UnwrapCount nested =
      UnwrapEchoRecords(input.data(), first.Bytes, EchoLetter::NestedOnly, result.CmrStream.data());

  result.Enveloped = nested.Records > 0;
  result.CmrStream.resize(result.Enveloped ? nested.Bytes : first.Bytes);
  return result;
}

}  // namespace pelorin
