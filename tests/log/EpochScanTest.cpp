#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>

#include "log/EpochScan.h"
#include "tests/support/LogInMemory.h"
#include "tests/support/RecordingCharts.h"
#include "tests/support/RecordingToolkit.h"
#include "tests/support/RoverLog.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::ListEntry;
using testdata::ZelLog;

constexpr double kJune15 = 39979.0;  // 2009-06-15
constexpr std::uint32_t kTen = 36'000'000;
constexpr double kGlnOffset2009 = 10'785.0 / 86'400;

const ShownMessage kTotalsDiffer{
    "Totals of GLN satellites specified in [SI] and [NN] are different!", "Warning",
    MessageIcon::Information};

struct Scan {
  RecordingToolkit Toolkit;
  RecordingCharts Charts;
  EpochScanResult Result;

  explicit Scan(const ZelLog& log) {
    // Points of an earlier analysis, which the scan must replace.
    Charts.At(GnssSystem::Gps, 5).Points.push_back({1, 1, 0});
    Charts.At(GnssSystem::Glonass, 5).Points.push_back({1, 1, 0});
    Charts.At(GnssSystem::Gps, 1).Points.push_back({1, 9, 0});
    Result = ScanEpochs(log.bytes(), Toolkit, Charts);
  }
  const std::vector<ChartPoint>& Gps() const { return Charts.At(GnssSystem::Gps, 5).Points; }
  const std::vector<ChartPoint>& Gln() const { return Charts.At(GnssSystem::Glonass, 5).Points; }
  // Y values of the points at one X, in order.
  static std::vector<double> At(const std::vector<ChartPoint>& points, double x) {
    std::vector<double> ys;
    for (const ChartPoint& p : points) {
      if (p.X == x) ys.push_back(p.Y);
    }
    return ys;
  }
};

double Time(double day, std::uint32_t msOfDay) {
  return day + msOfDay / 86'400'000.0;
}

// A log dated 2009-06-15 in its header, with one epoch per second from 10:00
// on. `fill(k, log)` adds the records of epoch k after its receiver time.
ZelLog EpochLog(int epochs, const std::function<void(int, ZelLog&)>& fill = {}) {
  ZelLog log;
  log.Raw("hdr").ReceiverDate(2009, 6, 15);
  for (int k = 0; k < epochs; ++k) {
    log.ReceiverTime(kTen + static_cast<std::uint32_t>(k) * 1000);
    if (fill) fill(k, log);
  }
  return log;
}

TEST(EpochScan, FourReceiverTimesMakeThreeEpochsAndTheLastIsNeverAnalysed) {
  const Scan scan(EpochLog(4, [](int, ZelLog& log) { log.SatelliteIndex({5}); }));
  ASSERT_TRUE(scan.Result.Completed());
  ASSERT_EQ(scan.Result.Epochs.size(), 3u);
  EXPECT_EQ(scan.Gps().size(), 3u);
  EXPECT_EQ(scan.Gps().back(), (ChartPoint{Time(kJune15, kTen + 2000), 5, kColourBlue}));
  EXPECT_TRUE(scan.Toolkit.Messages.empty());
  // Only the tracked series are replaced; the busy cursor is back.
  EXPECT_EQ(scan.Charts.At(GnssSystem::Gps, 1).Points.size(), 1u);
  EXPECT_FALSE(scan.Toolkit.BusyCursor);
  EXPECT_EQ(scan.Toolkit.BusyCursorChanges, 2);
}

TEST(EpochScan, StopsBeforeTheFirstEpochWithTheCorruptFileMessages) {
  struct Case {
    ZelLog Log;
    ShownMessage Message;
  };
  const Case cases[] = {
      {ZelLog().ReceiverTime(0).ReceiverTime(1000).ReceiverTime(2000).ReceiverTime(3000),
       {"There are no 'Receiver Date' messages in the selected file!", "Corrupt File",
        MessageIcon::Information}},
      {ZelLog().ReceiverDate(2009, 6, 15).Raw("~~006xxxxxx"),
       {"There are no 'Receiver Time' messages in the selected file!", "Corrupt File",
        MessageIcon::Information}},
      {EpochLog(3, [](int, ZelLog& log) { log.SatelliteIndex({5}); }),
       {"Selected ZEL file is too small (has less than four epochs in it).", "Bad input file",
        MessageIcon::Information}},
  };
  for (const Case& c : cases) {
    const Scan scan(c.Log);
    EXPECT_FALSE(scan.Result.Completed());
    EXPECT_EQ(scan.Toolkit.Messages, std::vector<ShownMessage>{c.Message});
    EXPECT_EQ(scan.Toolkit.CentreCount, 1);
    EXPECT_TRUE(scan.Gps().empty());
    EXPECT_TRUE(scan.Gln().empty());
    EXPECT_FALSE(scan.Toolkit.BusyCursor);
  }
}

TEST(EpochScan, EpochsOf100000BytesOrMoreStopWithPlainMessages) {
  // Receiver time (10 bytes) + filler bytes = one chunk.
  auto logWithChunk = [](int bigEpoch, std::size_t chunkBytes) {
    return EpochLog(5, [=](int k, ZelLog& log) {
      if (k == bigEpoch) log.Raw(Bytes(chunkBytes - 10, 'x'));
    });
  };
  const std::size_t header = EpochLog(0).size();
  // The first chunk also holds the header in front of the first receiver time.
  EXPECT_TRUE(Scan(logWithChunk(0, 99'999 - header)).Result.Completed());
  EXPECT_TRUE(Scan(logWithChunk(2, 99'999)).Result.Completed());

  const ShownMessage starting{
      "Starting epoch requires more memory than is allocated to 'curr_buf'! Fatal error!",
      std::nullopt, std::nullopt};
  const ShownMessage current{
      "Current epoch requires more memory than is allocated to 'curr_buf'! Fatal error!",
      std::nullopt, std::nullopt};
  const Scan first(logWithChunk(0, 100'000 - header));
  EXPECT_EQ(first.Toolkit.Messages, std::vector<ShownMessage>{starting});
  const Scan later(logWithChunk(2, 100'000));
  EXPECT_EQ(later.Toolkit.Messages, std::vector<ShownMessage>{current});
  EXPECT_EQ(later.Result.Epochs.size(), 2u);
  EXPECT_TRUE(later.Gps().empty());
  EXPECT_EQ(later.Toolkit.CentreCount, 0);
}

TEST(EpochScan, MillisecondsOfDayMustStayBelowADay) {
  const ShownMessage tooLarge{"'Milliseconds of day' must be less than 86,400,000. \n\n ",
                              "Fatal Error", MessageIcon::Information};
  for (const std::uint32_t ms : {86'399'999u, 86'400'000u, 0xFFFFFFFFu}) {
    ZelLog log = EpochLog(2);
    log.ReceiverTime(ms).ReceiverTime(0).ReceiverTime(1000);
    const Scan scan(log);
    EXPECT_EQ(scan.Result.Completed(), ms < 86'400'000u) << ms;
    if (!scan.Result.Completed()) {
      EXPECT_EQ(scan.Toolkit.Messages, std::vector<ShownMessage>{tooLarge});
      EXPECT_EQ(scan.Result.Epochs.size(), 2u);
    }
  }
}

TEST(EpochScan, AReceiverTimePatternInsideAnotherBodyCutsAnEpoch) {
  // Its four bytes after the pattern read as milliseconds of day.
  ZelLog log = EpochLog(4);
  log.Record("XX", testdata::Concat({testdata::ToBytes("ab~~005"), {0x10, 0x27, 0, 0}}));
  log.ReceiverTime(kTen + 5000);
  const Scan scan(log);
  ASSERT_TRUE(scan.Result.Completed());
  ASSERT_EQ(scan.Result.Epochs.size(), 5u);
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[4].Time, Time(kJune15, 10'000));

  ZelLog broken = EpochLog(4);
  broken.Record("XX", testdata::Concat({testdata::ToBytes("~~005"), {0xFF, 0xFF, 0xFF, 0xFF}}));
  broken.ReceiverTime(kTen + 5000);
  EXPECT_EQ(Scan(broken).Result.Stop, EpochScanStop::MillisecondsOfDayTooLarge);
}

TEST(EpochScan, ReceiverDatesServeTheirEpochAndTheOnesAfter) {
  // A date in the header serves the first epoch.
  ZelLog log = EpochLog(2);
  log.ReceiverTime(kTen + 2000).ReceiverDate(2009, 6, 16).ReceiverTime(kTen + 3000);
  log.ReceiverTime(kTen + 4000);
  const Scan scan(log);
  ASSERT_EQ(scan.Result.Epochs.size(), 4u);
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[0].Time, Time(kJune15, kTen));
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[2].Time, Time(kJune15 + 1, kTen + 2000));
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[3].Time, Time(kJune15 + 1, kTen + 3000));
}

TEST(EpochScan, EpochsBeforeTheFirstDateRecordTakeItsDateLessTheMidnightsBetween) {
  // The first date in the second epoch serves it and dates the first.
  ZelLog second;
  second.ReceiverTime(kTen).SatelliteIndex({4}).ReceiverTime(kTen + 1000);
  second.ReceiverDate(2009, 6, 15).ReceiverTime(kTen + 2000).ReceiverTime(kTen + 3000);
  const Scan secondScan(second);
  ASSERT_TRUE(secondScan.Result.Completed());
  ASSERT_EQ(secondScan.Result.Epochs.size(), 3u);
  EXPECT_DOUBLE_EQ(secondScan.Result.Epochs[0].Time, Time(kJune15, kTen));
  EXPECT_EQ(Scan::At(secondScan.Gps(), Time(kJune15, kTen)), (std::vector<double>{4}));
  EXPECT_EQ(secondScan.Gps().size(), 3u);
  EXPECT_TRUE(secondScan.Toolkit.Messages.empty());

  // Epochs on both sides of a midnight, then a date record that names no
  // day, then the first that does, written just before its day's first
  // epoch: it serves that epoch, and the epochs before it lie one and two
  // midnights back.
  ZelLog late;
  late.ReceiverTime(86'399'000).ReceiverTime(0).ReceiverTime(1'000).ReceiverDate(2009, 2, 30);
  late.ReceiverTime(86'399'000).ReceiverDate(2009, 6, 17).ReceiverTime(0).ReceiverTime(1'000);
  const Scan lateScan(late);
  ASSERT_TRUE(lateScan.Result.Completed());
  ASSERT_EQ(lateScan.Result.Epochs.size(), 5u);
  const double expected[] = {Time(kJune15, 86'399'000), Time(kJune15 + 1, 0),
                             Time(kJune15 + 1, 1'000), Time(kJune15 + 1, 86'399'000),
                             Time(kJune15 + 2, 0)};
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_DOUBLE_EQ(lateScan.Result.Epochs[k].Time, expected[k]) << k;
  }
  EXPECT_DOUBLE_EQ(lateScan.Result.LastEpoch->Time, Time(kJune15 + 2, 1'000));

  // Date records that name no day, or none at all: the scan cannot start.
  const std::vector<ShownMessage> unresolved = {
      {"\tFailed to resolve 'Starting Receiver Date'. \n\nThis ZEL file appears broken!",
       "Fatal Error", MessageIcon::Information}};
  ZelLog noDay;
  noDay.ReceiverTime(0).ReceiverDate(2009, 13, 1).ReceiverTime(1000).ReceiverTime(2000);
  noDay.ReceiverTime(3000);
  const Scan noDayScan(noDay);
  EXPECT_EQ(noDayScan.Toolkit.Messages, unresolved);
  EXPECT_TRUE(noDayScan.Result.Epochs.empty());
  EXPECT_TRUE(noDayScan.Gps().empty());
  ZelLog none;
  none.ReceiverTime(0).SatelliteIndex({4}).ReceiverTime(1000).ReceiverTime(2000).ReceiverTime(3000);
  const Scan noneScan(none);
  EXPECT_EQ(noneScan.Result.Stop, EpochScanStop::NoReceiverDate);
  EXPECT_TRUE(noneScan.Gps().empty());
}

TEST(EpochScan, MidnightMovesTheDateOnWithoutANewDateRecord) {
  ZelLog log;
  log.ReceiverDate(2009, 6, 30);
  for (const std::uint32_t ms : {86'398'000u, 86'399'000u, 0u, 1'000u, 2'000u}) {
    log.ReceiverTime(ms);
  }
  const Scan scan(log);
  ASSERT_EQ(scan.Result.Epochs.size(), 4u);
  const double june30 = *EncodeDate(2009, 6, 30);
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[1].Time, Time(june30, 86'399'000));
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[2].Time, Time(june30 + 1, 0));  // 1 July
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[3].Time, Time(june30 + 1, 1'000));
  ASSERT_TRUE(scan.Result.LastEpoch);
  EXPECT_DOUBLE_EQ(scan.Result.LastEpoch->Time, Time(june30 + 1, 2'000));
}

TEST(EpochScan, ANewDaysDateWrittenJustBeforeItsFirstEpochServesFromThatEpoch) {
  ZelLog log;
  log.ReceiverDate(2009, 6, 15).ReceiverTime(86'398'000).ReceiverTime(86'399'000);
  log.ReceiverDate(2009, 6, 16).ReceiverTime(0).ReceiverTime(1'000).ReceiverTime(2'000);
  const Scan scan(log);
  ASSERT_EQ(scan.Result.Epochs.size(), 4u);
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[1].Time, Time(kJune15, 86'399'000));
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[2].Time, Time(kJune15 + 1, 0));
  EXPECT_DOUBLE_EQ(scan.Result.Epochs[3].Time, Time(kJune15 + 1, 1'000));

  // In the first epoch's chunk a record serves the first epoch, as always.
  ZelLog first;
  first.ReceiverTime(86'399'000).ReceiverDate(2009, 6, 16).ReceiverTime(0).ReceiverTime(1'000);
  first.ReceiverTime(2'000);
  const Scan firstScan(first);
  ASSERT_EQ(firstScan.Result.Epochs.size(), 3u);
  EXPECT_DOUBLE_EQ(firstScan.Result.Epochs[0].Time, Time(kJune15 + 1, 86'399'000));
  EXPECT_DOUBLE_EQ(firstScan.Result.Epochs[1].Time, Time(kJune15 + 2, 0));
}

TEST(EpochScan, ADateThatIsNoCalendarDayStopsTheScanNamingItAndItsOffset) {
  for (const auto& [year, month, day] : {std::tuple{2009, 13, 1}, std::tuple{2009, 6, 0},
                                         std::tuple{2009, 2, 30}, std::tuple{0, 6, 15}}) {
    ZelLog log = EpochLog(2);
    const std::size_t offset = log.size() + 10;  // behind the next receiver time
    log.ReceiverTime(kTen + 2000)
        .ReceiverDate(static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month),
                      static_cast<std::uint8_t>(day));
    log.ReceiverTime(kTen + 3000).ReceiverTime(kTen + 4000);
    const Scan scan(log);
    EXPECT_EQ(scan.Result.Stop, EpochScanStop::DateDoesNotExist);
    EXPECT_EQ(scan.Result.Epochs.size(), 2u);
    ASSERT_EQ(scan.Toolkit.Messages.size(), 1u);
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    EXPECT_NE(scan.Toolkit.Messages[0].Text.find(date), std::string::npos)
        << scan.Toolkit.Messages[0].Text;
    EXPECT_NE(scan.Toolkit.Messages[0].Text.find(std::to_string(offset)), std::string::npos);
    EXPECT_TRUE(scan.Gps().empty());
  }
}

TEST(TrackedSatellites, TheIndexListInForceCarriesOverUntilAnotherIsAccepted) {
  const Scan scan(EpochLog(6, [](int k, ZelLog& log) {
    if (k == 1) log.SatelliteIndex({7, 3});
    // A candidate whose length digits do not parse, then a record in the same epoch.
    if (k == 4) log.Record("SI", "0x2", {1, 2}).SatelliteIndex({12});
  }));
  const auto& gps = scan.Gps();
  EXPECT_TRUE(Scan::At(gps, Time(kJune15, kTen)).empty());  // before any record
  EXPECT_EQ(Scan::At(gps, Time(kJune15, kTen + 1000)), (std::vector<double>{3, 7}));
  EXPECT_EQ(Scan::At(gps, Time(kJune15, kTen + 2000)), (std::vector<double>{3, 7}));
  EXPECT_EQ(Scan::At(gps, Time(kJune15, kTen + 3000)), (std::vector<double>{3, 7}));
  EXPECT_EQ(Scan::At(gps, Time(kJune15, kTen + 4000)), (std::vector<double>{12}));
  EXPECT_EQ(gps.size(), 7u);
  EXPECT_TRUE(scan.Gln().empty());
}

TEST(TrackedSatellites, OnlyGpsPrnsAndMappedGlonassSlotsGivePoints) {
  // Indices that are accepted but stand for nothing shown, other systems' included.
  const Scan scan(EpochLog(4, [](int k, ZelLog& log) {
    if (k == 0) log.SatelliteIndex({0, 33, 37, 70, 72, 120, 138, 139, 193, 255, 32});
    if (k == 1) log.SatelliteIndex({40, 41}).GlonassNumbers({5, 6});
  }));
  EXPECT_EQ(Scan::At(scan.Gps(), Time(kJune15, kTen)), (std::vector<double>{32}));
  EXPECT_TRUE(Scan::At(scan.Gps(), Time(kJune15, kTen + 1000)).empty());
  // A GLONASS point stands 10 785 s (3 h less the 15 leap seconds of 2009) after its epoch.
  const double glnTime = Time(kJune15, kTen + 1000) + kGlnOffset2009;
  EXPECT_EQ(Scan::At(scan.Gln(), glnTime), (std::vector<double>{5, 6}));
  EXPECT_EQ(scan.Gln().front().Colour, kColourYellow);
  EXPECT_EQ(scan.Gps().front().Colour, kColourBlue);
}

TEST(TrackedSatellites, GlonassSlotsPairOnlyInAnEpochWithBothRecords) {
  const Scan scan(EpochLog(6, [](int k, ZelLog& log) {
    // Listed before any pairing: no GLONASS point.
    if (k == 0) log.SatelliteIndex({1, 40, 41, 42});
    // Both records: slot 9 named twice keeps the later index, a number 0 is skipped.
    if (k == 1) log.SatelliteIndex({1, 40, 41, 42}).GlonassNumbers({9, 0, 9});
    // Index record alone: every slot mapped so far, though 42 is no longer listed.
    if (k == 2) log.SatelliteIndex({2, 40});
    // Number record alone: the list in force through the map; the new numbers are not used.
    if (k == 3) log.GlonassNumbers({3});
    if (k == 4) log.SatelliteIndex({2, 41, 42}).GlonassNumbers({4, 5});
  }));
  auto gln = [&scan](int k) {
    return Scan::At(scan.Gln(), Time(kJune15, kTen + k * 1000u) + kGlnOffset2009);
  };
  EXPECT_TRUE(gln(0).empty());
  EXPECT_EQ(gln(1), (std::vector<double>{9}));
  EXPECT_EQ(gln(2), (std::vector<double>{9}));
  // SiList {2, 40}: 40 is in no slot (slot 9 holds 42), so nothing from the list;
  // the number record came without an index record, so no mapped slot is added.
  EXPECT_TRUE(gln(3).empty());
  EXPECT_EQ(gln(4), (std::vector<double>{4, 5}));
}

TEST(TrackedSatellites, DifferentGlonassTotalsWarnOnceAndTrackNoSlotThere) {
  const Scan scan(EpochLog(7, [](int k, ZelLog& log) {
    if (k == 0) log.SatelliteIndex({40, 41}).GlonassNumbers({1, 2});
    // Five GLONASS satellites against four slots, for three epochs.
    if (k >= 1 && k <= 3) log.SatelliteIndex({40, 41, 42, 43, 44}).GlonassNumbers({1, 2, 3, 4});
  }));
  EXPECT_EQ(scan.Toolkit.Messages, std::vector<ShownMessage>{kTotalsDiffer});
  EXPECT_EQ(scan.Result.GlnTotalsMismatchEpochs, 3u);
  EXPECT_TRUE(scan.Result.Completed());
  auto gln = [&scan](int k) {
    return Scan::At(scan.Gln(), Time(kJune15, kTen + k * 1000u) + kGlnOffset2009);
  };
  EXPECT_EQ(gln(0), (std::vector<double>{1, 2}));
  EXPECT_TRUE(gln(2).empty());
  // The map of epoch 0 is still in force afterwards.
  EXPECT_EQ(gln(4), (std::vector<double>{1, 2}));
}

TEST(TrackedSatellites, TheFirstEpochReadsItsRecordsFromTheLogsStart) {
  ZelLog log;
  log.SatelliteIndex({6}).ReceiverDate(2009, 6, 15);
  for (std::uint32_t k = 0; k < 4; ++k) log.ReceiverTime(kTen + k * 1000);
  const Scan scan(log);
  EXPECT_EQ(Scan::At(scan.Gps(), Time(kJune15, kTen)), (std::vector<double>{6}));
}

// What a rover log tracks epoch by epoch, written with the given satellite records.
std::vector<TrackedSatellites> RoverTracking(testdata::RoverSatelliteRecords records) {
  testdata::RoverLogOptions options;
  options.Seconds = 700;  // the GPS constellation turns every 600 s
  options.FillerBytesPerEpoch = 20;
  options.SatelliteRecords = records;
  const EpochScanResult scan = ReadEpochs(testdata::MakeRoverLog(options));
  EXPECT_TRUE(scan.Completed());
  EXPECT_EQ(scan.GlnTotalsMismatchEpochs, 0u);
  std::vector<TrackedSatellites> tracked;
  for (const TrackedEpoch& epoch : scan.Epochs) tracked.push_back(epoch.Tracked);
  return tracked;
}

TEST(SatelliteLists, ALogOfTodayTracksWhatTheSameLogWithIndexRecordsTracks) {
  // 32 satellites of seven systems a list, GLONASS on channels of both signs.
  const auto byIndex = RoverTracking(testdata::RoverSatelliteRecords::Index);
  ASSERT_EQ(byIndex.size(), 699u);
  EXPECT_EQ(std::popcount(byIndex.front().Gps), 9);
  EXPECT_EQ(std::popcount(byIndex.back().Gln), 7);
  EXPECT_NE(byIndex.front().Gps, byIndex.back().Gps);
  EXPECT_EQ(RoverTracking(testdata::RoverSatelliteRecords::List), byIndex);
  EXPECT_EQ(RoverTracking(testdata::RoverSatelliteRecords::IndexAndList), byIndex);
}

TEST(SatelliteLists, StandInOnlyWhereNoIndexRecordIsAccepted) {
  const Scan scan(EpochLog(6, [](int k, ZelLog& log) {
    // The index record wins, though the list comes first, whatever its length.
    if (k == 0) log.SatelliteList({{1, 4}}).SatelliteIndex({5});
    if (k == 1) log.SatelliteIndex(Bytes(40, 7)).SatelliteList({{1, 6}});
    // A rejected index record: its digits do not parse.
    if (k == 2) log.Record("SI", "0x2", {9, 9}).SatelliteList({{1, 8}});
    // An even length or broken digits reject a list; the next one serves.
    if (k == 3) log.Record("SX", "004", {1, 2, 1, 3}).Record("SX", "0x3", {1, 2, 0});
    if (k == 3) log.SatelliteList({{1, 10}});
    // A list reaching past the end of the log is absent: the list in force stays.
    if (k == 4) log.Record("SX", "0FF", {1, 11});
  }));
  auto gps = [&scan](int k) { return Scan::At(scan.Gps(), Time(kJune15, kTen + k * 1000u)); };
  EXPECT_EQ(gps(0), (std::vector<double>{5}));
  EXPECT_EQ(gps(1), (std::vector<double>{7}));
  EXPECT_EQ(gps(2), (std::vector<double>{8}));
  EXPECT_EQ(gps(3), (std::vector<double>{10}));
  EXPECT_EQ(gps(4), (std::vector<double>{10}));
  EXPECT_TRUE(scan.Toolkit.Messages.empty());
}

TEST(SatelliteLists, LongListsAndListsOfOtherSystemsAreListsInForce) {
  // 127 entries, all 32 GPS satellites after 95 of other systems.
  std::vector<ListEntry> longest;
  for (int k = 0; k < 95; ++k) longest.push_back({testdata::kBeiDouCode, k % 63 + 1});
  for (int prn = 1; prn <= 32; ++prn) longest.push_back({testdata::kGpsCode, prn});
  const Scan scan(EpochLog(5, [&longest](int k, ZelLog& log) {
    if (k == 0) log.SatelliteList(longest);
    if (k == 1) log.SatelliteList({{testdata::kGlonassCode, 1}}).GlonassNumbers({5});
    // Galileo alone: no GPS satellite, but a list, so the mapped slot stays
    // tracked here and in the epoch after, which has no record at all.
    if (k == 2) log.SatelliteList({{testdata::kGalileoCode, 11}});
  }));
  EXPECT_EQ(Scan::At(scan.Gps(), Time(kJune15, kTen)).size(), 32u);
  EXPECT_EQ(scan.Gps().size(), 32u);
  for (int k = 1; k <= 3; ++k) {
    const double glnTime = Time(kJune15, kTen + k * 1000u) + kGlnOffset2009;
    EXPECT_EQ(Scan::At(scan.Gln(), glnTime), (std::vector<double>{5})) << k;
  }
}

TEST(SatelliteLists, GlonassChannelsPairWithTheSlotsInOrderOrWarnWhenTheTotalsDiffer) {
  // Channels +1, +4, +3, +2, -4 of slots 5, 21, 19, 20, 6, with other
  // systems between them; channels -8 and 25 stand for no GLONASS satellite.
  const std::vector<ListEntry> five = {{1, 3}, {2, 1}, {4, 4},  {2, 4},  {2, -8}, {2, 3},
                                       {6, 9}, {2, 2}, {2, 25}, {2, -4}, {3, 131}};
  std::vector<ListEntry> fifteen = {{1, 9}};
  for (int channel = -7; channel <= 7; ++channel) fifteen.push_back({2, channel});
  const Scan scan(EpochLog(6, [&](int k, ZelLog& log) {
    if (k == 0) log.SatelliteList(five).GlonassNumbers({5, 21, 19, 20, 6});
    // A number record alone: the list in force through the slot map.
    if (k == 1) log.GlonassNumbers({1});
    // Fifteen GLONASS satellites against five slots: the map stays.
    if (k == 2) log.SatelliteList(fifteen).GlonassNumbers({5, 21, 19, 20, 6});
    if (k == 4) log.SatelliteList({{2, -7}}).GlonassNumbers({12});
  }));
  auto gln = [&scan](int k) {
    return Scan::At(scan.Gln(), Time(kJune15, kTen + k * 1000u) + kGlnOffset2009);
  };
  const std::vector<double> slots = {5, 6, 19, 20, 21};
  EXPECT_EQ(gln(0), slots);
  EXPECT_EQ(gln(1), slots);
  EXPECT_TRUE(gln(2).empty());
  EXPECT_EQ(gln(3), slots);
  EXPECT_EQ(gln(4), (std::vector<double>{12}));
  EXPECT_EQ(Scan::At(scan.Gps(), Time(kJune15, kTen + 2000)), (std::vector<double>{9}));
  EXPECT_EQ(scan.Toolkit.Messages, std::vector<ShownMessage>{kTotalsDiffer});
  EXPECT_EQ(scan.Result.GlnTotalsMismatchEpochs, 1u);
}

TEST(TrackedSatellites, UnknownGlonassSlotsPairButGiveNoSlot) {
  const Scan scan(EpochLog(4, [](int k, ZelLog& log) {
    // 255: a satellite whose slot the receiver does not know yet; 0: none.
    if (k == 0) log.SatelliteIndex({1, 40, 41, 42, 43}).GlonassNumbers({12, 255, 0, 3});
    // More slots than GLONASS satellites: the totals differ, the map stays.
    if (k == 1) log.SatelliteIndex({40, 41}).GlonassNumbers({5, 255, 6});
  }));
  auto gln = [&scan](int k) {
    return Scan::At(scan.Gln(), Time(kJune15, kTen + k * 1000u) + kGlnOffset2009);
  };
  EXPECT_EQ(gln(0), (std::vector<double>{3, 12}));
  EXPECT_TRUE(gln(1).empty());
  EXPECT_EQ(gln(2), (std::vector<double>{3, 12}));
  EXPECT_EQ(scan.Toolkit.Messages, std::vector<ShownMessage>{kTotalsDiffer});
}

EpochScanResult ScanRover(const testdata::RoverLogOptions& options) {
  const EpochScanResult scan = ReadEpochs(testdata::MakeRoverLog(options));
  EXPECT_TRUE(scan.Completed());
  EXPECT_EQ(scan.GlnTotalsMismatchEpochs, 0u);
  return scan;
}

testdata::RoverLogOptions ShortRoverLog() {
  testdata::RoverLogOptions options;
  options.Seconds = 700;
  options.FillerBytesPerEpoch = 20;
  return options;
}

TEST(RealReceiverLogs, GalileoAndSbasInTheIndexRecordsLeaveGpsAndGlonassTracked) {
  testdata::RoverLogOptions options = ShortRoverLog();
  const EpochScanResult plain = ScanRover(options);
  options.SatelliteRecords = testdata::RoverSatelliteRecords::IndexWithOtherSystems;
  const EpochScanResult wide = ScanRover(options);
  ASSERT_EQ(wide.Epochs.size(), plain.Epochs.size());
  for (std::size_t k = 0; k < plain.Epochs.size(); ++k) {
    ASSERT_EQ(wide.Epochs[k].Tracked, plain.Epochs[k].Tracked) << k;
  }
  EXPECT_EQ(std::popcount(wide.Epochs[0].Tracked.Gps), 9);
  EXPECT_EQ(std::popcount(wide.Epochs[0].Tracked.Gln), 7);
}

TEST(RealReceiverLogs, ASatelliteOfUnknownSlotIsTheOnlyOneLeftOut) {
  testdata::RoverLogOptions options = ShortRoverLog();
  const EpochScanResult plain = ScanRover(options);
  options.UnknownGlonassSlot = true;
  const EpochScanResult unknown = ScanRover(options);
  ASSERT_EQ(unknown.Epochs.size(), plain.Epochs.size());
  for (std::size_t k = 0; k < plain.Epochs.size(); ++k) {
    ASSERT_EQ(unknown.Epochs[k].Tracked.Gps, plain.Epochs[k].Tracked.Gps) << k;
    ASSERT_EQ(unknown.Epochs[k].Tracked.Gln, plain.Epochs[k].Tracked.Gln & ~(1u << 7)) << k;
  }
}

TEST(RealReceiverLogs, ALateFirstDateDatesEveryEpochAsADateInTheHeaderWould) {
  // From 23:59:50: the first date record comes 15 s in, on the next day.
  for (const int firstDate : {1, 15}) {
    testdata::RoverLogOptions options = ShortRoverLog();
    options.StartMsOfDay = 86'390'000;
    const EpochScanResult header = ScanRover(options);
    options.FirstDateAtSecond = firstDate;
    const EpochScanResult late = ScanRover(options);
    ASSERT_EQ(late.Epochs.size(), header.Epochs.size());
    for (std::size_t k = 0; k < header.Epochs.size(); ++k) {
      ASSERT_DOUBLE_EQ(late.Epochs[k].Time, header.Epochs[k].Time) << firstDate << " " << k;
      ASSERT_EQ(late.Epochs[k].Tracked, header.Epochs[k].Tracked) << k;
    }
    EXPECT_DOUBLE_EQ(late.LastEpoch->Time, header.LastEpoch->Time);
    EXPECT_EQ(late.DatedUpTo, header.DatedUpTo);
  }
}

TEST(LeapSeconds, FollowThePublishedStepsReadInGpsTime) {
  const double jan2017 = *EncodeDate(2017, 1, 1);
  EXPECT_EQ(GpsUtcLeapSeconds(*EncodeDate(1980, 1, 6)), 0);
  EXPECT_EQ(GpsUtcLeapSeconds(*EncodeDate(2009, 6, 15)), 15);
  EXPECT_EQ(GpsUtcLeapSeconds(*EncodeDate(2012, 6, 30)), 15);
  EXPECT_EQ(GpsUtcLeapSeconds(*EncodeDate(2012, 7, 2)), 16);
  EXPECT_EQ(GpsUtcLeapSeconds(jan2017 + 17.5 / 86'400), 17);  // the leap second itself
  EXPECT_EQ(GpsUtcLeapSeconds(jan2017 + 18.0 / 86'400), 18);
  EXPECT_EQ(GpsUtcLeapSeconds(*EncodeDate(2024, 3, 1)), 18);
  EXPECT_DOUBLE_EQ(GpsToGlonassOffsetDays(*EncodeDate(2010, 1, 1)), 10'785.0 / 86'400);
  EXPECT_DOUBLE_EQ(GpsToGlonassOffsetDays(*EncodeDate(2024, 1, 1)), 10'782.0 / 86'400);
}

// Position records as a link or a cut log leaves them: another length, a
// value that is no number, a body running into the next epoch or past the
// end of the log. Each is passed over and counted; a "PV" whose digits do
// not parse is no record at all.
TEST(RoverPositions, OnlyWholeFiniteRecordsInsideTheirEpochGiveAPosition) {
  const testdata::PositionRecord fixed{.X = 1, .Y = 2, .Z = 3, .Sigma = 0.01f, .Solution = 4};
  testdata::PositionRecord noNumber = fixed;
  noNumber.Y = std::numeric_limits<double>::quiet_NaN();
  testdata::PositionRecord floatSolution = fixed;
  floatSolution.Solution = 3;
  const Bytes body = testdata::PositionBody(fixed);
  ZelLog log;
  log.Raw("head").ReceiverDate(2009, 6, 15);
  log.ReceiverTime(kTen).PositionVelocity(fixed).PositionVelocity(floatSolution);
  log.ReceiverTime(kTen + 1000)
      .Record("PV", "02D", Bytes(body.begin(), body.end() - 1))
      .PositionVelocity(floatSolution);
  testdata::PositionRecord beyondOrbit = fixed;
  beyondOrbit.Z = 1e300;
  log.ReceiverTime(kTen + 2000).PositionVelocity(noNumber).PositionVelocity(beyondOrbit);
  log.ReceiverTime(kTen + 3000).Raw("PVxyz").Raw(Bytes(46, 0));
  log.ReceiverTime(kTen + 4000).Record("PV", "02E", Bytes(body.begin(), body.begin() + 20));
  log.ReceiverTime(kTen + 5000).Record("PV", "02E", Bytes(body.begin(), body.begin() + 30));

  const EpochScanResult scan = ReadEpochs(log.bytes());
  ASSERT_TRUE(scan.Completed());
  ASSERT_EQ(scan.Positions.size(), 2u);
  EXPECT_EQ(scan.Positions[0].Epoch, 0u);
  EXPECT_EQ(scan.PositionOf(scan.Positions[0]),
            (RoverPosition{.X = 1, .Y = 2, .Z = 3, .Sigma = 0.01f, .Solution = 4}));
  EXPECT_EQ(scan.Positions[1].Epoch, 1u);
  EXPECT_EQ(scan.Positions[1].Solution, 3);
  // Another length, not a number, beyond any orbit, into the next epoch,
  // cut by the end.
  EXPECT_EQ(scan.PositionRecordsSkipped, 5u);
}

TEST(RoverPositions, TheLastEpochsPositionCountsAndUndatedEpochsKeepNone) {
  testdata::RoverLogOptions options;
  options.Seconds = 20;
  options.FillerBytesPerEpoch = 8;
  options.WritePositions = true;
  EpochScanResult scan = ReadEpochs(testdata::MakeRoverLog(options));
  ASSERT_TRUE(scan.LastEpoch);
  ASSERT_EQ(scan.Positions.size(), 20u);
  EXPECT_EQ(scan.Positions.back().Epoch, scan.Epochs.size());

  // Date records that name no day: nothing is dated, no position is kept.
  ZelLog log;
  log.Raw("head").ReceiverDate(2009, 2, 30);
  for (std::uint32_t k = 0; k < 6; ++k) log.ReceiverTime(kTen + k * 1000).PositionVelocity({});
  scan = ReadEpochs(log.bytes());
  EXPECT_EQ(scan.Stop, EpochScanStop::StartingDateUnresolved);
  EXPECT_TRUE(scan.Positions.empty());
}

}  // namespace
}  // namespace pelorin

namespace pelorin {
namespace {

// The offsets looked up once per span of leap seconds agree with the
// lookup of each time, across a leap second and back again.
TEST(GlonassOffsets, AgreeWithEachLookupAcrossALeapSecondInEitherDirection) {
  const double newYear2009 = *EncodeDate(2009, 1, 1);
  GlonassOffsets offsets;
  for (const int second : {-30, -1, 0, 14, 15, 16, 3600, 15, 14, -30, 16}) {
    const double time = newYear2009 + second / 86'400.0;
    EXPECT_EQ(offsets.At(time), GpsToGlonassOffsetDays(time)) << second;
  }
  EXPECT_NE(GpsToGlonassOffsetDays(newYear2009), GpsToGlonassOffsetDays(newYear2009 + 1));
}

}  // namespace
}  // namespace pelorin
