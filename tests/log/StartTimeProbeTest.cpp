#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/LogInMemory.h"
#include "log/DateTime.h"
#include "log/StartTimeProbe.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::ZelLog;

ProbeResult Probe(const ZelLog& log) {
  LogImage image;
  image.Bytes = log.bytes();
  image.Search = MakeSearchImage(image.Bytes);
  return ProbeStartTimeInImage(image);
}

double Date(int y, int m, int d) {
  return *EncodeDate(y, m, d);
}

TEST(DateTime, CountsDaysFromTheEndOf1899) {
  EXPECT_EQ(Date(2009, 6, 15), 39979.0);
  EXPECT_EQ(Date(1899, 12, 30), 0.0);
  EXPECT_EQ(GpsTimeOrigin(), Date(1980, 1, 6));
  EXPECT_FALSE(EncodeDate(2009, 4, 31));
  EXPECT_FALSE(EncodeDate(2009, 2, 29));
  EXPECT_TRUE(EncodeDate(2008, 2, 29));
  EXPECT_FALSE(EncodeDate(1900, 2, 29));
  EXPECT_TRUE(EncodeDate(2000, 2, 29));
  const CalendarTime t = DecodeDateTime(Date(2009, 6, 15) + 36'090'000 * kOneMsDays);
  EXPECT_EQ(t.Year, 2009);
  EXPECT_EQ(t.Hour, 10);
  EXPECT_EQ(t.Minute, 1);
  EXPECT_EQ(t.Second, 30);
}

TEST(StartTimeProbe, UsesTheFirstReceiverDatePlusTheFirstTimeOfDay) {
  const auto r = Probe(ZelLog().ReceiverTime(36'090'000).ReceiverDate(2009, 6, 15).ReceiverTime(1));
  ASSERT_TRUE(r.Resolved);
  EXPECT_DOUBLE_EQ(r.Start, 39979.0 + 36'090'000 * kOneMsDays);
}

TEST(StartTimeProbe, IgnoresATimeOfDayOfAWholeDayOrMore) {
  const auto r = Probe(ZelLog().ReceiverTime(86'400'000).ReceiverDate(2009, 6, 15));
  ASSERT_TRUE(r.Resolved);
  EXPECT_EQ(r.Start, 39979.0);
  // Without any receiver time record the date alone serves.
  EXPECT_EQ(Probe(ZelLog().ReceiverDate(2009, 6, 15)).Start, 39979.0);
}

TEST(StartTimeProbe, PassesOverImplausibleOrNonexistentDates) {
  EXPECT_FALSE(Probe(ZelLog().ReceiverDate(2009, 2, 30)).Resolved);
  EXPECT_FALSE(Probe(ZelLog().ReceiverDate(2009, 4, 31)).Resolved);
  EXPECT_FALSE(Probe(ZelLog().ReceiverDate(2009, 2, 29)).Resolved);
  EXPECT_FALSE(Probe(ZelLog().ReceiverDate(1980, 6, 1)).Resolved);
  EXPECT_FALSE(Probe(ZelLog().ReceiverDate(2009, 13, 1)).Resolved);
  EXPECT_TRUE(Probe(ZelLog().ReceiverDate(1981, 1, 1)).Resolved);
  EXPECT_TRUE(Probe(ZelLog().ReceiverDate(2019, 12, 31)).Resolved);
  // Today's logs resolve by their receiver date.
  const auto today = Probe(ZelLog().ReceiverTime(3'600'000).ReceiverDate(2024, 2, 29));
  ASSERT_TRUE(today.Resolved);
  EXPECT_EQ(today.Start, Date(2024, 2, 29) + 1.0 / 24);
  EXPECT_TRUE(Probe(ZelLog().ReceiverDate(2099, 12, 31)).Resolved);
  // A first date in 2100 gives way to the "rE" record.
  const auto r = Probe(ZelLog().ReceiverDate(2100, 1, 1).RE(1500, 0));
  ASSERT_TRUE(r.Resolved);
  EXPECT_EQ(r.Start, Date(2008, 10, 5));
}

TEST(StartTimeProbe, OnlyTheFirstReceiverDateCounts) {
  EXPECT_FALSE(Probe(ZelLog().ReceiverDate(2009, 2, 30).ReceiverDate(2009, 6, 15)).Resolved);
}

TEST(StartTimeProbe, WeekFieldKeepsItsLowElevenBits) {
  const auto r = Probe(ZelLog().RE(0x85DC, 0));
  ASSERT_TRUE(r.Resolved);
  EXPECT_EQ(r.Start, Date(2008, 10, 5));
  const auto later = Probe(ZelLog().RE(1500, 90'000'000));
  EXPECT_DOUBLE_EQ(later.Start, Date(2008, 10, 6) + 3'600'000 * kOneMsDays);
}

TEST(StartTimeProbe, ExactCaseAndLengthOfTheREPattern) {
  // An "rE" record whose length digit is a lower-case "a" is not recognised.
  EXPECT_FALSE(Probe(ZelLog().Record("rE", "00a", Bytes(10, 0))).Resolved);
  EXPECT_FALSE(Probe(ZelLog().Record("rd", "006", {0xD9, 0x07, 6, 15, 0, 0})).Resolved);
}

TEST(StartTimeProbe, TriesOnlyTheFirstRMRecord) {
  const auto r = Probe(ZelLog().RM(1500, 0, 0x400));
  ASSERT_TRUE(r.Resolved);
  EXPECT_EQ(r.Start, Date(2008, 10, 5));
  // The fields are read at body offsets 2..7 whatever the length says.
  EXPECT_TRUE(
      Probe(ZelLog().Record("rM", "000", testdata::Bytes{0, 0, 0xDC, 0x05, 0, 0, 0, 0})).Resolved);
  EXPECT_FALSE(Probe(ZelLog().RM(1500, 0, 0x401)).Resolved);
  EXPECT_FALSE(Probe(ZelLog().Record("rM", "0G0", Bytes(10, 0)).RM(1500, 0)).Resolved);
  EXPECT_FALSE(Probe(ZelLog().Raw("xxrM")).Resolved);  // cut off after the identifier
  EXPECT_FALSE(Probe(ZelLog().Record("rM", "00A", {0, 0, 1})).Resolved);  // fields past the end
}

TEST(StartTimeProbe, ARecordCutOffByTheEndOfTheFileIsAbsent) {
  Bytes log = ZelLog().RE(1500, 0).bytes();
  log.resize(log.size() - 3);  // milliseconds field cut short
  ZelLog cut;
  cut.Raw(log);
  EXPECT_FALSE(Probe(cut).Resolved);
}

TEST(StartTimeProbe, FailsForMissingEmptyAndTinyFiles) {
  EXPECT_FALSE(ProbeStartTime("").Resolved);
  EXPECT_EQ(ProbeStartTime("").Start, GpsTimeOrigin());
  EXPECT_FALSE(ProbeStartTime("/nonexistent/log.ZEL").Resolved);
  const auto path = std::filesystem::temp_directory_path() / "pelorin-probe-tiny.ZEL";
  ZelLog().Raw("RD006").WriteTo(path.string());
  EXPECT_FALSE(ProbeStartTime(path.string()).Resolved);
  ZelLog().WriteTo(path.string());
  EXPECT_FALSE(ProbeStartTime(path.string()).Resolved);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace pelorin
