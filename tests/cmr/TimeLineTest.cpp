#include <gtest/gtest.h>

#include "cmr/TimeLine.h"
#include "log/DateTime.h"
#include "tests/support/RecordingCharts.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::SvContent;

constexpr double kDate = 39979.0;    // 2009-06-15 00:00
constexpr double kTolerance = 1e-9;  // days, well below a millisecond
constexpr double kSecond = 1.0 / 86'400;
constexpr double kMs = kSecond / 1000;
constexpr auto kGps = GnssSystem::Gps;
constexpr auto kGln = GnssSystem::Glonass;

double At(int hour, int minute, double second) {
  return kDate + (hour * 3600 + minute * 60 + second) * kSecond;
}

Bytes Obs(int type, std::int32_t epochMs, std::vector<SvContent> sats = {{1}}, int station = 0) {
  return testdata::CmrFrame(testdata::ObsMessage({station, type, 0, epochMs, std::move(sats), {}}));
}
Bytes Join(std::initializer_list<Bytes> parts) {
  return testdata::Concat(parts);
}

struct TimeLineRun {
  DecodedStore Store;
  TimeLineState TimeLine;
  RecordingCharts Charts;

  explicit TimeLineRun(double logStart, int station = 0) {
    Store.LogStartTime = logStart;
    Store.ReferenceStationId = station;
  }
  void Run(const Bytes& stream) {
    BuildTimeLine(stream, Store, TimeLine, Charts);
    for (auto window : {GnssSystem::Gps, GnssSystem::Glonass}) {
      for (int n = 1; n <= 4; ++n) {
        for (const ChartPoint& p : Charts.At(window, n).Points) EXPECT_EQ(p.Colour, 0xFF0000u);
      }
    }
  }
  const std::vector<ChartPoint>& Points(GnssSystem window, int series) {
    return Charts.At(window, series).Points;
  }
};

std::vector<double> Xs(const std::vector<ChartPoint>& points) {
  std::vector<double> xs;
  for (const ChartPoint& p : points) xs.push_back(p.X);
  return xs;
}
std::vector<double> Ys(const std::vector<ChartPoint>& points) {
  std::vector<double> ys;
  for (const ChartPoint& p : points) ys.push_back(p.Y);
  return ys;
}

void ExpectTimes(const std::vector<double>& got, const std::vector<double>& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t k = 0; k < got.size(); ++k)
    EXPECT_NEAR(got[k], expected[k], kTolerance) << "point " << k;
}

TEST(AnchorFirstMessage, PlacesTheFirstMessageInTheFourMinuteBlockOfTheStart) {
  EXPECT_NEAR(AnchorFirstMessage(At(10, 1, 30), 100'000), At(10, 1, 40), kTolerance);
  // Before the start, but less than a block away: it stays there.
  EXPECT_NEAR(AnchorFirstMessage(At(10, 3, 50), 10'000), At(10, 0, 10), kTolerance);
  // The 18-bit field can name more than a block: moved back by one.
  EXPECT_NEAR(AnchorFirstMessage(At(10, 0, 1), 250'000), At(10, 0, 10), kTolerance);
}

TEST(AnchorFirstMessage, KeepsAStartOnAnExactBlockBoundaryInItsOwnBlock) {
  // Every whole-minute start of a day, four minutes apart or not: rounding in
  // start * 360 must not move the message a block before the start.
  for (int minute = 0; minute < 24 * 60; ++minute) {
    const double start = At(minute / 60, minute % 60, 0);
    const double expected =
        start + 500 * kOneMsDays + (minute % 4 == 0 ? 0.0 : -(minute % 4) * 60 * kOneSecondDays);
    ASSERT_NEAR(AnchorFirstMessage(start, 500), expected, kTolerance) << "minute " << minute;
  }
}

TEST(BuildTimeLine, FirstMessageIsCountedWithoutPoints) {
  TimeLineRun run(At(10, 1, 30));
  run.Run(Obs(0, 100'000, {{3}, {4}}));
  EXPECT_EQ(run.Store.Type0Count, 1);
  EXPECT_TRUE(run.TimeLine[GnssSystem::Gps].TimeLineStarted);
  EXPECT_NEAR(run.TimeLine[GnssSystem::Gps].CmrTime, At(10, 1, 40), kTolerance);
  for (int n = 1; n <= 4; ++n) EXPECT_TRUE(run.Points(kGps, n).empty()) << n;
}

TEST(BuildTimeLine, LaterMessagesAdvanceByTheirEpochDifferenceAcrossTheWrap) {
  TimeLineRun run(At(10, 3, 50));
  run.Run(Join({Obs(0, 230'000), Obs(0, 239'000, {{1}, {2}, {3}}), Obs(0, 1'000)}));
  EXPECT_EQ(run.Store.Type0Count, 3);
  ExpectTimes(Xs(run.Points(kGps, 1)), {At(10, 3, 59), At(10, 4, 1)});
  EXPECT_EQ(Ys(run.Points(kGps, 1)), (std::vector<double>{3, 1}));
  // The 9 s before 239 000 hold 8 missing seconds; across the wrap 239 000
  // and 1 000 are 2 s apart, so one more second is missing, at T - 1 s.
  ASSERT_EQ(run.Points(kGps, 3).size(), 9u);
  EXPECT_NEAR(run.Points(kGps, 3).back().X, At(10, 4, 0), kTolerance);
}

TEST(BuildTimeLine, AGapAcrossTheWrapIsMarkedLikeAnyOther) {
  TimeLineRun run(At(10, 3, 50));
  run.Run(Join({Obs(0, 236'000), Obs(0, 2'000)}));
  ExpectTimes(Xs(run.Points(kGps, 1)), {At(10, 4, 2)});
  // Five seconds missing: 237 000 .. 239 000, 0 and 1 000.
  ExpectTimes(Xs(run.Points(kGps, 3)),
              {At(10, 4, 1), At(10, 4, 0), At(10, 3, 59), At(10, 3, 58), At(10, 3, 57)});
}

TEST(BuildTimeLine, ADayOfOneSecondStepsGathersNoRounding) {
  Bytes stream;
  for (int s = 1; s <= 86'400; ++s) {
    const Bytes frame = Obs(0, (s * 1000) % 240'000, {});
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  TimeLineRun run(At(0, 0, 0.5));
  run.Run(stream);
  // To well under a millisecond, not the ten that 86 400 additions gather.
  EXPECT_NEAR(run.TimeLine[GnssSystem::Gps].CmrTime, At(0, 0, 0) + 86'400 * kSecond,
              1e-6 * kSecond);
}

TEST(BuildTimeLine, MissingSecondsAreMarkedBeforeTheMessage) {
  TimeLineRun run(At(10, 0, 1));
  run.Run(Join({Obs(0, 5'000), Obs(0, 8'000), Obs(0, 9'000), Obs(0, 10'500)}));
  const double t1 = At(10, 0, 8);
  ExpectTimes(Xs(run.Points(kGps, 1)), {t1, t1 + kSecond, t1 + 2.5 * kSecond});
  ExpectTimes(Xs(run.Points(kGps, 3)), {t1 - kSecond, t1 - 2 * kSecond, t1 + 1.5 * kSecond});
  EXPECT_EQ(Ys(run.Points(kGps, 3)), (std::vector<double>{-1, -1, -1}));
}

TEST(BuildTimeLine, SatellitePointsFollowTheirBlockIndex) {
  TimeLineRun run(At(10, 0, 1));
  const std::vector<SvContent> sats = {
      {5, false, true}, {7, true, false}, {0, true, false}, {9, true, true}, {11, false, false}};
  run.Run(Join({Obs(0, 1'000), Obs(0, 2'000, sats)}));
  const double t = At(10, 0, 2);
  EXPECT_EQ(run.Points(kGps, 1).at(0).Y, 5);
  // Blocks after an invalid one, with or without L2, are read where they lie.
  ExpectTimes(Xs(run.Points(kGps, 2)), {t + kMs, t + 2 * kMs, t + 3 * kMs});
  EXPECT_EQ(Ys(run.Points(kGps, 2)), (std::vector<double>{7, 32, 9}));
  ExpectTimes(Xs(run.Points(kGps, 4)), {t + kMs, t + 2 * kMs});
  EXPECT_EQ(Ys(run.Points(kGps, 4)), (std::vector<double>{7 + 0.003, 32}));
}

TEST(BuildTimeLine, GlonassRunsOnItsOwnReferenceTime) {
  // Start 10:00:30; the GLONASS reference is 10 787 s later, 13:00:17.
  TimeLineRun run(At(10, 0, 30));
  run.Run(Join({Obs(0, 31'000), Obs(3, 20'000, {{3}}), Obs(0, 32'000),
                Obs(3, 21'000, {{0, true, false}, {24, true, false}})}));
  EXPECT_EQ(run.Store.Type3Count, 2);
  EXPECT_NEAR(run.TimeLine[GnssSystem::Glonass].CmrTime, At(13, 0, 21), kTolerance);
  ExpectTimes(Xs(run.Points(kGln, 1)), {At(13, 0, 21)});
  EXPECT_EQ(Ys(run.Points(kGln, 2)), (std::vector<double>{0, 24}));  // no PRN 32 rule for slots
  EXPECT_EQ(Ys(run.Points(kGln, 4)), (std::vector<double>{0 + 0.003, 24 + 0.003}));
  ExpectTimes(Xs(run.Points(kGps, 1)), {At(10, 0, 32)});
}

TEST(BuildTimeLine, OnlyObservablesOfTheReferenceStationCountAndPlot) {
  TimeLineRun run(At(10, 0, 30), 1);
  Bytes type5 = testdata::ObsMessage({1, 0, 0, 21'000, {{6}}, {}});
  type5[1] = static_cast<std::uint8_t>(5 << 5 | 1);
  run.Run(Join({Obs(3, 20'000, {{3}}, 1), Obs(3, 21'000, {{4}}, 2), Obs(0, 21'000, {{4}}, 2),
                testdata::CmrFrame(type5),
                testdata::CmrFrame(testdata::Type1Message(1, 1, {1, 2, 3, 0, 0, 0})),
                Obs(3, 22'000, {{5}}, 1)}));
  EXPECT_EQ(run.Store.Type3Count, 2);
  EXPECT_EQ(run.Store.Type0Count, 0);
  EXPECT_FALSE(run.TimeLine[GnssSystem::Gps].TimeLineStarted);
  EXPECT_EQ(Ys(run.Points(kGln, 2)), (std::vector<double>{5}));
  // 20 000 to 22 000 ms: the other station's message does not fill the gap.
  EXPECT_EQ(run.Points(kGln, 3).size(), 1u);
}

TEST(ClearSatelliteSeries, EmptiesAllSeriesAndHidesTheMissingEpochs) {
  RecordingCharts charts;
  for (auto window : {kGps, kGln}) {
    for (int n = 1; n <= 5; ++n) charts.Series(window, n).AddPoint(1, 2, "", 0);
    charts.Series(window, 3).SetActive(true);
  }
  ClearSatelliteSeries(charts);
  for (auto window : {kGps, kGln}) {
    for (int n = 1; n <= 5; ++n) {
      EXPECT_TRUE(charts.At(window, n).Points.empty()) << n;
      EXPECT_EQ(charts.At(window, n).Active(), n != 3) << n;
    }
  }
}

TEST(ResetTimeLine, NextAnalysisAnchorsAfresh) {
  TimeLineRun run(At(10, 0, 30));
  run.Run(Join({Obs(0, 20'000), Obs(3, 20'000)}));
  run.Store.Type0Count = run.Store.Type3Count = 0;
  ResetTimeLine(run.Store, run.TimeLine);
  EXPECT_FALSE(run.TimeLine[GnssSystem::Gps].TimeLineStarted);
  EXPECT_FALSE(run.TimeLine[GnssSystem::Glonass].TimeLineStarted);
  EXPECT_EQ(run.TimeLine[GnssSystem::Glonass].CmrTime, 0);

  run.Store.LogStartTime = At(11, 0, 30);
  run.Run(Join({Obs(0, 50'000), Obs(0, 51'000)}));
  ExpectTimes(Xs(run.Points(kGps, 1)), {At(11, 0, 51)});
}

}  // namespace
}  // namespace pelorin
