#pragma once
// What the satellite windows do, without a screen: where their two charts
// go, and the handlers of the upper chart's two views, its zoom, undo and
// legend click, and of the lower chart's zoom. They act through the chart,
// axis and series operations alone, so that tests run them on recordings.

#include <cstdint>
#include <string_view>

#include "platform/ChartSeries.h"

namespace pelorin {

// A chart's place in its window's client area, in pixels.
struct ChartPlacement {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const ChartPlacement&) const = default;
};

struct SatelliteLayout {
  ChartPlacement Chart1;
  ChartPlacement Chart2;
};

// Chart1 over the top third of the client height, Chart2 over the two thirds
// below it, both as wide as the window's outer width.
SatelliteLayout LayOutSatelliteCharts(int clientHeight, int outerWidth);

// How the GPS and GLONASS windows' handlers differ. A title text stands for
// three lines (an empty line, the text, an empty line); an empty text for a
// single empty line.
struct SatelliteViewSettings {
  std::string_view ActivationTitle;
  std::string_view TotalsViewTitle;
  std::string_view MissingViewTitle;
  // Undoing a zoom in the totals view also makes the left axis fixed and
  // repaints the chart at once.
  bool UndoFixesAxisAndRepaints = false;
  // The fixed range of Chart2's satellite axis: every PRN or orbit slot
  // with room above and below.
  double SatelliteAxisMinimum = 0;
  double SatelliteAxisMaximum = 0;
};

inline constexpr SatelliteViewSettings kGpsViewSettings{
    .ActivationTitle = "Total Number of GPS Satellites Found in CMR Messages",
    .TotalsViewTitle = "Total Number of GPS Satellites Found in CMR Messages",
    .MissingViewTitle = "",
    .UndoFixesAxisAndRepaints = true,
    .SatelliteAxisMinimum = 0,
    .SatelliteAxisMaximum = 33,
};

inline constexpr SatelliteViewSettings kGlnViewSettings{
    .ActivationTitle = "Total number of GLN satellites found in CMR messages",
    .TotalsViewTitle = "Total number of GLONASS satellites found in CMR messages",
    .MissingViewTitle = "CMR messages are not available",
    .UndoFixesAxisAndRepaints = false,
    .SatelliteAxisMinimum = 0,
    .SatelliteAxisMaximum = 25,
};

// The handlers of one window. Chart1 shows the totals (Series1) in its totals
// view and the missing epochs (Series3) in its missing-epochs view; the
// parity of the window's legend click count says which view is up.
class SatelliteViews {
public:
  SatelliteViews(const SatelliteViewSettings& settings, Chart& chart1, Chart& chart2,
                 ChartSeries& series1, ChartSeries& series3, std::int32_t& legendClickCount);

  void FormActivate();
  void Chart1Zoom();
  void Chart1UndoZoom();
  void Chart1ClickLegend();
  void Chart2Zoom();

  // The points of a new log are in: the totals view (the count back to 0),
  // both time axes following all the new points with the labels' own steps,
  // the satellite axis at its fixed range. What a zoom left behind, and what
  // its undo would go back to, belonged to the old log and is gone.
  void ShowNewAnalysis();

  bool InMissingEpochsView() const;

private:
  void FitTotals();
  void ShowMissingEpochsRange();
  void ShowMissingEpochsView();
  void ShowTotalsView();

  const SatelliteViewSettings& settings_;
  Chart& chart1_;
  Chart& chart2_;
  ChartSeries& series1_;
  ChartSeries& series3_;
  std::int32_t& legendClickCount_;
};

}  // namespace pelorin
