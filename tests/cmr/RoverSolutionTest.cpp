// The rover's solution beside the link, on logs whose solution, outages,
// sky and station are planned second by second: the shares against the
// epochs built, each loss of the fix against the one cause it was built
// with, and the age limit that decides between the link and the rover.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "cmr/RoverSolution.h"
#include "tests/support/AnalysisHarness.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::RoverLogOptions;
using testdata::ZelLog;

constexpr double kTenOClock = testdata::kLogDate + 10.0 / 24;

std::int64_t SecondOf(double time) {
  return std::llround((time - kTenOClock) * 86'400);
}

RoverLogOptions WithSolution(int seconds) {
  RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = 8;
  options.WritePositions = true;
  return options;
}

struct Analysed {
  AnalysisHarness Harness;
  const SolutionReport* Solution = nullptr;
  const RoverEpochs* Rover = nullptr;
};

void Analyse(Analysed& a, const RoverLogOptions& options) {
  ASSERT_EQ(a.Harness.Open(ZelLog().Raw(testdata::MakeRoverLog(options))),
            AnalysisOutcome::Completed);
  a.Solution = a.Harness.State.LastSolution().get();
  a.Rover = a.Harness.State.LastRover().get();
  ASSERT_TRUE(a.Rover);
}

std::int64_t EpochsOf(const SolutionReport& s, std::uint8_t type) {
  for (const SolutionShare& share : s.Shares) {
    if (share.Solution == type) return share.Epochs;
  }
  return 0;
}

TEST(RoverSolution, FixedThroughoutHasNoLossAndABaselineOfTheRoversDistance) {
  Analysed a;
  Analyse(a, WithSolution(300));
  ASSERT_TRUE(a.Solution);
  const SolutionReport& s = *a.Solution;
  // Every epoch counts, the last one (dated, never tracked) included.
  EXPECT_EQ(s.Epochs, 300);
  EXPECT_EQ(EpochsOf(s, kRtkFixed), 300);
  EXPECT_EQ(s.Shares.size(), 1u);
  EXPECT_DOUBLE_EQ(s.FixedPercent, 100.0);
  EXPECT_NEAR(s.SpanSeconds, 300.0, 1e-6);
  ASSERT_TRUE(s.LongestFixed);
  EXPECT_NEAR(s.LongestFixed->Seconds, 300.0, 1e-6);
  EXPECT_TRUE(s.Losses.empty());
  EXPECT_TRUE(s.TimesToFix.empty());
  EXPECT_EQ(s.SkippedRecords, 0);
  EXPECT_EQ(s.EpochsWithoutPosition, 0);
  // No baseline before the first type 1 message (second 2), then the
  // rover's planned distance, give or take its few metres of walking.
  ASSERT_TRUE(s.BaselineKm);
  const double planned = std::hypot(testdata::kRoverOffsetX, testdata::kRoverOffsetY) / 1000;
  EXPECT_NEAR(s.BaselineKm->Min, planned, 0.004);
  EXPECT_NEAR(s.BaselineKm->Max, planned, 0.004);
  EXPECT_TRUE(std::isnan(a.Rover->Epochs[1].BaselineKm));
  EXPECT_FALSE(std::isnan(a.Rover->Epochs[2].BaselineKm));
}

// One log, five losses, each built so that only its own cause holds.
RoverLogOptions FiveLosses() {
  RoverLogOptions o = WithSolution(600);
  for (int second = 100; second < 130; ++second) o.Gaps.insert(second);
  for (int second = 200; second < 220; ++second) o.ObstructedSeconds.insert(second);
  o.MoveStationAtSecond = 300;  // the type 1 message of second 302 moves it
  o.SolutionFrom = {{105, kRtkFloat},        {135, kRtkFixed},  // in the outage
                    {201, kRtkFloat},        {225, kRtkFixed},  // under the bridge
                    {305, kRtkFloat},        {320, kRtkFixed},  // after the base moved
                    {400, kStandalone},      {410, kRtkFixed},  // the rover's own sky
                    {550, kCodeDifferential}};                  // never regained
  return o;
}

TEST(RoverSolution, EachLossIsGivenTheOneCauseItWasBuiltWith) {
  Analysed a;
  Analyse(a, FiveLosses());
  ASSERT_TRUE(a.Solution);
  const std::vector<FixLoss>& losses = a.Solution->Losses;
  ASSERT_EQ(losses.size(), 5u);
  const struct {
    int Start;
    std::optional<double> Seconds;
    std::uint8_t FellTo;
    LossCause Cause;
  } built[] = {{105, 30, kRtkFloat, LossCause::CorrectionsMissing},
               {201, 24, kRtkFloat, LossCause::TooFewCommonSatellites},
               {305, 15, kRtkFloat, LossCause::StationChanged},
               {400, 10, kStandalone, LossCause::AtTheRover},
               {550, std::nullopt, kCodeDifferential, LossCause::AtTheRover}};
  for (std::size_t k = 0; k < losses.size(); ++k) {
    SCOPED_TRACE(built[k].Start);
    EXPECT_EQ(SecondOf(losses[k].Start), built[k].Start);
    EXPECT_EQ(losses[k].Seconds.has_value(), built[k].Seconds.has_value());
    if (built[k].Seconds) {
      EXPECT_NEAR(*losses[k].Seconds, *built[k].Seconds, 1e-6);
    }
    EXPECT_EQ(losses[k].FellTo, built[k].FellTo);
    EXPECT_EQ(losses[k].Cause, built[k].Cause);
  }
}

TEST(RoverSolution, SharesCountTheEpochsBuiltAndTheOutageGivesTheTimeToFix) {
  Analysed a;
  Analyse(a, FiveLosses());
  const SolutionReport& s = *a.Solution;
  EXPECT_EQ(s.Epochs, 600);
  EXPECT_EQ(EpochsOf(s, kRtkFloat), 30 + 24 + 15);
  EXPECT_EQ(EpochsOf(s, kStandalone), 10);
  EXPECT_EQ(EpochsOf(s, kCodeDifferential), 50);
  EXPECT_EQ(EpochsOf(s, kRtkFixed), 600 - 69 - 10 - 50);
  EXPECT_NEAR(s.FixedPercent, 100.0 * 471 / 600, 1e-9);
  const double percent =
      std::accumulate(s.Shares.begin(), s.Shares.end(), 0.0,
                      [](double sum, const SolutionShare& share) { return sum + share.Percent; });
  EXPECT_NEAR(percent, 100.0, 1e-9);
  // Fixed from 410 to 550.
  ASSERT_TRUE(s.LongestFixed);
  EXPECT_EQ(SecondOf(s.LongestFixed->Start), 410);
  EXPECT_NEAR(s.LongestFixed->Seconds, 140, 1e-6);
  // The corrections came back at second 130; fixed again at 135. The other
  // losses fell in no outage.
  ASSERT_EQ(s.TimesToFix.size(), 1u);
  EXPECT_NEAR(s.TimesToFix[0], 5.0, 1e-3);
  EXPECT_NEAR(*s.TimeToFixMedian, 5.0, 1e-3);
}

TEST(RoverSolution, TheAgeLimitDecidesBetweenALateLinkAndTheRover) {
  // Every correction arrives 4 s after its time; the rover loses its fix at 200.
  RoverLogOptions o = WithSolution(300);
  for (int second = 0; second < 300; ++second) o.LateSeconds[second] = 4;
  o.SolutionFrom = {{200, kRtkFloat}, {210, kRtkFixed}};
  Analysed a;
  Analyse(a, o);
  ASSERT_EQ(a.Solution->Losses.size(), 1u);
  EXPECT_EQ(a.Solution->Losses[0].Cause, LossCause::AtTheRover);
  EXPECT_NEAR(a.Rover->Epochs[200].CorrectionAge, 4.0, 1e-3);

  const LinkReport& link = *a.Harness.State.LastLink();
  const SolutionReport strict = MeasureSolution(*a.Rover, link, {.MaxAgeSeconds = 3});
  ASSERT_EQ(strict.Losses.size(), 1u);
  EXPECT_EQ(strict.Losses[0].Cause, LossCause::CorrectionsMissing);
  EXPECT_EQ(MeasureSolution(*a.Rover, link, {.MaxAgeSeconds = 4}).Losses[0].Cause,
            LossCause::AtTheRover);
}

TEST(RoverSolution, ALogWithoutPositionRecordsHasNoSolutionButItsEpochsStillFollowTheLink) {
  RoverLogOptions o = WithSolution(120);
  o.WritePositions = false;
  o.Gaps = {50, 51};
  Analysed a;
  Analyse(a, o);
  EXPECT_FALSE(a.Solution);
  EXPECT_FALSE(a.Rover->HasSolution());
  ASSERT_EQ(a.Rover->Epochs.size(), 120u);
  EXPECT_TRUE(a.Rover->Epochs[50].InGap);
  EXPECT_TRUE(a.Rover->Epochs[51].InGap);
  EXPECT_FALSE(a.Rover->Epochs[52].InGap);
  // 9 GPS and 7 GLONASS satellites in the corrections, all tracked.
  EXPECT_EQ(a.Rover->Epochs[10].Common, 16);
}

TEST(RoverSolution, AStationHeardNowAndThenIsNoChangeButOneThatTakesOverIs) {
  // The demo's second station sends a message every 10 s: never a change.
  Analysed a;
  Analyse(a, WithSolution(120));
  EXPECT_TRUE(a.Harness.State.LastLink()->StationChanges.empty());

  // Station 7 for a minute, then station 9 alone.
  RoverLogOptions first = WithSolution(60);
  RoverLogOptions second = first;
  second.Station = 9;
  second.StartMsOfDay += 60'000;
  ZelLog log;
  log.Raw(testdata::MakeRoverLog(first)).Raw(testdata::MakeRoverLog(second));
  AnalysisHarness h;
  ASSERT_EQ(h.Open(log), AnalysisOutcome::Completed);
  const std::vector<double>& changes = h.State.LastLink()->StationChanges;
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(SecondOf(changes[0]), 60);
  EXPECT_TRUE(h.State.LastRover()->Epochs[65].StationChanged);
  EXPECT_FALSE(h.State.LastRover()->Epochs[75].StationChanged);
}

TEST(CorrectionOutages, JoinBothSystemsGapsInGpsTime) {
  LinkReport link;
  constexpr double kS = 1.0 / 86'400;
  const double glonassAhead = GpsToGlonassOffsetDays(kTenOClock);
  link.Systems[0].Gaps = {{kTenOClock + 10 * kS, kTenOClock + 12 * kS, 3},
                          {kTenOClock + 40 * kS, kTenOClock + 40 * kS, 1}};
  // GLONASS misses 13 and 14 (touching GPS' 10..12) and 30.
  link.Systems[1].Gaps = {
      {kTenOClock + 13 * kS + glonassAhead, kTenOClock + 14 * kS + glonassAhead, 2},
      {kTenOClock + 30 * kS + glonassAhead, kTenOClock + 30 * kS + glonassAhead, 1}};
  const std::vector<LinkGap> outages = CorrectionOutages(link);
  ASSERT_EQ(outages.size(), 3u);
  EXPECT_EQ(SecondOf(outages[0].Start), 10);
  EXPECT_EQ(SecondOf(outages[0].End), 14);
  EXPECT_EQ(outages[0].Seconds, 5);
  EXPECT_EQ(SecondOf(outages[1].Start), 30);
  EXPECT_EQ(SecondOf(outages[2].Start), 40);
}

}  // namespace
}  // namespace pelorin

namespace pelorin {
namespace {

// A receiver clock that jumps back: each epoch still gets its own position,
// gap and correction age, as if its epochs had come in time order.
TEST(RoverEpochsFollowed, InTimeOrderWhateverTheOrderOfTheLog) {
  constexpr double kS = 1.0 / 86'400;
  const double t0 = kTenOClock;
  EpochScanResult scan;
  for (const int second : {0, 20, 10, 30}) scan.Epochs.push_back({0, t0 + second * kS, {}});
  scan.PositionOrigin = {6'000'000, 0, 0, 0.01f, kRtkFixed};
  for (std::uint32_t k = 0; k < 4; ++k) {
    scan.Positions.push_back({k, 1000.0f * static_cast<float>(k), 0, 0, 0.01f, kRtkFixed});
  }
  TimeLineRecord timeLine;
  for (const int second : {0, 5, 9, 25}) {
    timeLine.Messages[0].push_back({t0 + second * kS, t0 + second * kS, 0, false});
  }
  LinkReport link;
  link.Systems[0].Gaps = {{t0 + 10 * kS, t0 + 24 * kS, 15}};
  link.PositionChanges = {{t0, 6'000'000, 0, 0}};

  const RoverEpochs rover = FollowRoverEpochs(scan, timeLine, link);
  ASSERT_EQ(rover.Epochs.size(), 4u);
  const float km[] = {0, 1, 2, 3};
  const float age[] = {0, 11, 1, 5};
  const bool inGap[] = {false, true, true, false};
  for (std::size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_DOUBLE_EQ(rover.Epochs[k].Time, scan.Epochs[k].Time);
    EXPECT_NEAR(rover.Epochs[k].BaselineKm, km[k], 1e-6);
    EXPECT_FLOAT_EQ(rover.Epochs[k].CorrectionAge, age[k]);
    EXPECT_EQ(rover.Epochs[k].InGap, inGap[k]);
  }
}

}  // namespace
}  // namespace pelorin
