// The satellite windows' handlers, step by step, on recording charts and
// series; and the placement of the two charts.

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/RecordingCharts.h"
#include "views/SatelliteViews.h"

namespace pelorin {
namespace {

using Calls = std::vector<std::string>;

constexpr double kSecond = 1.0 / 86400;
constexpr double kNoon = 39979.5;  // 2009-06-15 12:00:00

const std::string kGpsTotals = "Total Number of GPS Satellites Found in CMR Messages";

// One window's charts, series and legend click count, and its handlers.
struct Window {
  explicit Window(const SatelliteViewSettings& settings)
      : Views(settings, Chart1, Chart2, Series1, Series3, LegendClickCount) {}

  void Totals(std::initializer_list<double> counts) {
    double x = kNoon;
    for (const double count : counts) Series1.AddPoint(x += kSecond, count, "", kColourBlue);
  }
  void ForgetCalls() {
    Chart1.Calls.clear();
    Chart2.Calls.clear();
  }

  RecordingChart Chart1;
  RecordingChart Chart2;
  RecordingSeries Series1;
  RecordingSeries Series3;
  std::int32_t LegendClickCount = 0;
  SatelliteViews Views;
};

Calls Title(const std::string& text) {
  return {"ClearTitle", "AppendTitleLine()", "AppendTitleLine(" + text + ")", "AppendTitleLine()"};
}

Calls Join(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> TitleLines(const std::string& text) {
  if (text.empty()) return {""};
  return {"", text, ""};
}

TEST(ChartLayout, UpperThirdAndTheTwoThirdsBelow) {
  const SatelliteLayout layout = LayOutSatelliteCharts(700, 1024);
  EXPECT_EQ(layout.Chart1, (ChartPlacement{0, 0, 1024, 233}));
  EXPECT_EQ(layout.Chart2, (ChartPlacement{0, 233, 1024, 466}));
}

// In double precision a multiple of three gives the exact third.
TEST(ChartLayout, MultipleOfThree) {
  const SatelliteLayout layout = LayOutSatelliteCharts(600, 800);
  EXPECT_EQ(layout.Chart1, (ChartPlacement{0, 0, 800, 200}));
  EXPECT_EQ(layout.Chart2, (ChartPlacement{0, 200, 800, 400}));
}

TEST(ChartLayout, NoClientAreaGivesEmptyCharts) {
  for (const int height : {0, -50}) {
    const SatelliteLayout layout = LayOutSatelliteCharts(height, 300);
    EXPECT_EQ(layout.Chart1.Height, 0);
    EXPECT_EQ(layout.Chart2.Height, 0);
    EXPECT_EQ(layout.Chart2.Top, 0);
  }
}

TEST(GpsActivation, FixesTheAxisFitsTheTotalsRepaintsThenSetsTheTitle) {
  Window gps(kGpsViewSettings);
  gps.Totals({7, 5, 9, 6});
  gps.Views.FormActivate();
  EXPECT_EQ(
      gps.Chart1.Calls,
      Join({{"Left.SetAutomatic(false)", "Left.SetMinMax(4, 10)", "Repaint"}, Title(kGpsTotals)}));
  EXPECT_EQ(gps.Chart1.TitleLines, (std::vector<std::string>{"", kGpsTotals, ""}));
  EXPECT_TRUE(gps.Chart2.Calls.empty());
}

// One type 3 message gives a count and no Series1 point: the fit is -1 to 1.
TEST(GpsActivation, EmptyTotalsFitAroundZero) {
  Window gps(kGpsViewSettings);
  gps.Views.FormActivate();
  EXPECT_EQ(gps.Chart1.Left.Min, -1);
  EXPECT_EQ(gps.Chart1.Left.Max, 1);
}

TEST(GpsLegend, FirstClickShowsMissingEpochsSecondBringsBackTheTotals) {
  Window gps(kGpsViewSettings);
  gps.Totals({5, 9});
  gps.Views.Chart1ClickLegend();
  EXPECT_EQ(gps.LegendClickCount, 1);
  EXPECT_TRUE(gps.Views.InMissingEpochsView());
  EXPECT_FALSE(gps.Series1.IsActive);
  EXPECT_TRUE(gps.Series3.IsActive);
  EXPECT_EQ(gps.Chart1.Calls, (Calls{"Left.SetMinMax(-2, 0)", "Left.SetVisible(false)",
                                     "ClearTitle", "AppendTitleLine()"}));
  EXPECT_EQ(gps.Chart1.TitleLines, (std::vector<std::string>{""}));

  gps.ForgetCalls();
  gps.Views.Chart1ClickLegend();
  EXPECT_EQ(gps.LegendClickCount, 2);
  EXPECT_FALSE(gps.Views.InMissingEpochsView());
  EXPECT_TRUE(gps.Series1.IsActive);
  EXPECT_FALSE(gps.Series3.IsActive);
  EXPECT_EQ(gps.Chart1.Calls,
            Join({Title(kGpsTotals), {"Left.SetMinMax(4, 10)", "Left.SetVisible(true)"}}));
  EXPECT_TRUE(gps.Chart2.Calls.empty());
}

// The count is never reset; past the largest value it wraps and the views
// still alternate.
TEST(GpsLegend, CountWrapsAndKeepsAlternating) {
  Window gps(kGpsViewSettings);
  gps.LegendClickCount = INT32_MAX - 1;
  gps.Views.Chart1ClickLegend();
  EXPECT_TRUE(gps.Views.InMissingEpochsView());
  gps.Views.Chart1ClickLegend();
  EXPECT_EQ(gps.LegendClickCount, INT32_MIN);
  EXPECT_FALSE(gps.Views.InMissingEpochsView());
  EXPECT_TRUE(gps.Series1.IsActive);
  gps.Views.Chart1ClickLegend();
  EXPECT_TRUE(gps.Views.InMissingEpochsView());
}

TEST(GpsZoom, KeepsTheVerticalRangeOfEachView) {
  Window gps(kGpsViewSettings);
  gps.Totals({6, 5, 9});
  gps.Chart1.Left.Min = 5.5;  // as the zoom rectangle left it
  gps.Views.Chart1Zoom();
  EXPECT_EQ(gps.Chart1.Calls, (Calls{"Left.SetMinMax(4, 10)"}));

  gps.Views.Chart1ClickLegend();
  gps.ForgetCalls();
  gps.Views.Chart1Zoom();
  EXPECT_EQ(gps.Chart1.Calls, (Calls{"Left.SetMinMax(-2, 0)"}));
  EXPECT_TRUE(gps.Chart2.Calls.empty());
}

TEST(GpsUndo, FitsFixesAndRepaintsInTheTotalsViewOnly) {
  Window gps(kGpsViewSettings);
  gps.Totals({5, 9});
  gps.Views.Chart1UndoZoom();
  EXPECT_EQ(gps.Chart1.Calls,
            (Calls{"Left.SetAutomatic(false)", "Left.SetMinMax(4, 10)", "Repaint"}));

  gps.Views.Chart1ClickLegend();
  gps.ForgetCalls();
  gps.Views.Chart1UndoZoom();
  EXPECT_TRUE(gps.Chart1.Calls.empty());
}

TEST(GlnViews, TitlesOfActivationAndOfBothViews) {
  Window gln(kGlnViewSettings);
  gln.Totals({3, 7, 5});
  gln.Views.FormActivate();
  EXPECT_EQ(
      gln.Chart1.TitleLines,
      (std::vector<std::string>{"", "Total number of GLN satellites found in CMR messages", ""}));
  EXPECT_EQ(gln.Chart1.Left.Min, 2);
  EXPECT_EQ(gln.Chart1.Left.Max, 8);

  gln.Views.Chart1ClickLegend();
  EXPECT_EQ(gln.Chart1.TitleLines,
            (std::vector<std::string>{"", "CMR messages are not available", ""}));
  EXPECT_FALSE(gln.Series1.IsActive);
  EXPECT_TRUE(gln.Series3.IsActive);
  EXPECT_FALSE(gln.Chart1.Left.Visible);

  gln.Views.Chart1ClickLegend();
  EXPECT_EQ(gln.Chart1.TitleLines,
            (std::vector<std::string>{
                "", "Total number of GLONASS satellites found in CMR messages", ""}));
  EXPECT_TRUE(gln.Chart1.Left.Visible);
  EXPECT_EQ(gln.LegendClickCount, 2);
}

// With the legend toggle the GLONASS zoom and undo test the view as the GPS
// ones do; the undo neither touches the automatic flag nor repaints.
TEST(GlnViews, ZoomAndUndoTestTheView) {
  Window gln(kGlnViewSettings);
  gln.Totals({3, 7});
  gln.Views.Chart1Zoom();
  gln.Views.Chart1UndoZoom();
  EXPECT_EQ(gln.Chart1.Calls, (Calls{"Left.SetMinMax(2, 8)", "Left.SetMinMax(2, 8)"}));

  gln.Views.Chart1ClickLegend();
  gln.ForgetCalls();
  gln.Views.Chart1Zoom();
  gln.Views.Chart1UndoZoom();
  EXPECT_EQ(gln.Chart1.Calls, (Calls{"Left.SetMinMax(-2, 0)"}));
}

class ShortSpanWidening : public testing::TestWithParam<const SatelliteViewSettings*> {};

// 7 seconds grow to 17 with labels every 4 seconds; 11 seconds stay.
TEST_P(ShortSpanWidening, UnderTenSecondsGrowsFiveSecondsEachSide) {
  Window window(*GetParam());
  window.Chart2.Bottom.Min = kNoon;
  window.Chart2.Bottom.Max = kNoon + 7 * kSecond;
  window.Views.Chart2Zoom();
  EXPECT_NEAR(window.Chart2.Bottom.Min, kNoon - 5 * kSecond, 1e-9);
  EXPECT_NEAR(window.Chart2.Bottom.Max, kNoon + 12 * kSecond, 1e-9);
  EXPECT_NEAR(window.Chart2.Bottom.DesiredIncrement * 86400, 4, 1e-9);
  EXPECT_EQ(window.Chart2.Calls.size(), 2u);
  EXPECT_EQ(window.Chart2.Calls[0].rfind("Bottom.SetMinMax(", 0), 0u);
  EXPECT_EQ(window.Chart2.Calls[1].rfind("Bottom.SetDesiredIncrement(", 0), 0u);
  EXPECT_TRUE(window.Chart1.Calls.empty());

  // A later wide zoom leaves the increment as it was.
  window.ForgetCalls();
  window.Chart2.Bottom.Min = kNoon;
  window.Chart2.Bottom.Max = kNoon + 11 * kSecond;
  window.Views.Chart2Zoom();
  EXPECT_TRUE(window.Chart2.Calls.empty());
  EXPECT_NEAR(window.Chart2.Bottom.DesiredIncrement * 86400, 4, 1e-9);
}

// The increment is a quarter of the new span cut to whole seconds: 1 s
// gives 11 s and labels every 2 s.
TEST_P(ShortSpanWidening, IncrementIsAQuarterInWholeSeconds) {
  Window window(*GetParam());
  window.Chart2.Bottom.Min = kNoon;
  window.Chart2.Bottom.Max = kNoon + 1 * kSecond;
  window.Views.Chart2Zoom();
  EXPECT_NEAR(window.Chart2.Bottom.DesiredIncrement * 86400, 2, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(BothWindows, ShortSpanWidening,
                         testing::Values(&kGpsViewSettings, &kGlnViewSettings));

class ViewAfterActivation : public testing::TestWithParam<const SatelliteViewSettings*> {};

// Coming back to the window shows the view the legend chose: the missing
// epochs exactly as the click that chose them showed them, even after a
// zoom; the totals as activation always showed them.
TEST_P(ViewAfterActivation, ShowsTheViewTheLegendChose) {
  const SatelliteViewSettings& settings = *GetParam();
  Window window(settings);
  window.Totals({5, 9, 6});
  window.Series3.AddPoint(kNoon + 10 * kSecond, -1, "", kColourBlue);
  for (int click = 1; click <= 4; ++click) {
    SCOPED_TRACE(click);
    window.ForgetCalls();
    window.Views.Chart1ClickLegend();
    const Calls clicked = window.Chart1.Calls;
    window.Views.Chart1Zoom();
    window.Chart1.Left.Min = 7;  // a later undo or rectangle moved it
    window.ForgetCalls();
    window.Views.FormActivate();
    EXPECT_EQ(window.LegendClickCount, click);
    EXPECT_TRUE(window.Chart2.Calls.empty());
    if (click % 2 == 1) {
      EXPECT_EQ(window.Chart1.Calls, clicked);
      EXPECT_FALSE(window.Series1.IsActive);
      EXPECT_TRUE(window.Series3.IsActive);
      EXPECT_FALSE(window.Chart1.Left.Visible);
      EXPECT_EQ(window.Chart1.Left.Min, -2);
      EXPECT_EQ(window.Chart1.Left.Max, 0);
      EXPECT_EQ(window.Chart1.TitleLines, TitleLines(std::string(settings.MissingViewTitle)));
    } else {
      EXPECT_EQ(window.Chart1.Calls,
                Join({{"Left.SetAutomatic(false)", "Left.SetMinMax(4, 10)", "Repaint"},
                      Title(std::string(settings.ActivationTitle))}));
      EXPECT_TRUE(window.Series1.IsActive);
      EXPECT_FALSE(window.Series3.IsActive);
      EXPECT_TRUE(window.Chart1.Left.Visible);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothWindows, ViewAfterActivation,
                         testing::Values(&kGpsViewSettings, &kGlnViewSettings));

class NewAnalysis : public testing::TestWithParam<const SatelliteViewSettings*> {};

// Whatever the user left of the old log (the missing-epochs view, zoomed
// time axes, a short zoom's label step, a narrowed satellite axis), the new
// log comes up in the totals view over all its points with the labels' own
// steps; the next legend click is the first again.
TEST_P(NewAnalysis, ShowsTheTotalsViewOverAllTheNewPoints) {
  const SatelliteViewSettings& settings = *GetParam();
  Window window(settings);
  window.LegendClickCount = 3;
  window.Views.FormActivate();
  window.Chart1.Bottom.SetMinMax(kNoon, kNoon + 60 * kSecond);
  window.Chart2.Bottom.SetMinMax(kNoon, kNoon + 7 * kSecond);
  window.Views.Chart2Zoom();
  window.Chart2.Left.SetMinMax(11.5, 14.5);
  window.Totals({8, 3, 7});
  window.ForgetCalls();

  window.Views.ShowNewAnalysis();
  EXPECT_EQ(window.LegendClickCount, 0);
  EXPECT_FALSE(window.Views.InMissingEpochsView());
  EXPECT_TRUE(window.Series1.IsActive);
  EXPECT_FALSE(window.Series3.IsActive);
  const RecordingAxis& totals = window.Chart1.Left;
  EXPECT_TRUE(totals.Visible);
  EXPECT_FALSE(totals.Automatic);
  EXPECT_EQ(totals.Min, 2);
  EXPECT_EQ(totals.Max, 9);
  EXPECT_EQ(window.Chart1.TitleLines, TitleLines(std::string(settings.TotalsViewTitle)));
  EXPECT_TRUE(window.Chart1.Bottom.Automatic);
  EXPECT_TRUE(window.Chart2.Bottom.Automatic);
  EXPECT_EQ(window.Chart2.Bottom.DesiredIncrement, 0);
  const RecordingAxis& satellites = window.Chart2.Left;
  EXPECT_FALSE(satellites.Automatic);
  EXPECT_EQ(satellites.Min, settings.SatelliteAxisMinimum);
  EXPECT_EQ(satellites.Max, settings.SatelliteAxisMaximum);

  window.Views.Chart1ClickLegend();
  EXPECT_EQ(window.LegendClickCount, 1);
  EXPECT_TRUE(window.Series3.IsActive);
}

INSTANTIATE_TEST_SUITE_P(BothWindows, NewAnalysis,
                         testing::Values(&kGpsViewSettings, &kGlnViewSettings));

}  // namespace
}  // namespace pelorin
