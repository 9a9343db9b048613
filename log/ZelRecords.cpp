#include "log/ZelRecords.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <new>

#include "log/LogFile.h"

namespace pelorin {
namespace {

int HexDigitValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Entries at body offsets 0 .. n-2 of a list record.
std::optional<RecordEntries> CheckListCandidate(ByteSpan bytes, std::uint64_t recordOffset,
                                                int maxBodyLength) {
  const auto length = ParseLengthDigits(bytes, recordOffset);
  if (!length || *length > maxBodyLength) return std::nullopt;
  const std::uint64_t entryCount = *length > 1 ? static_cast<std::uint64_t>(*length - 1) : 0;
  const std::uint64_t first = FieldOffset(recordOffset, 0);
  if (!FitsIn(bytes, first, entryCount)) return std::nullopt;
  RecordEntries list;
  for (const std::uint8_t v : bytes.subspan(first, entryCount)) list.push_back(v);
  return list;
}

}  // namespace

std::optional<std::uint64_t> FindPattern(std::string_view text, std::string_view pattern,
                                         std::uint64_t from) {
  if (from > text.size()) return std::nullopt;
  const auto at = text.find(pattern, static_cast<std::size_t>(from));
  if (at == std::string_view::npos) return std::nullopt;
  return at;
}

std::optional<int> ParseHexDigits3(ByteSpan bytes, std::uint64_t offset) {
  if (!FitsIn(bytes, offset, 3)) return std::nullopt;
  int value = 0;
  for (std::uint64_t k = 0; k < 3; ++k) {
    const int digit = HexDigitValue(bytes[offset + k]);
    if (digit < 0) return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

std::optional<int> ParseLengthDigits(ByteSpan bytes, std::uint64_t recordOffset) {
  return ParseHexDigits3(bytes, recordOffset + 2);
}

std::optional<std::uint8_t> ReadU8(ByteSpan bytes, std::uint64_t offset) {
  if (!FitsIn(bytes, offset, 1)) return std::nullopt;
  return bytes[offset];
}

std::optional<std::uint16_t> ReadU16LE(ByteSpan bytes, std::uint64_t offset) {
  if (!FitsIn(bytes, offset, 2)) return std::nullopt;
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::optional<std::uint32_t> ReadU32LE(ByteSpan bytes, std::uint64_t offset) {
  if (!FitsIn(bytes, offset, 4)) return std::nullopt;
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::optional<std::int32_t> ReadI32LE(ByteSpan bytes, std::uint64_t offset) {
  const auto raw = ReadU32LE(bytes, offset);
  if (!raw) return std::nullopt;
  return static_cast<std::int32_t>(*raw);
}

std::optional<RecordEntries> CheckSatelliteIndexCandidate(ByteSpan bytes,
                                                          std::uint64_t recordOffset) {
  return CheckListCandidate(bytes, recordOffset, kSatelliteIndexMaxBodyLength);
}

std::optional<RecordEntries> CheckGlonassNumberCandidate(ByteSpan bytes,
                                                         std::uint64_t recordOffset) {
  return CheckListCandidate(bytes, recordOffset, kGlonassNumberMaxBodyLength);
}

std::uint8_t SatelliteIndexOfListEntry(std::uint8_t system, std::uint8_t number) {
  if (system == kGpsSystem && number >= 1 && number <= kHighestGpsPrn) return number;
  if (system == kGlonassSystem) {
    const int channel = static_cast<std::int8_t>(number);
    if (channel >= kLowestGlonassChannel && channel <= kHighestGlonassChannel) {
      return static_cast<std::uint8_t>(kGlonassChannelIndexBase + channel);
    }
  }
  return 0;
}

std::optional<RecordEntries> CheckSatelliteListCandidate(ByteSpan bytes,
                                                         std::uint64_t recordOffset) {
  const auto length = ParseLengthDigits(bytes, recordOffset);
  if (!length || *length % 2 == 0 || *length > kSatelliteListMaxBodyLength) return std::nullopt;
  const std::uint64_t entryCount =
      static_cast<std::uint64_t>(*length - 1) / kSatelliteListEntryBytes;
  const std::uint64_t first = FieldOffset(recordOffset, 0);
  if (!FitsIn(bytes, first, entryCount * kSatelliteListEntryBytes)) return std::nullopt;
  RecordEntries list;
  for (std::uint64_t k = 0; k < entryCount; ++k) {
    const std::uint64_t entry = first + k * kSatelliteListEntryBytes;
    list.push_back(SatelliteIndexOfListEntry(bytes[entry], bytes[entry + 1]));
  }
  return list;
}

std::optional<CutRecord> FindCutRecordAtEnd(ByteSpan bytes, std::uint64_t base,
                                            std::uint64_t from) {
  const std::uint64_t end = bytes.size();
  std::uint64_t record = from - base;
  while (record < end) {
    if (!FitsIn(bytes, record, kRecordHeaderBytes)) {
      // Even its length digits are cut; those there must be hexadecimal.
      for (std::uint64_t k = record + 2; k < end; ++k) {
        if (!std::isxdigit(bytes[k])) return std::nullopt;
      }
      return CutRecord{base + record, record + kRecordHeaderBytes - end};
    }
    const auto length = ParseLengthDigits(bytes, record);
    if (!length) return std::nullopt;
    const std::uint64_t next = record + kRecordHeaderBytes + static_cast<std::uint64_t>(*length);
    if (next > end) return CutRecord{base + record, next - end};
    record = next;
  }
  return std::nullopt;
}

std::optional<WeekTime> ReadWeekTime(ByteSpan bytes, std::uint64_t recordOffset) {
  const auto week = ReadU16LE(bytes, FieldOffset(recordOffset, 2));
  const auto ms = ReadI32LE(bytes, FieldOffset(recordOffset, 4));
  if (!week || !ms) return std::nullopt;
  return WeekTime{*week, *ms};
}

}  // namespace pelorin
