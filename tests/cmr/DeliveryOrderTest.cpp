// Links that deliver messages twice or late: the time line marks only the
// seconds in which no message came, and the link report counts a second
// once; only the counts and the delivery figures tell the copies apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "cmr/LinkReport.h"
#include "tests/support/AnalysisHarness.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::RoverLogOptions;
using testdata::ZelLog;

constexpr auto kGps = GnssSystem::Gps;
constexpr auto kGln = GnssSystem::Glonass;

const LinkReport& Analyse(AnalysisHarness& h, const RoverLogOptions& options) {
  EXPECT_EQ(h.Open(ZelLog().Raw(testdata::MakeRoverLog(options))), AnalysisOutcome::Completed);
  EXPECT_TRUE(h.State.LastLink());
  return *h.State.LastLink();
}

std::int64_t Second(double time) {
  return std::llround(time * 86'400);
}

std::set<std::int64_t> DistinctSeconds(const std::vector<ChartPoint>& points) {
  std::set<std::int64_t> seconds;
  for (const ChartPoint& p : points) seconds.insert(Second(p.X));
  return seconds;
}

TEST(DeliveryOrder, ARepeaterALateMessageAndAnOutageMissOnlyTheOutage) {
  AnalysisHarness h;
  const LinkReport& link = Analyse(h, testdata::TroubledLinkOptions());
  // 150 seconds had their messages; 31 of them came twice.
  EXPECT_EQ(h.State.Store.Type0Count, 181);
  EXPECT_EQ(h.State.Store.Type3Count, 181);
  for (const GnssSystem window : {kGps, kGln}) {
    const auto w = static_cast<std::size_t>(window);
    const SystemLink& system = link.Systems[w];
    ASSERT_TRUE(system.Span.First);
    const std::int64_t first = Second(*system.Span.First);
    EXPECT_EQ(h.Charts.At(window, 1).Points.size(), 180u) << "a point per message after the first";

    const auto& missing = h.Charts.At(window, 3).Points;
    ASSERT_EQ(missing.size(), 5u);
    EXPECT_EQ(
        DistinctSeconds(missing),
        (std::set<std::int64_t>{first + 100, first + 101, first + 102, first + 103, first + 104}));
    ASSERT_EQ(system.Gaps.size(), 1u);
    EXPECT_EQ(system.Gaps[0].Seconds, 5);

    EXPECT_EQ(system.Span.Seconds, 150);
    // The rover epoch of the last second is never scanned.
    EXPECT_EQ(system.Common.size(), 149u);
    for (const LinkSatellite& s : system.Satellites) {
      EXPECT_LE(s.Corrected, 150) << "satellite " << s.Id;
    }
    EXPECT_EQ(system.Delivery.Repeated, 31);
    EXPECT_EQ(system.Delivery.Late, 1);
    EXPECT_EQ(system.Delivery.MostLateMs, 4'000);
    // The late message is 4 s old when it comes; copies add no age.
    EXPECT_EQ(system.Ages.Count, 150);
    EXPECT_EQ(system.Ages.Max, 4.0);
    EXPECT_EQ(system.Ages.Over5s, 0);
  }
}

// The same corrections with and without a repeater and late deliveries: the
// missing seconds, the gaps and every per-second figure are the same.
TEST(DeliveryOrder, CopiesAndDelaysChangeNoPerSecondFigure) {
  struct Trouble {
    const char* Name;
    RoverLogOptions Options;
  };
  RoverLogOptions clean;
  clean.Seconds = 600;
  clean.FillerBytesPerEpoch = 8;
  clean.Gaps = {100, 101, 102, 400, 401, 402, 403, 404, 405, 406};

  RoverLogOptions everyMessageTwice = clean;
  for (int s = 0; s < clean.Seconds; ++s) everyMessageTwice.RepeatedSeconds[s] = 1 + s % 3;
  RoverLogOptions late = clean;
  late.LateSeconds = {{50, 2}, {51, 9}, {300, 3}, {410, 30}};
  RoverLogOptions both = everyMessageTwice;
  both.LateSeconds = late.LateSeconds;

  AnalysisHarness reference;
  const LinkReport& expected = Analyse(reference, clean);
  for (const Trouble& trouble : {Trouble{"every message twice", everyMessageTwice},
                                 Trouble{"late messages", late}, Trouble{"both", both}}) {
    AnalysisHarness h;
    const LinkReport& link = Analyse(h, trouble.Options);
    for (const GnssSystem window : {kGps, kGln}) {
      const auto w = static_cast<std::size_t>(window);
      const SystemLink& got = link.Systems[w];
      const SystemLink& want = expected.Systems[w];
      EXPECT_EQ(h.Charts.At(window, 3).Points, reference.Charts.At(window, 3).Points)
          << trouble.Name;
      // The first message has no totals point; a copy of it has.
      std::set<std::int64_t> totals = DistinctSeconds(h.Charts.At(window, 1).Points);
      std::set<std::int64_t> expectedTotals =
          DistinctSeconds(reference.Charts.At(window, 1).Points);
      totals.insert(Second(*got.Span.First));
      expectedTotals.insert(Second(*want.Span.First));
      EXPECT_EQ(totals, expectedTotals) << trouble.Name;
      EXPECT_EQ(h.Charts.At(window, 5).Points, reference.Charts.At(window, 5).Points);
      EXPECT_EQ(got.Span.Seconds, want.Span.Seconds) << trouble.Name;
      EXPECT_EQ(got.Span.First, want.Span.First) << trouble.Name;
      EXPECT_EQ(got.Span.Last, want.Span.Last) << trouble.Name;
      ASSERT_EQ(got.Gaps.size(), want.Gaps.size()) << trouble.Name;
      for (std::size_t k = 0; k < got.Gaps.size(); ++k) {
        EXPECT_EQ(got.Gaps[k].Seconds, want.Gaps[k].Seconds) << trouble.Name;
        EXPECT_EQ(got.Gaps[k].Start, want.Gaps[k].Start) << trouble.Name;
      }
      EXPECT_EQ(got.Satellites, want.Satellites) << trouble.Name;
      ASSERT_EQ(got.Common.size(), want.Common.size()) << trouble.Name;
      for (std::size_t k = 0; k < got.Common.size(); ++k) {
        EXPECT_EQ(Second(got.Common[k].Time), Second(want.Common[k].Time)) << trouble.Name;
        EXPECT_EQ(got.Common[k].Common, want.Common[k].Common) << trouble.Name;
      }
    }
    // A copy due in an outage or after the log's end never came.
    const RoverLogOptions& o = trouble.Options;
    std::int64_t copies = 0;
    for (const auto& [second, delay] : o.RepeatedSeconds) {
      const auto lateBy = o.LateSeconds.find(second);
      const int due = second + delay + (lateBy == o.LateSeconds.end() ? 0 : lateBy->second);
      copies += !o.Gaps.count(second) && !o.Gaps.count(due) && due < o.Seconds;
    }
    const bool delayed = !o.LateSeconds.empty();
    EXPECT_EQ(link.Systems[0].Delivery.Repeated, copies) << trouble.Name;
    EXPECT_EQ(link.Systems[0].Delivery.Late, delayed ? 4 : 0) << trouble.Name;
    EXPECT_EQ(link.Systems[0].Delivery.MostLateMs, delayed ? 30'000 : 0) << trouble.Name;
  }
}

}  // namespace
}  // namespace pelorin
