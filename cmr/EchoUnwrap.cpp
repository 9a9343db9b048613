#include "cmr/EchoUnwrap.h"

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

}  // namespace

UnwrapCount UnwrapEchoRecords(const std::uint8_t* input, std::uint64_t length, EchoLetter letter,
                              std::uint8_t* out) {
  UnwrapCount count;
  if (length <= kEchoScanMargin) return count;
  const ByteSpan bytes(input, length);
  const std::uint64_t end = length - kEchoScanMargin;
  std::uint64_t i = 0;
  while (i < end) {
    if (input[i] != '>' || input[i + 1] != '>' ||
        !LetterMatches(input[i + kEchoLetterOffset], letter)) {
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
  // Both passes unwrap in place: a record's payload always lies behind the
  // place it is written to, so no byte is overwritten before it is read. The
  // first pass's result thus lands over the start of the input buffer, where
  // the nested pass reads it.
  const UnwrapCount first =
      UnwrapEchoRecords(input.data(), input.size(), EchoLetter::AnyLetter, input.data());
  const UnwrapCount nested =
      UnwrapEchoRecords(input.data(), first.Bytes, EchoLetter::NestedOnly, input.data());

  UnwrapResult result;
  result.Enveloped = nested.Records > 0;
  const std::uint64_t length = result.Enveloped ? nested.Bytes : first.Bytes;
  result.CmrStream.assign(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(length));
  return result;
}

}  // namespace pelorin
