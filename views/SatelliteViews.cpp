#include "views/SatelliteViews.h"

#include <algorithm>
#include <cmath>

namespace pelorin {
namespace {

// The double nearest to one third; products with it are truncated.
constexpr double kThirdRatio = 0.3333333333333333;

// The window's own count of seconds in a day, an integer as the widening
// and the label increment are worked out in whole seconds.
constexpr int kDaySeconds = 86400;

// A zoom of the lower chart narrower than 10 seconds is widened on both sides.
constexpr double kShortestKeptSpanDays = 0.00011574074074074075;
constexpr double kWideningDays = 0.00005787037037037037;
constexpr double kLabelsPerWidenedSpan = 4;

// The missing-epoch markers sit at -1, on the middle line of this range.
constexpr double kMissingViewMinimum = -2;
constexpr double kMissingViewMaximum = 0;

void ShowTitle(Chart& chart, std::string_view text) {
  chart.ClearTitle();
  chart.AppendTitleLine("");
  if (text.empty()) return;
  chart.AppendTitleLine(text);
  chart.AppendTitleLine("");
}

}  // namespace

SatelliteLayout LayOutSatelliteCharts(int clientHeight, int outerWidth) {
  const double height = std::max(clientHeight, 0);
  const int upperHeight = static_cast<int>(height * kThirdRatio);
  const int lowerHeight = static_cast<int>((height * 2) * kThirdRatio);
  return {{0, 0, outerWidth, upperHeight}, {0, upperHeight, outerWidth, lowerHeight}};
}

SatelliteViews::SatelliteViews(const SatelliteViewSettings& settings, Chart& chart1, Chart& chart2,
                               ChartSeries& series1, ChartSeries& series3,
                               std::int32_t& legendClickCount)
    : settings_(settings),
      chart1_(chart1),
      chart2_(chart2),
      series1_(series1),
      series3_(series3),
      legendClickCount_(legendClickCount) {}

// An odd count is the missing-epochs view; the bit test keeps that true for
// a count that has wrapped below zero.
bool SatelliteViews::InMissingEpochsView() const {
  return (legendClickCount_ & 1) != 0;
}

// The handlers give the left axis its bounds as a range opening (maximum
// 1e50, then minimum -1e50) followed by a new maximum and a new minimum.
// Whatever the single settings pass through, they end at the last maximum
// and the last minimum, and those are set together.
void SatelliteViews::FitTotals() {
  chart1_.LeftAxis().SetMinMax(series1_.MinYValue() - 1, series1_.MaxYValue() + 1);
}

void SatelliteViews::ShowMissingEpochsRange() {
  chart1_.LeftAxis().SetMinMax(kMissingViewMinimum, kMissingViewMaximum);
}

// Activation shows the view the legend last chose. In the totals view it
// fixes the axis, fits the totals, repaints and sets the window's own
// activation title; in the missing-epochs view it applies that view as the
// legend click did, so that coming back to the window never puts the totals
// range and title over the missing-second markers.
void SatelliteViews::FormActivate() {
  if (InMissingEpochsView()) {
    ShowMissingEpochsView();
    return;
  }
  chart1_.LeftAxis().SetAutomatic(false);
  FitTotals();
  chart1_.Repaint();
  ShowTitle(chart1_, settings_.ActivationTitle);
}

// The zoom acts on the time axis only: the vertical range is the view's own.
void SatelliteViews::Chart1Zoom() {
  if (InMissingEpochsView()) {
    ShowMissingEpochsRange();
  } else {
    FitTotals();
  }
}

void SatelliteViews::Chart1UndoZoom() {
  if (InMissingEpochsView()) return;
  if (settings_.UndoFixesAxisAndRepaints) chart1_.LeftAxis().SetAutomatic(false);
  FitTotals();
  if (settings_.UndoFixesAxisAndRepaints) chart1_.Repaint();
}

void SatelliteViews::Chart1ClickLegend() {
  // Wraps instead of overflowing; the parity still alternates.
  legendClickCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(legendClickCount_) + 1u);
  if (InMissingEpochsView()) {
    ShowMissingEpochsView();
  } else {
    ShowTotalsView();
  }
}

void SatelliteViews::ShowMissingEpochsView() {
  series1_.SetActive(false);
  series3_.SetActive(true);
  ShowMissingEpochsRange();
  chart1_.LeftAxis().SetVisible(false);
  ShowTitle(chart1_, settings_.MissingViewTitle);
}

void SatelliteViews::ShowTotalsView() {
  series1_.SetActive(true);
  series3_.SetActive(false);
  ShowTitle(chart1_, settings_.TotalsViewTitle);
  FitTotals();
  chart1_.LeftAxis().SetVisible(true);
}

// A zoom under 10 seconds grows by 5 seconds on each side, and its labels
// step by a quarter of the new span in whole seconds. That increment stays
// for later zooms and undos, until a new log comes.
void SatelliteViews::Chart2Zoom() {
  ChartAxis& time = chart2_.BottomAxis();
  const double minimum = time.Minimum();
  const double maximum = time.Maximum();
  if (maximum - minimum >= kShortestKeptSpanDays) return;
  const int wideningSeconds = static_cast<int>(kDaySeconds * kWideningDays);
  const double newMaximum = maximum + static_cast<double>(wideningSeconds) / kDaySeconds;
  const double newMinimum = minimum - static_cast<double>(wideningSeconds) / kDaySeconds;
  time.SetMinMax(newMinimum, newMaximum);
  const double quarterSpan = (newMaximum - newMinimum) / kLabelsPerWidenedSpan;
  time.SetDesiredIncrement(std::trunc(kDaySeconds * quarterSpan) / kDaySeconds);
}

void SatelliteViews::ShowNewAnalysis() {
  legendClickCount_ = 0;
  chart1_.LeftAxis().SetAutomatic(false);
  ShowTotalsView();
  chart1_.BottomAxis().SetAutomatic(true);
  ChartAxis& time = chart2_.BottomAxis();
  time.SetAutomatic(true);
  // The step a short zoom chose suited that zoom of the old log only.
  time.SetDesiredIncrement(0);
  ChartAxis& satellites = chart2_.LeftAxis();
  satellites.SetAutomatic(false);
  satellites.SetMinMax(settings_.SatelliteAxisMinimum, settings_.SatelliteAxisMaximum);
}

}  // namespace pelorin
