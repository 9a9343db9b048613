#pragma once
// ZEL log records: two identifier characters, three hexadecimal length digits
// and a body. Records are found by a plain substring search over the search
// image (the file with every zero byte read as '_'), and their fields are read
// little-endian from the unaltered bytes at the same offsets.

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "log/Bytes.h"

namespace pelorin {

inline constexpr std::uint64_t kRecordHeaderBytes = 5;  // identifier + length digits

// Search patterns of the record kinds that the system interprets.
inline constexpr std::string_view kReceiverTimePattern = "~~005";
inline constexpr std::string_view kReceiverDatePattern = "RD006";
inline constexpr std::string_view kREPattern = "rE00A";
inline constexpr std::string_view kRMPattern = "rM";
inline constexpr std::string_view kSatelliteIndexPattern = "SI0";
inline constexpr std::string_view kSatelliteListPattern = "SX0";
inline constexpr std::string_view kGlonassNumberPattern = "NN00";

inline constexpr int kRMMaxBodyLength = 1024;
inline constexpr int kGlonassNumberMaxBodyLength = 15;
// "SI0" and "SX0" fix the first length digit: receivers that track several
// systems list as many satellites as the digits allow.
inline constexpr int kSatelliteIndexMaxBodyLength = 0xFF;
inline constexpr int kSatelliteListMaxBodyLength = 0xFF;

// A satellite list entry: a system code, then the PRN or, for GLONASS, the
// frequency channel as a signed byte. Codes 3 to 7 name SBAS, Galileo,
// QZSS, BeiDou and NavIC, and receivers may add others: none is shown.
inline constexpr std::uint64_t kSatelliteListEntryBytes = 2;
inline constexpr std::uint8_t kGpsSystem = 1;
inline constexpr std::uint8_t kGlonassSystem = 2;
inline constexpr std::uint8_t kHighestGpsPrn = 32;
// Satellite index records list a GLONASS satellite as 45 plus its frequency
// channel, so that their GLONASS range 38..69 holds channels -7 to +24.
inline constexpr int kGlonassChannelIndexBase = 45;
inline constexpr int kLowestGlonassChannel = -7;
inline constexpr int kHighestGlonassChannel = 24;

// The unaltered bytes as a text to search. For a pattern without '_' (every
// pattern above) it finds exactly what the search image finds, without a copy.
inline std::string_view RawSearchText(ByteSpan bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Lowest offset at or after `from` where `pattern` occurs in `text`.
std::optional<std::uint64_t> FindPattern(std::string_view text, std::string_view pattern,
                                         std::uint64_t from = 0);

// Three characters as one hexadecimal number (either case); nothing unless all
// three are hexadecimal digits or when they reach past the end.
std::optional<int> ParseHexDigits3(ByteSpan bytes, std::uint64_t offset);
// The body length of the record at `recordOffset`.
std::optional<int> ParseLengthDigits(ByteSpan bytes, std::uint64_t recordOffset);

// Little-endian fields; nothing when the field would reach past the end.
std::optional<std::uint8_t> ReadU8(ByteSpan bytes, std::uint64_t offset);
std::optional<std::uint16_t> ReadU16LE(ByteSpan bytes, std::uint64_t offset);
std::optional<std::uint32_t> ReadU32LE(ByteSpan bytes, std::uint64_t offset);
std::optional<std::int32_t> ReadI32LE(ByteSpan bytes, std::uint64_t offset);
// A field of a record: record offset + 5 + body offset.
inline std::uint64_t FieldOffset(std::uint64_t recordOffset, std::uint64_t bodyOffset) {
  return recordOffset + kRecordHeaderBytes + bodyOffset;
}

// The entries of an accepted satellite index or GLONASS number record, or
// the indices a satellite list record stands for: at most 254, held in place
// (a scan accepts two such records every epoch).
class RecordEntries {
public:
  static constexpr std::size_t kCapacity = kSatelliteIndexMaxBodyLength - 1;
  static_assert(kCapacity >= (kSatelliteListMaxBodyLength - 1) / kSatelliteListEntryBytes);
  RecordEntries() = default;
  RecordEntries(std::initializer_list<std::uint8_t> values) {
    for (const std::uint8_t v : values) push_back(v);
  }
  void push_back(std::uint8_t value) {
    if (size_ < kCapacity) values_[size_++] = value;
  }
  void clear() { size_ = 0; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::uint8_t operator[](std::size_t k) const { return values_[k]; }
  const std::uint8_t* begin() const { return values_.data(); }
  const std::uint8_t* end() const { return values_.data() + size_; }
  bool operator==(const RecordEntries& other) const {
    return std::equal(begin(), end(), other.begin(), other.end());
  }

private:
  std::array<std::uint8_t, kCapacity> values_{};
  std::size_t size_ = 0;
};

// Checks a satellite index ("SI0") candidate at `recordOffset`: length digits
// that parse. No entry value rejects it: indices of the systems this program
// does not show (Galileo 73..119, SBAS, QZSS, BeiDou...) stand beside GPS and
// GLONASS. Gives the n - 1 entries (empty for a body of 0 or 1), or nothing
// when the candidate is rejected or its entries reach past the end of the file.
std::optional<RecordEntries> CheckSatelliteIndexCandidate(ByteSpan bytes,
                                                          std::uint64_t recordOffset);
// The same for a GLONASS number ("NN00") candidate, with a length of at most
// 15. A slot above 24 is a satellite whose slot the receiver does not know
// yet: it pairs like any other but, like a slot 0, gives none.
std::optional<RecordEntries> CheckGlonassNumberCandidate(ByteSpan bytes,
                                                         std::uint64_t recordOffset);

// The satellite index a satellite list entry stands for: a GPS PRN 1..32 as
// itself, a GLONASS channel -7..+24 as 45 + channel, anything else as 0
// (kept, shown nowhere).
std::uint8_t SatelliteIndexOfListEntry(std::uint8_t system, std::uint8_t number);
// Checks a satellite list ("SX0") candidate: length digits that parse to an
// odd length of at most 0xFF; the entries are not checked. Gives the indices
// of its (n - 1) / 2 entries, read as the satellite index record it stands
// for, or nothing when the candidate is rejected or its entries reach past
// the end of the file. The checksum byte after them is not read.
std::optional<RecordEntries> CheckSatelliteListCandidate(ByteSpan bytes,
                                                         std::uint64_t recordOffset);

// A record the log ends inside: where it starts and how many bytes of it
// the file lacks.
struct CutRecord {
  std::uint64_t Offset = 0;
  std::uint64_t MissingBytes = 0;
  bool operator==(const CutRecord&) const = default;
};
// Follows the records from the one at `from` (a file offset; `bytes` holds
// the file from `base` to its end) to the end of the file. Gives the record
// whose length digits point past the end, if there is one; nothing when the
// records end with the file, or when the bytes stop reading as records
// (their length digits do not parse), since then nothing can be told.
std::optional<CutRecord> FindCutRecordAtEnd(ByteSpan bytes, std::uint64_t base, std::uint64_t from);

// Week number and milliseconds of week of an "rE" or "rM" record (body offsets
// 2-3 and 4-7); nothing when they reach past the end of the file.
struct WeekTime {
  std::uint16_t Week = 0;
  std::int32_t MsOfWeek = 0;
};
std::optional<WeekTime> ReadWeekTime(ByteSpan bytes, std::uint64_t recordOffset);

}  // namespace pelorin
