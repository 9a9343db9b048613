#include "cmr/LogText.h"

#include <cstdint>
#include <cstdio>

namespace pelorin {
namespace {

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&text](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const auto isContinuation = [&](std::size_t k) {
    return k < text.size() && (byte(k) & 0xC0) == 0x80;
  };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return isContinuation(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!isContinuation(1) || !isContinuation(2)) return 0;
    if (lead == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
    if (lead == 0xED && byte(1) >= 0xA0) return 0;  // a surrogate
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!isContinuation(1) || !isContinuation(2) || !isContinuation(3)) return 0;
    if (lead == 0xF0 && byte(1) < 0x90) return 0;   // overlong
    if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

void AppendLatin1(std::string& out, std::uint8_t byte) {
  out += static_cast<char>(0xC0 | byte >> 6);
  out += static_cast<char>(0x80 | (byte & 0x3F));
}

bool IsControl(std::uint32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

// The code point of the UTF-8 sequence at the start of `text`.
std::uint32_t CodePointOf(std::string_view text, std::size_t length) {
  const auto b = [&text](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  switch (length) {
    case 1:
      return b(0);
    case 2:
      return (b(0) & 0x1Fu) << 6 | (b(1) & 0x3Fu);
    case 3:
      return (b(0) & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu);
    default:
      return (b(0) & 0x07u) << 18 | (b(1) & 0x3Fu) << 12 | (b(2) & 0x3Fu) << 6 | (b(3) & 0x3Fu);
  }
}

}  // namespace

std::string DecodeLogText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      AppendLatin1(out, static_cast<std::uint8_t>(bytes[0]));
      bytes.remove_prefix(1);
    } else {
      out.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return out;
}

std::string PrintableLogText(std::string_view bytes) {
  const std::string text = DecodeLogText(bytes);
  std::string out;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t length = Utf8SequenceLength(rest);  // never 0 in decoded text
    const std::uint32_t c = CodePointOf(rest, length);
    if (IsControl(c)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out.append(rest.substr(0, length));
    }
    rest.remove_prefix(length);
  }
  return out;
}

}  // namespace pelorin
