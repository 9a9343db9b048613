// The link report on logs whose gaps, delays, satellites, damage and station
// changes are known by construction, and its agreement with the chart points
// of the same analysis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "cmr/LinkReport.h"
#include "tests/support/AnalysisHarness.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::Bytes;
using testdata::ZelLog;

constexpr double kSecond = 1.0 / 86'400;
constexpr double kTenOClock = testdata::kLogDate + 10.0 / 24;

const LinkReport& Analysed(AnalysisHarness& h, const ZelLog& log) {
  EXPECT_NE(h.Open(log), AnalysisOutcome::StoppedAtFatal);
  EXPECT_TRUE(h.State.LastLink());
  return *h.State.LastLink();
}

ZelLog RoverLog(int seconds, std::set<int> gaps) {
  testdata::RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = 8;
  options.Gaps = std::move(gaps);
  return ZelLog().Raw(testdata::MakeRoverLog(options));
}

std::int64_t Second(double time) {
  return std::llround(time * 86'400);
}

TEST(LinkReport, SpanAndGapsAgreeWithTheMissingSecondsOfTheTimeLine) {
  AnalysisHarness h;
  const LinkReport& link = Analysed(h, RoverLog(120, {5, 6, 7, 50, 100}));
  const SystemLink& gps = link.Systems[0];
  ASSERT_TRUE(gps.Span.First);
  EXPECT_EQ(Second(*gps.Span.First), Second(kTenOClock));
  EXPECT_EQ(Second(*gps.Span.Last), Second(kTenOClock + 119 * kSecond));
  EXPECT_EQ(gps.Span.Seconds, 115);
  EXPECT_NEAR(gps.Span.Percent, 100.0 * 115 / 120, 1e-9);

  ASSERT_EQ(gps.Gaps.size(), 3u);
  EXPECT_EQ(Second(gps.Gaps[0].Start), Second(kTenOClock + 5 * kSecond));
  EXPECT_EQ(Second(gps.Gaps[0].End), Second(kTenOClock + 7 * kSecond));
  EXPECT_EQ(gps.Gaps[0].Seconds, 3);
  // Every second of every gap is a missing-second marker, and no other.
  for (std::size_t w = 0; w < 2; ++w) {
    std::set<std::int64_t> marked;
    for (const ChartPoint& p : h.Charts.At(static_cast<GnssSystem>(w), 3).Points) {
      marked.insert(Second(p.X));
    }
    std::set<std::int64_t> listed;
    for (const LinkGap& g : link.Systems[w].Gaps) {
      for (std::int64_t s = Second(g.Start); s <= Second(g.End); ++s) listed.insert(s);
    }
    EXPECT_EQ(listed, marked) << w;
  }
}

TEST(LinkReport, AgesAreTheDelayFromTheMessageToItsRoverEpoch) {
  // A GPS message a second, echoed 0 s late at first, then 2 s, then 7 s.
  ZelLog log;
  log.HeadText().ReceiverDate(2009, 6, 15);
  const auto ms = [](int s) { return static_cast<std::uint32_t>(36'000'000 + s * 1000); };
  const auto message = [&ms](int s) {
    return testdata::CmrFrame(testdata::ObsMessage(
        {0, 0, 0, static_cast<std::int32_t>(ms(s) % 240'000), {{3}, {5}}, {}}));
  };
  int next = 0;  // the next message to echo
  for (int epoch = 0; epoch < 60; ++epoch) {
    log.ReceiverTime(ms(epoch));
    const int delay = epoch < 20 ? 0 : epoch < 40 ? 2 : 7;
    while (next <= epoch - delay) log.Echo(message(next++));
  }
  AnalysisHarness h;
  const LinkAges& ages = Analysed(h, log).Systems[0].Ages;
  EXPECT_EQ(ages.Count, next);
  EXPECT_DOUBLE_EQ(ages.Median, 2.0);
  EXPECT_DOUBLE_EQ(ages.Max, 7.0);
  EXPECT_DOUBLE_EQ(ages.P95, 7.0);
  EXPECT_EQ(ages.Over5s, 15);  // messages 38 to 52, 7 s late
  const auto& overTime = h.State.LastLink()->Systems[0].AgeOverTime;
  ASSERT_EQ(overTime.size(), static_cast<std::size_t>(next));
  EXPECT_EQ(overTime[25].Seconds, 2.0);
  EXPECT_NEAR(overTime[25].Time, kTenOClock + 25 * kSecond, 1e-9);
}

TEST(LinkReport, CommonSatellitesAgreeWithTheSatelliteAndTrackedPoints) {
  AnalysisHarness h;
  const LinkReport& link = Analysed(h, RoverLog(60, {10}));
  for (std::size_t w = 0; w < 2; ++w) {
    const auto window = static_cast<GnssSystem>(w);
    // Satellites per second as the charts show them.
    std::map<std::int64_t, std::set<int>> corrected, tracked;
    for (const ChartPoint& p : h.Charts.At(window, 2).Points) {
      corrected[Second(p.X)].insert(static_cast<int>(p.Y));
    }
    for (const ChartPoint& p : h.Charts.At(window, 5).Points) {
      tracked[Second(p.X)].insert(static_cast<int>(p.Y));
    }
    const auto& common = link.Systems[w].Common;
    ASSERT_GT(common.size(), 50u);
    for (const CommonSecond& c : common) {
      const std::int64_t s = Second(c.Time);
      if (!corrected.count(s)) continue;  // the first message has no points
      std::set<int> both;
      for (int n : corrected[s]) both.insert(tracked[s].count(n) ? n : -1);
      both.erase(-1);
      EXPECT_EQ(c.Corrected, static_cast<int>(corrected[s].size())) << s;
      EXPECT_EQ(c.Tracked, static_cast<int>(tracked[s].size())) << s;
      EXPECT_EQ(c.Common, static_cast<int>(both.size())) << s;
    }
  }
  // GPS: every 17th second one tracked satellite comes without L1 phase.
  std::int64_t without = 0;
  for (const LinkSatellite& s : link.Systems[0].Satellites) without += s.TrackedWithoutCorrections;
  EXPECT_EQ(without, 4);  // seconds 0, 17, 34 and 51
}

TEST(LinkReport, MessagesOutOfTimeOrderStillMeetTheirRoverEpochs) {
  EpochScanResult scan;
  for (int k = 0; k < 5; ++k) {
    scan.Epochs.push_back({static_cast<std::uint64_t>(k), kTenOClock + k * kSecond, {0b110, 0}});
  }
  TimeLineRecord record;
  for (const int k : {0, 3, 1, 4, 2, 2}) {  // back in time, and twice in one second
    record.Messages[0].push_back({kTenOClock + k * kSecond, kTenOClock + k * kSecond, 0b100});
  }
  const Bytes noStream;
  const CmrStream stream(noStream);
  const DecodedStore store;
  const LinkReport link = MeasureLink({stream, ArrivalTimes(), record, scan, {}, store});
  // Each second once, in time order.
  ASSERT_EQ(link.Systems[0].Common.size(), 5u);
  for (int k = 0; k < 5; ++k) {
    const CommonSecond& c = link.Systems[0].Common[static_cast<std::size_t>(k)];
    EXPECT_EQ(Second(c.Time), Second(kTenOClock + k * kSecond));
    EXPECT_EQ(c.Tracked, 2);  // PRNs 1 and 2
    EXPECT_EQ(c.Common, 1);   // PRN 2
  }
}

TEST(LinkReport, DamagedFramesPagesAndStrayBytesAreCounted) {
  const Bytes message = testdata::ObsMessage({4, 0, 0, 1000, {{3}}, {}});
  const Bytes good = testdata::CmrFrame(message);
  testdata::FrameOptions badSum;
  badSum.BadChecksum = true;
  testdata::FrameOptions badEnd;
  badEnd.Etx = 0x7E;
  const Bytes brokenSum = testdata::CmrFrame(message, badSum);
  const Bytes brokenEnd = testdata::CmrFrame(message, badEnd);
  const Bytes page = testdata::CmrPlusPage(4, 0, 1, testdata::ToBytes("1234567"));
  const Bytes brokenPage =
      testdata::CmrPlusPage(4, 0, 1, testdata::ToBytes("1234567"), {0x02, 0x00, 0x94, 0x03, true});
  // Past their opening STX, the broken ones hold no byte that could open another.
  for (const Bytes* broken : {&brokenSum, &brokenEnd, &brokenPage}) {
    ASSERT_EQ(std::count(broken->begin() + 1, broken->end(), 0x02), 0);
  }
  const Bytes stream = testdata::Concat(
      {good, testdata::ToBytes("noise"), brokenSum, good, brokenEnd, page, brokenPage,
       testdata::CmrFrame(testdata::Type1Message(5, 0, testdata::DemoStationMm()))});
  AnalysisHarness h;
  const LinkReport& link = Analysed(h, testdata::LogCarrying(stream));
  EXPECT_EQ(link.Integrity.BadFrames, 2);
  EXPECT_EQ(link.Integrity.BadPages, 1);
  // "noise", and what follows the broken ones' opening bytes.
  EXPECT_EQ(link.Integrity.StrayBytes,
            static_cast<std::int64_t>(5 + brokenSum.size() - 1 + brokenEnd.size() - 1 +
                                      brokenPage.size() - 1));
  ASSERT_EQ(link.Integrity.PerMinute.size(), 1u);
  EXPECT_EQ(link.Integrity.PerMinute[0].BadFrames, 2);
  EXPECT_EQ(link.Stations, (std::vector<LinkStation>{{4, 3}, {5, 1}}));
}

TEST(LinkReport, StationPositionChangesAndTheInformationPositionAreMeasured) {
  testdata::CoordinatesMm moved = testdata::DemoStationMm();
  moved.X += 3000;  // 3 m east-ish
  const testdata::StationInfoContent info{0, testdata::DemoStationMm(), "ID", "COGO", "long"};
  Bytes stream;
  for (const Bytes& p : testdata::StationInfoPages(0, testdata::StationInfoBlock(info), 60)) {
    stream.insert(stream.end(), p.begin(), p.end());
  }
  for (const auto& position : {testdata::DemoStationMm(), testdata::DemoStationMm(), moved}) {
    const Bytes frame = testdata::CmrFrame(testdata::Type1Message(0, 1, position));
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  AnalysisHarness h;
  const LinkReport& link = Analysed(h, testdata::LogCarrying(stream));
  ASSERT_EQ(link.PositionChanges.size(), 2u);
  EXPECT_DOUBLE_EQ(link.PositionChanges[1].X - link.PositionChanges[0].X, 3.0);
  EXPECT_TRUE(link.PositionChanges[0].Time);
  ASSERT_TRUE(link.Type1VsInfoMetres);
  EXPECT_NEAR(*link.Type1VsInfoMetres, 3.0, 1e-6);  // the last type 1 position counts
}

}  // namespace
}  // namespace pelorin
