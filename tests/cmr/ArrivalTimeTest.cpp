// Messages timed by their arrival at the rover where the 4-minute CMR cycle
// alone cannot tell the time: outages of 4 minutes or more.
#include <gtest/gtest.h>

#include <cmath>

#include "cmr/ArrivalTimes.h"
#include "cmr/TimeLine.h"
#include "tests/support/AnalysisHarness.h"
#include "tests/support/LogInMemory.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::Bytes;
using testdata::RoverLogOptions;
using testdata::ZelLog;

constexpr double kHalfMs = 0.5 / 86'400'000;
constexpr double kTenOClock = testdata::kLogDate + 10.0 / 24;  // the rover logs' start
constexpr double kSecond = 1.0 / 86'400;
constexpr double kGlnCmrOffset = 10'785 * kSecond;  // GPS to GLONASS time in 2009

const std::vector<ChartPoint>& Points(const AnalysisHarness& h, GnssSystem w, int n) {
  return h.Charts.At(w, n).Points;
}

// Every message after the first lies at the time of the second it was sent in.
void ExpectMessagesAtTheirSeconds(const AnalysisHarness& h, const std::set<int>& gaps,
                                  int seconds) {
  std::vector<double> expected;
  for (int s = 0; s < seconds; ++s) {
    if (!gaps.count(s)) expected.push_back(kTenOClock + s * kSecond);
  }
  expected.erase(expected.begin());  // the first message has no point
  const auto& gps = Points(h, GnssSystem::Gps, 1);
  const auto& gln = Points(h, GnssSystem::Glonass, 1);
  ASSERT_EQ(gps.size(), expected.size());
  ASSERT_EQ(gln.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    ASSERT_NEAR(gps[k].X, expected[k], kHalfMs) << "GPS message " << k;
    ASSERT_NEAR(gln[k].X, expected[k] + kGlnCmrOffset, kHalfMs) << "GLONASS message " << k;
  }
}

AnalysisHarness& Analyse(AnalysisHarness& h, const RoverLogOptions& options) {
  EXPECT_EQ(h.Open(ZelLog().Raw(testdata::MakeRoverLog(options))), AnalysisOutcome::Completed);
  return h;
}

RoverLogOptions LogWithGap(int seconds, int gapFrom, int gapSeconds) {
  RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = 8;
  options.SecondStationEvery = 0;
  for (int s = gapFrom; s < gapFrom + gapSeconds; ++s) options.Gaps.insert(s);
  return options;
}

TEST(ArrivalTimes, OutagesOf7And30MinutesKeepTheRestOfTheDayInPlace) {
  for (const int minutes : {7, 30}) {
    AnalysisHarness h;
    const RoverLogOptions options = LogWithGap(2400, 300, minutes * 60);
    Analyse(h, options);
    ExpectMessagesAtTheirSeconds(h, options.Gaps, options.Seconds);
    // Every second of the outage is marked, once, in both windows.
    for (auto window : {GnssSystem::Gps, GnssSystem::Glonass}) {
      EXPECT_EQ(Points(h, window, 3).size(), static_cast<std::size_t>(minutes * 60)) << minutes;
    }
    EXPECT_NEAR(Points(h, GnssSystem::Gps, 3).back().X, kTenOClock + 300 * kSecond, kHalfMs);
  }
}

TEST(ArrivalTimes, CorrectionsBeginning10MinutesAfterTheLogStartAreNotPlacedEarlier) {
  AnalysisHarness h;
  const RoverLogOptions options = LogWithGap(900, 0, 600);
  Analyse(h, options);
  ExpectMessagesAtTheirSeconds(h, options.Gaps, options.Seconds);
  // The last message is timed at the last second.
  EXPECT_NEAR(Points(h, GnssSystem::Gps, 1).back().X, kTenOClock + 899 * kSecond, kHalfMs);
}

TEST(ArrivalTimes, ALogWithoutLongOutagesGivesExactlyTheCyclePoints) {
  AnalysisHarness h;
  RoverLogOptions options = LogWithGap(1000, 500, 200);  // under 4 minutes
  options.Gaps.insert({20, 21, 239, 240});
  Analyse(h, options);

  // The same passes over the same stream without any arrival time.
  std::vector<std::uint8_t> log = ZelLog().Raw(testdata::MakeRoverLog(options)).bytes();
  const UnwrapResult unwrapped = UnwrapLog(log);
  DecodedStore store;
  store.LogStartTime = h.State.Store.LogStartTime;
  TimeLineState timeLine;
  RecordingCharts cycleOnly;
  RunDecodingPasses(store, timeLine, cycleOnly, unwrapped.CmrStream);
  for (auto window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    for (int n = 1; n <= 4; ++n) {
      EXPECT_EQ(Points(h, window, n), cycleOnly.At(window, n).Points) << n;
    }
  }
}

TEST(ArrivalTimes, NestedEchoesAreDatedByTheirOuterRecord) {
  // One GPS message a second, each inside a nested echo, with 7 silent minutes.
  ZelLog log;
  log.HeadText().ReceiverDate(2009, 6, 15);
  for (int s = 0; s < 900; ++s) {
    const auto ms = static_cast<std::uint32_t>(36'000'000 + s * 1000);
    log.ReceiverTime(ms);
    if (s >= 100 && s < 520) continue;
    const Bytes frame = testdata::CmrFrame(
        testdata::ObsMessage({0, 0, 0, static_cast<std::int32_t>(ms % 240'000), {{3}}, {}}));
    log.Echo(testdata::EchoRecord(frame, 'c'));
  }
  AnalysisHarness h;
  EXPECT_EQ(h.Open(log), AnalysisOutcome::Completed);
  const auto& gps = Points(h, GnssSystem::Gps, 1);
  ASSERT_EQ(gps.size(), 900u - 420 - 1);
  EXPECT_NEAR(gps[99].X, kTenOClock + 520 * kSecond, kHalfMs);
  EXPECT_NEAR(gps.back().X, kTenOClock + 899 * kSecond, kHalfMs);
  EXPECT_EQ(Points(h, GnssSystem::Gps, 3).size(), 420u);
}

// A stream of GPS messages one second apart, each dated by an echo record
// of its own in the epoch given.
struct DatedStream {
  Bytes Stream;
  EchoSources Sources;
  EpochScanResult Scan;

  void Add(std::int32_t epochMs, double arrival) {
    const std::uint64_t record = 100 * (Sources.size() + 1);
    Sources.push_back({Stream.size(), record});
    Scan.Epochs.push_back({record - 10, arrival, {}});
    Scan.DatedUpTo = record + 50;
    const Bytes frame = testdata::CmrFrame(testdata::ObsMessage({0, 0, 0, epochMs, {{1}}, {}}));
    Stream.insert(Stream.end(), frame.begin(), frame.end());
  }
};

TEST(ArrivalTimes, AJumpOfMoreThanADayMarksNoMissingSeconds) {
  DatedStream d;
  d.Add(0, kTenOClock);
  d.Add(1'000, kTenOClock + kSecond);
  d.Add(3'000, kTenOClock + 3 + 3 * kSecond);  // the receiver's date jumps three days on
  d.Add(5'000, kTenOClock + 3 + 5 * kSecond);
  DecodedStore store;
  store.LogStartTime = kTenOClock;
  TimeLineState timeLine;
  RecordingCharts charts;
  BuildTimeLine(d.Stream, store, timeLine, charts, ArrivalTimes(d.Sources, d.Scan));
  const auto& totals = charts.At(GnssSystem::Gps, 1).Points;
  ASSERT_EQ(totals.size(), 3u);
  EXPECT_NEAR(totals[1].X, kTenOClock + 3 + 3 * kSecond, kHalfMs);
  // Only the second missing before 5 000 ms is marked.
  ASSERT_EQ(charts.At(GnssSystem::Gps, 3).Points.size(), 1u);
  EXPECT_NEAR(charts.At(GnssSystem::Gps, 3).Points[0].X, kTenOClock + 3 + 4 * kSecond, kHalfMs);
}

// A log whose receiver dates move on by most of a day at every message asks
// for most of a day of markers from a few bytes: a window marks no gap that
// would take it past its most, and goes on marking those that fit.
TEST(ArrivalTimes, NoWindowMarksMoreMissingSecondsThanItsMost) {
  DatedStream d;
  const auto at = [&d](std::int64_t second) {
    d.Add(static_cast<std::int32_t>(second * 1000 % 240'000), kTenOClock + second * kSecond);
  };
  for (const std::int64_t second : {0, 36'000, 72'000, 108'000, 108'005}) at(second);
  DecodedStore store;
  store.LogStartTime = kTenOClock;
  TimeLineState timeLine;
  timeLine.MostMissingMarked = 100'000;
  RecordingCharts charts;
  TimeLineRecord record;
  BuildTimeLine(d.Stream, store, timeLine, charts, ArrivalTimes(d.Sources, d.Scan), &record);

  // Two gaps of 35 999 s fit, the third would pass 100 000, the last fits.
  EXPECT_EQ(charts.At(GnssSystem::Gps, 1).Points.size(), 4u);
  EXPECT_EQ(charts.At(GnssSystem::Gps, 3).Points.size(), 2u * 35'999 + 4);
  EXPECT_EQ(timeLine[GnssSystem::Gps].MissingMarked, 2 * 35'999 + 4);
  ASSERT_EQ(record.Gaps[0].size(), 3u);  // the gap list agrees with the markers
  EXPECT_EQ(record.Gaps[0].back().Seconds, 4);
  EXPECT_NEAR(record.Gaps[0].back().Last, kTenOClock + 108'004 * kSecond, kHalfMs);

  // A new analysis counts afresh.
  ResetTimeLine(store, timeLine);
  EXPECT_EQ(timeLine[GnssSystem::Gps].MissingMarked, 0);
}

// The most a window marks follows the log's own dated epochs: 240 s where
// none could be dated, however far apart its messages claim to be.
TEST(ArrivalTimes, AnAnalysisMarksNoMoreThanTheDatedSpanAnd240Seconds) {
  EpochScanResult scan;
  EXPECT_EQ(MostMissingSeconds(scan), 240);
  scan.Epochs = {{0, kTenOClock + 50 * kSecond, {}}, {9, kTenOClock, {}}};
  scan.LastEpoch = TrackedEpoch{20, kTenOClock + 3600 * kSecond, {}};
  EXPECT_EQ(MostMissingSeconds(scan), 3600 + 240);

  // No receiver date: the scan dates nothing, and messages 200 s apart
  // would each ask for 199 markers.
  Bytes stream;
  for (int k = 0; k < 6; ++k) {
    stream = testdata::Concat({stream, testdata::CmrFrame(testdata::ObsMessage(
                                           {0, 0, 0, k * 200'000 % 240'000, {{3}}, {}}))});
  }
  ZelLog log;
  log.HeadText().RE(1531, 36'000'000).ReceiverTime(0).Echo(stream);
  for (int k = 1; k < 5; ++k) log.ReceiverTime(k * 1000);
  AnalysisHarness h;
  EXPECT_EQ(h.Open(log), AnalysisOutcome::ScanStopped);
  EXPECT_EQ(h.Charts.At(GnssSystem::Gps, 1).Points.size(), 5u);
  EXPECT_EQ(h.Charts.At(GnssSystem::Gps, 3).Points.size(), 199u);
}

TEST(ArrivalTimes, UndatedPiecesKeepTheCycleTime) {
  EpochScanResult scan;
  scan.Epochs = {{50, 1000.0, {}}, {150, 1001.0, {}}};
  scan.DatedUpTo = 250;  // the scan stopped at the epoch starting at 250
  const ArrivalTimes arrivals({{0, 10}, {5, 60}, {9, 70}, {20, 160}, {30, 260}}, scan);
  EXPECT_FALSE(arrivals.At(0));  // before the first receiver time record
  EXPECT_EQ(arrivals.At(5), 1000.0);
  EXPECT_EQ(arrivals.At(12), 1000.0);
  EXPECT_EQ(arrivals.At(20), 1001.0);
  EXPECT_FALSE(arrivals.At(30));  // beyond the dated epochs
  EXPECT_FALSE(ArrivalTimes().At(5));

  EXPECT_EQ(NearestCycleToArrival(10.0, std::nullopt), 10.0);
  EXPECT_EQ(NearestCycleToArrival(10.0, 10.0 + 119 * kSecond), 10.0);
  EXPECT_NEAR(NearestCycleToArrival(10.0, 10.0 + 121 * kSecond), 10.0 + 240 * kSecond, 1e-12);
  EXPECT_NEAR(NearestCycleToArrival(10.0, 10.0 - 1000 * kSecond), 10.0 - 960 * kSecond, 1e-12);
}

}  // namespace
}  // namespace pelorin
