// The verdict on a day's link: each limit at, just inside and just outside
// its value, the narrow miss against the wide one, too little data, and the
// figures of a built log whose outage and availability are known.
#include <gtest/gtest.h>

#include "cmr/Verdict.h"
#include "tests/support/AnalysisHarness.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

// An hour of corrections and epochs that every default limit passes.
LinkFigures AGoodHour() {
  LinkFigures f;
  f.FirstCorrection = testdata::kLogDate + 10.0 / 24;
  f.LastCorrection = *f.FirstCorrection + 3599.0 / 86'400;
  f.CorrectionSeconds = 3599;
  f.Epochs = 3600;
  f.SpanSeconds = 3600;
  f.UsablePercent = 100;
  f.CommonMedian = 16;
  return f;
}

VerdictGrade GradeWith(const std::function<void(LinkFigures&)>& change) {
  LinkFigures f = AGoodHour();
  change(f);
  return JudgeLink(f, {}).Grade;
}

void Outage(LinkFigures& f, std::int64_t seconds) {
  f.LongestOutage = LinkGap{*f.FirstCorrection, *f.FirstCorrection, seconds};
}

TEST(Verdict, EachLimitHoldsAtItsValueIsMissedNarrowlyWithinAFifthAndWidelyBeyond) {
  using enum VerdictGrade;
  const struct {
    const char* Name;
    std::function<void(LinkFigures&)> Change;
    VerdictGrade Expected;
  } cases[] = {
      {"available at 95 %", [](LinkFigures& f) { f.UsablePercent = 95; }, Good},
      {"available just under", [](LinkFigures& f) { f.UsablePercent = 94.9; }, Marginal},
      {"available a fifth under", [](LinkFigures& f) { f.UsablePercent = 76; }, Poor},
      {"available just inside a fifth", [](LinkFigures& f) { f.UsablePercent = 76.1; }, Marginal},
      {"outage of 30 s", [](LinkFigures& f) { Outage(f, 30); }, Good},
      {"outage of 31 s", [](LinkFigures& f) { Outage(f, 31); }, Marginal},
      {"outage of 36 s", [](LinkFigures& f) { Outage(f, 36); }, Poor},
      {"common 5", [](LinkFigures& f) { f.CommonMedian = 5; }, Good},
      {"common 4.5", [](LinkFigures& f) { f.CommonMedian = 4.5; }, Marginal},
      {"common 4", [](LinkFigures& f) { f.CommonMedian = 4; }, Poor},
      {"base moved 2 cm",
       [](LinkFigures& f) {
         f.BaseMoves.push_back({std::nullopt, 0.02});
       },
       Poor},
      {"narrow and wide misses",
       [](LinkFigures& f) {
         f.UsablePercent = 94;
         Outage(f, 120);
       },
       Poor},
      {"ten minutes less a second",
       [](LinkFigures& f) { f.CorrectionSeconds = kShortestJudgedSeconds - 1; }, NotEnoughData},
      {"ten minutes", [](LinkFigures& f) { f.CorrectionSeconds = kShortestJudgedSeconds; }, Good},
      {"no correction at all", [](LinkFigures& f) { f.FirstCorrection.reset(); }, NotEnoughData},
  };
  for (const auto& c : cases) EXPECT_EQ(GradeWith(c.Change), c.Expected) << c.Name;
}

TEST(Verdict, ReasonsComeInTheOrderOfTheChecksWithTheirValuesAndLimits) {
  LinkFigures f = AGoodHour();
  f.UsablePercent = 90;
  Outage(f, 45);
  f.BaseMoves.push_back({*f.FirstCorrection + 0.01, 2.5});
  const LinkLimits limits{.MaxAgeSeconds = 5,
                          .MinCommonSatellites = 20,
                          .MinAvailablePercent = 80,
                          .MaxOutageSeconds = 60};
  const Verdict verdict = JudgeLink(f, limits);
  ASSERT_EQ(verdict.Reasons.size(), 2u);
  EXPECT_EQ(verdict.Reasons[0].Check, VerdictCheck::Common);
  // 16 of 20 misses by a fifth exactly: no narrow miss.
  EXPECT_EQ(verdict.Reasons[0].Grade, VerdictGrade::Poor);
  EXPECT_DOUBLE_EQ(verdict.Reasons[0].Limit, 20);
  EXPECT_EQ(verdict.Reasons[1].Check, VerdictCheck::BaseMoved);
  EXPECT_EQ(verdict.Grade, VerdictGrade::Poor);
}

TEST(Verdict, FiguresOfABuiltLogCountTheOutageAndTheSecondsWithoutUsableCorrections) {
  testdata::RoverLogOptions options;
  options.Seconds = 1200;
  options.FillerBytesPerEpoch = 8;
  for (int second = 300; second < 360; ++second) options.Gaps.insert(second);
  testdata::AnalysisHarness h;
  ASSERT_EQ(h.Open(testdata::ZelLog().Raw(testdata::MakeRoverLog(options))),
            AnalysisOutcome::Completed);
  const Verdict& verdict = *h.Result.Judged;
  const LinkFigures& f = verdict.Figures;
  EXPECT_EQ(f.Epochs, 1200);
  // In the outage the newest correction is that of second 299: seconds 300
  // to 309 are at most 10 s old, the other 50 are not usable.
  ASSERT_TRUE(f.UsablePercent);
  EXPECT_NEAR(*f.UsablePercent, 100.0 * 1150 / 1200, 1e-9);
  EXPECT_EQ(f.Outages, 1);
  ASSERT_TRUE(f.LongestOutage);
  EXPECT_EQ(f.LongestOutage->Seconds, 60);
  EXPECT_NEAR(*f.AgeMax, 60, 1e-3);
  EXPECT_EQ(*f.CommonMedian, 16);
  EXPECT_FALSE(f.FixedPercent);  // no position records
  EXPECT_EQ(verdict.Grade, VerdictGrade::Poor);
  ASSERT_EQ(verdict.Reasons.size(), 1u);
  EXPECT_EQ(verdict.Reasons[0].Check, VerdictCheck::Outage);
}

}  // namespace
}  // namespace pelorin
