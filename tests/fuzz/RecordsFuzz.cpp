// libFuzzer target over the record search of a log: every occurrence of the
// patterns the system looks for, found alike in the raw bytes and in the
// search image, with its length digits, list candidates and week time read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "log/ZelRecords.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/LogInMemory.h"

namespace {

using namespace pelorin;
using fuzz::Require;

constexpr std::array<std::string_view, 7> kPatterns = {
    kReceiverTimePattern,   kReceiverDatePattern,  kREPattern,           kRMPattern,
    kSatelliteIndexPattern, kSatelliteListPattern, kGlonassNumberPattern};

void CheckListCandidate(ByteSpan log, std::uint64_t at, int maxBodyLength,
                        const std::optional<RecordEntries>& entries) {
  const auto length = ParseLengthDigits(log, at);
  const bool fits = length && *length <= maxBodyLength &&
                    FitsIn(log, FieldOffset(at, 0), *length > 1 ? *length - 1 : 0);
  Require(
      entries.has_value() == fits,
      "a list is accepted exactly when its length is within its limit and its entries in the log");
  if (!entries) return;
  Require(entries->size() == static_cast<std::size_t>(*length > 1 ? *length - 1 : 0),
          "an accepted list holds length - 1 entries");
  for (std::size_t k = 0; k < entries->size(); ++k) {
    Require((*entries)[k] == log[FieldOffset(at, k)], "the entries are the record's bytes");
  }
}

// A satellite list candidate is accepted exactly when its length is odd and
// its entries lie in the log; each entry stands for its index.
void CheckSatelliteList(ByteSpan log, std::uint64_t at) {
  const auto entries = CheckSatelliteListCandidate(log, at);
  const auto length = ParseLengthDigits(log, at);
  const bool odd = length && *length % 2 == 1 && *length <= kSatelliteListMaxBodyLength;
  const std::uint64_t count = odd ? static_cast<std::uint64_t>(*length - 1) / 2 : 0;
  Require(entries.has_value() == (odd && FitsIn(log, FieldOffset(at, 0), 2 * count)),
          "a list is accepted exactly when its length is odd and its entries are in the log");
  if (!entries) return;
  Require(entries->size() == count, "an accepted list holds (length - 1) / 2 entries");
  for (std::size_t k = 0; k < entries->size(); ++k) {
    const std::uint8_t index = (*entries)[k];
    Require(index == SatelliteIndexOfListEntry(log[FieldOffset(at, 2 * k)],
                                               log[FieldOffset(at, 2 * k + 1)]),
            "the indices are the record's entries");
  }
}

void CheckWeekTime(ByteSpan log, std::uint64_t at) {
  const auto weekTime = ReadWeekTime(log, at);
  Require(weekTime.has_value() == FitsIn(log, FieldOffset(at, 2), 6),
          "a week time is read exactly when its fields are in the log");
  if (!weekTime) return;
  Require(weekTime->Week == *ReadU16LE(log, FieldOffset(at, 2)), "the week is the record's");
}

void CheckCandidate(ByteSpan log, std::string_view pattern, std::uint64_t at) {
  const auto length = ParseLengthDigits(log, at);
  Require(!length || (*length >= 0 && *length <= 0xFFF), "three digits stay below 0x1000");
  if (pattern == kSatelliteIndexPattern) {
    CheckListCandidate(log, at, kSatelliteIndexMaxBodyLength,
                       CheckSatelliteIndexCandidate(log, at));
  } else if (pattern == kGlonassNumberPattern) {
    CheckListCandidate(log, at, kGlonassNumberMaxBodyLength, CheckGlonassNumberCandidate(log, at));
  } else if (pattern == kSatelliteListPattern) {
    CheckSatelliteList(log, at);
  } else {
    CheckWeekTime(log, at);
  }
  // Every check, whatever the pattern: candidates also begin inside records.
  CheckSatelliteIndexCandidate(log, at);
  CheckSatelliteListCandidate(log, at);
  CheckGlonassNumberCandidate(log, at);
}

// The fields near the end: present exactly when they fit.
void CheckFieldsNearTheEnd(ByteSpan log) {
  const std::uint64_t size = log.size();
  for (std::uint64_t offset = size > 8 ? size - 8 : 0; offset <= size + 1; ++offset) {
    Require(ReadU8(log, offset).has_value() == FitsIn(log, offset, 1), "u8 within the log");
    Require(ReadU16LE(log, offset).has_value() == FitsIn(log, offset, 2), "u16 within the log");
    Require(ReadU32LE(log, offset).has_value() == FitsIn(log, offset, 4), "u32 within the log");
    Require(ParseHexDigits3(log, offset).has_value() <= FitsIn(log, offset, 3),
            "digits within the log");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan log(data, size);
  const std::string_view raw = RawSearchText(log);
  const std::string image = MakeSearchImage(log);
  Require(image.size() == log.size(), "the search image is as long as the log");

  for (const std::string_view pattern : kPatterns) {
    std::uint64_t from = 0;
    for (auto at = FindPattern(raw, pattern); at; at = FindPattern(raw, pattern, from)) {
      Require(FindPattern(image, pattern, from) == at, "the search image finds what the log does");
      Require(*at + pattern.size() <= log.size(), "a match lies inside the log");
      CheckCandidate(log, pattern, *at);
      from = *at + 1;
    }
    Require(!FindPattern(image, pattern, from), "the search image finds nothing more");
    Require(!FindPattern(raw, pattern, log.size() + 1), "nothing is found past the end");
  }
  CheckFieldsNearTheEnd(log);
  return 0;
}
