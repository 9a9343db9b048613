#include <gtest/gtest.h>

#include <filesystem>

#include "log/ZelRecords.h"
#include "tests/support/LogInMemory.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::ToBytes;
using testdata::ZelLog;

LogImage ImageOf(const Bytes& bytes) {
  LogImage image;
  image.Bytes = bytes;
  image.Search = MakeSearchImage(bytes);
  return image;
}

TEST(SearchImage, ZeroBytesReadAsUnderscoreAndKeepTheirValue) {
  // 1000 ms of day: the high bytes of the field are zero.
  const Bytes log = ZelLog().Raw("xx").ReceiverTime(1000).RE(1500, 0).bytes();
  const LogImage image = ImageOf(log);
  ASSERT_EQ(image.Search.size(), log.size());
  EXPECT_EQ(image.Search.find('\0'), std::string::npos);
  const auto time = FindPattern(image.Search, kReceiverTimePattern);
  ASSERT_TRUE(time);
  EXPECT_EQ(*ReadU32LE(image.Bytes, FieldOffset(*time, 0)), 1000u);
  // A zero byte inside a body does not stop a later pattern from being found.
  EXPECT_TRUE(FindPattern(image.Search, kREPattern));
}

TEST(FindPattern, FindsTheLowestOffsetFromAStartAndIsExactCase) {
  const std::string text = "abRD006..RD006..rd006";
  EXPECT_EQ(FindPattern(text, "RD006"), 2u);
  EXPECT_EQ(FindPattern(text, "RD006", 3), 9u);
  EXPECT_FALSE(FindPattern(text, "RD006", 10));
  EXPECT_FALSE(FindPattern(text, "RD006", text.size() + 5));
  EXPECT_FALSE(FindPattern("rE00a", kREPattern));  // lower-case length digit
}

TEST(LengthDigits, ParseAsHexadecimalInEitherCaseOrNotAtAll) {
  EXPECT_EQ(ParseLengthDigits(ToBytes("SI019"), 0), 25);
  EXPECT_EQ(ParseLengthDigits(ToBytes("rM3fF"), 0), 0x3FF);
  EXPECT_FALSE(ParseLengthDigits(ToBytes("SI01G"), 0));
  EXPECT_FALSE(ParseLengthDigits(ToBytes("SI0 1"), 0));
  EXPECT_FALSE(ParseLengthDigits(ToBytes("SI01"), 0));  // cut off at the end
}

TEST(Fields, ReadLittleEndianAndAreAbsentPastTheEnd) {
  const Bytes b = {0x01, 0x02, 0x03, 0x04, 0xFF};
  EXPECT_EQ(*ReadU16LE(b, 0), 0x0201);
  EXPECT_EQ(*ReadU32LE(b, 0), 0x04030201u);
  EXPECT_EQ(*ReadU32LE(b, 1), 0xFF040302u);
  EXPECT_EQ(*ReadI32LE(b, 1), static_cast<std::int32_t>(0xFF040302u));
  EXPECT_FALSE(ReadU32LE(b, 2));
  EXPECT_FALSE(ReadU16LE(b, 4));
  EXPECT_EQ(*ReadU8(b, 4), 0xFF);
  EXPECT_FALSE(ReadU8(b, 5));
  EXPECT_FALSE(ReadU32LE(b, ~std::uint64_t{0} - 1));  // no overflow on huge offsets
}

TEST(WeekTime, IsReadAtBodyOffsetsTwoToSevenOrIsAbsent) {
  const Bytes log = ZelLog().RE(0x85DC, 123456).bytes();
  const auto wt = ReadWeekTime(log, 0);
  ASSERT_TRUE(wt);
  EXPECT_EQ(wt->Week, 0x85DC);
  EXPECT_EQ(wt->MsOfWeek, 123456);
  // A record cut off one byte before the end of its milliseconds field.
  const Bytes cut(log.begin(), log.begin() + 5 + 7);
  EXPECT_FALSE(ReadWeekTime(cut, 0));
}

TEST(SatelliteIndexCandidate, AcceptsEveryEntryValueAndEveryLengthItsDigitsGive) {
  // GPS, GLONASS, Galileo (73..119), SBAS and the systems listed from 139 on.
  const Bytes entries = {0,  1,  32, 33,  37,  38,  69,  70,  72,
                         73, 79, 89, 119, 120, 131, 138, 193, 255};
  const auto accepted = CheckSatelliteIndexCandidate(ZelLog().SatelliteIndex(entries).bytes(), 0);
  ASSERT_TRUE(accepted);
  EXPECT_EQ(Bytes(accepted->begin(), accepted->end()), entries);

  for (const std::size_t count : {23u, 24u, 40u, 254u}) {
    const auto many =
        CheckSatelliteIndexCandidate(ZelLog().SatelliteIndex(Bytes(count, 5)).bytes(), 0);
    ASSERT_TRUE(many) << count;
    EXPECT_EQ(many->size(), count);
  }
}

TEST(SatelliteIndexCandidate, ShortBodiesListNothingAndBrokenOnesAreRejected) {
  EXPECT_EQ(CheckSatelliteIndexCandidate(ZelLog().Record("SI", "000", {}).bytes(), 0)->size(), 0u);
  EXPECT_EQ(CheckSatelliteIndexCandidate(ZelLog().Record("SI", "001", {99}).bytes(), 0)->size(),
            0u);
  EXPECT_FALSE(CheckSatelliteIndexCandidate(ZelLog().Record("SI", "0x3", {1, 2, 3}).bytes(), 0));
  // Entries that would reach past the end of the file.
  EXPECT_FALSE(CheckSatelliteIndexCandidate(ZelLog().Record("SI", "005", {1, 2}).bytes(), 0));
}

TEST(SatelliteListCandidate, StandsForTheSatelliteIndexRecordOfItsEntries) {
  using testdata::ListEntry;
  // GPS PRNs 1..32 as themselves, GLONASS channels -7..+24 as 45 + channel,
  // every other entry as 0.
  const std::pair<ListEntry, std::uint8_t> cases[] = {
      {{1, 1}, 1},    {{1, 32}, 32}, {{1, 0}, 0},   {{1, 33}, 0},  {{2, -7}, 38},
      {{2, 0}, 45},   {{2, 6}, 51},  {{2, 24}, 69}, {{2, -8}, 0},  {{2, 25}, 0},
      {{2, -128}, 0}, {{3, 5}, 0},   {{4, 11}, 0},  {{7, 2}, 0},   {{0, 5}, 0},
      {{9, 1}, 0},    {{6, 1}, 0},   {{5, 194}, 0}, {{0xFF, 3}, 0}};
  std::vector<ListEntry> entries;
  Bytes indices;
  for (const auto& [entry, index] : cases) {
    entries.push_back(entry);
    indices.push_back(index);
  }
  const auto accepted = CheckSatelliteListCandidate(ZelLog().SatelliteList(entries).bytes(), 0);
  ASSERT_TRUE(accepted);
  EXPECT_EQ(Bytes(accepted->begin(), accepted->end()), indices);
  EXPECT_EQ(SatelliteIndexOfListEntry(2, 0xF9), 38);  // the channel is a signed byte
}

TEST(SatelliteListCandidate, AcceptsOddLengthsUpToFFAndRejectsEvenOrBrokenOnes) {
  // 127 entries, far more than a satellite index record holds.
  std::vector<testdata::ListEntry> longest(127, {4, 7});
  longest.back() = {1, 30};
  const auto all = CheckSatelliteListCandidate(ZelLog().SatelliteList(longest).bytes(), 0);
  ASSERT_TRUE(all);
  ASSERT_EQ(all->size(), 127u);
  EXPECT_EQ((*all)[126], 30);
  EXPECT_EQ(CheckSatelliteListCandidate(ZelLog().Record("SX", "001", {80}).bytes(), 0)->size(), 0u);
  for (const std::string_view digits : {"000", "004", "0FE", "0G3", "0 3"}) {
    EXPECT_FALSE(
        CheckSatelliteListCandidate(ZelLog().Record("SX", digits, Bytes(0xFE, 1)).bytes(), 0))
        << digits;
  }
  // The checksum byte is not read: entries that end the file suffice, one byte less does not.
  const Bytes noChecksum = ZelLog().Record("SX", "005", {1, 5, 2, 0xF9}).bytes();
  const auto read = CheckSatelliteListCandidate(noChecksum, 0);
  ASSERT_TRUE(read);
  EXPECT_EQ(Bytes(read->begin(), read->end()), (Bytes{5, 38}));
  EXPECT_FALSE(CheckSatelliteListCandidate(Bytes(noChecksum.begin(), noChecksum.end() - 1), 0));
}

TEST(GlonassNumberCandidate, AcceptsAnySlotValueAndLengthsUpTo15) {
  // 255: a satellite whose slot the receiver does not know yet.
  const auto unknown =
      CheckGlonassNumberCandidate(ZelLog().GlonassNumbers({0, 1, 24, 25, 255}).bytes(), 0);
  ASSERT_TRUE(unknown);
  EXPECT_EQ(Bytes(unknown->begin(), unknown->end()), (Bytes{0, 1, 24, 25, 255}));
  EXPECT_TRUE(CheckGlonassNumberCandidate(ZelLog().GlonassNumbers(Bytes(14, 3)).bytes(), 0));
  EXPECT_FALSE(CheckGlonassNumberCandidate(ZelLog().GlonassNumbers(Bytes(15, 3)).bytes(), 0));
}

TEST(Candidates, MayLieInsideAnotherRecordsBody) {
  // "SI0" spelled inside an unrelated body is a candidate; only its checks reject it.
  const Bytes log = ZelLog().Record("XX", ToBytes("..SI003\x01\x02.")).bytes();
  const LogImage image = ImageOf(log);
  const auto at = FindPattern(image.Search, kSatelliteIndexPattern);
  ASSERT_EQ(at, 7u);
  const auto entries = CheckSatelliteIndexCandidate(image.Bytes, *at);
  ASSERT_TRUE(entries);
  EXPECT_EQ(Bytes(entries->begin(), entries->end()), (Bytes{1, 2}));
}

TEST(CutRecordAtEnd, IsTheRecordWhoseLengthPointsPastTheEndOfTheFile) {
  testdata::ZelLog log;
  log.ReceiverTime(1000).Record("RO", Bytes(40, 7)).Record("RO", Bytes(300, 9));
  const Bytes& whole = log.bytes();
  const std::uint64_t last = whole.size() - 305;
  EXPECT_FALSE(FindCutRecordAtEnd(whole, 0, 0)) << "the records end with the file";
  for (const std::uint64_t cut : {std::uint64_t{1}, std::uint64_t{299}, std::uint64_t{300}}) {
    const Bytes shorter(whole.begin(), whole.end() - static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(FindCutRecordAtEnd(shorter, 0, 0), (CutRecord{last, cut})) << cut;
    // Held from any offset on, the same record at the same file offset.
    const Bytes tail(shorter.begin() + 10, shorter.end());
    EXPECT_EQ(FindCutRecordAtEnd(tail, 10, 10), (CutRecord{last, cut})) << cut;
  }
  // Cut inside its length digits: they are what is missing, as far as known.
  const Bytes inDigits(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(last + 3));
  EXPECT_EQ(FindCutRecordAtEnd(inDigits, 0, 0), (CutRecord{last, 2}));
  // Bytes that stop reading as records tell nothing.
  Bytes noRecords = whole;
  noRecords.resize(noRecords.size() - 10);
  noRecords[last + 3] = 'x';
  EXPECT_FALSE(FindCutRecordAtEnd(noRecords, 0, 0));
}

TEST(LoadLog, GivesAnEmptyImageForAFileThatCannotBeRead) {
  EXPECT_EQ(LoadLog("").Size(), 0u);
  EXPECT_EQ(LoadLog("/nonexistent/dir/log.ZEL").Size(), 0u);
  EXPECT_EQ(LoadLog(std::filesystem::temp_directory_path().string()).Size(), 0u);  // a directory
}

TEST(LoadLog, ReadsEveryByteAndBuildsTheSearchImage) {
  const auto path = std::filesystem::temp_directory_path() / "pelorin-load-test.ZEL";
  const ZelLog log = ZelLog().Raw(Bytes{0, 1, 0, 2}).ReceiverDate(2009, 6, 15);
  log.WriteTo(path.string());
  const LogImage image = LoadLog(path.string());
  EXPECT_EQ(image.Bytes, log.bytes());
  EXPECT_EQ(image.Search.substr(0, 4), "_\x01_\x02");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace pelorin

namespace pelorin {
namespace {

TEST(RawSearchText, FindsWhatTheSearchImageFindsForEveryPattern) {
  // Zero bytes next to and inside would-be patterns, and '_' bytes that the
  // image would confuse with zeros.
  const testdata::Bytes log = testdata::ZelLog()
                                  .Raw(testdata::Bytes{'R', 'D', 0, '0', '6', '_', 0})
                                  .Raw("rE_0A~~0_5SI_NN0_")
                                  .ReceiverTime(0)
                                  .ReceiverDate(2009, 6, 15)
                                  .RE(1500, 0)
                                  .RM(1500, 0)
                                  .SatelliteIndex({1, 0, 2})
                                  .Raw(testdata::Bytes{'S', 'X', 0, 'S', 'X', '_', '0'})
                                  .SatelliteList({{2, 0}, {0, 1}})
                                  .GlonassNumbers({0, 3})
                                  .bytes();
  const std::string image = MakeSearchImage(log);
  for (std::string_view pattern :
       {kReceiverTimePattern, kReceiverDatePattern, kREPattern, kRMPattern, kSatelliteIndexPattern,
        kSatelliteListPattern, kGlonassNumberPattern}) {
    for (std::uint64_t from = 0; from <= log.size(); ++from) {
      ASSERT_EQ(FindPattern(RawSearchText(log), pattern, from), FindPattern(image, pattern, from))
          << pattern << " from " << from;
    }
  }
}

}  // namespace
}  // namespace pelorin
