#pragma once
// The chart component as the system sees it: series that the analysis
// clears, fills point by point, switches active and asks for their Y range;
// axes and charts that the satellite windows' handlers set. charts/
// implements them with QCustomPlot; the tests record them.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/LargeMemory.h"

namespace pelorin {

// Colours are 0x00BBGGRR values (blue in the high byte).
using ColourValue = std::uint32_t;
inline constexpr ColourValue kColourBlue = 0xFF0000;
inline constexpr ColourValue kColourYellow = 0x00FFFF;

// One point of a series: X a date-time in days, Y a value, the colour it was
// added with. The label the analysis passes is always empty and not kept.
struct ChartPoint {
  double X = 0;
  double Y = 0;
  ColourValue Colour = 0;
  bool operator==(const ChartPoint&) const = default;
};
// A day's log gives millions of points a series.
using ChartPoints = LargeVector<ChartPoint>;

class ChartSeries {
public:
  virtual ~ChartSeries() = default;
  virtual void Clear() = 0;
  virtual void AddPoint(double x, double y, std::string_view label, ColourValue colour) = 0;
  // A hint, before many points come: about this many more. A day's log adds
  // millions; room made once spares copying them as the series grows.
  virtual void ReservePoints(std::size_t /*count*/) {}
  // All the points of a new analysis at once, in place of those held.
  virtual void ReplacePoints(ChartPoints&& points) {
    Clear();
    ReservePoints(points.size());
    for (const ChartPoint& p : points) AddPoint(p.X, p.Y, "", p.Colour);
  }
  virtual void SetActive(bool active) = 0;
  virtual bool Active() const = 0;
  // Over all points, drawn or not; an empty series answers 0 for both.
  virtual double MaxYValue() const = 0;
  virtual double MinYValue() const = 0;
};

// The satellite systems the corrections and the rover's log are read for; per-system
// data is indexed by them, and each has its satellite window.
enum class GnssSystem { Gps, Glonass };
inline constexpr std::size_t kSystemCount = 2;
inline constexpr int kSeriesPerWindow = 5;

// Series1 .. Series5 of the GPS (Form2) and GLONASS (Form3) windows.
class SatelliteCharts {
public:
  virtual ~SatelliteCharts() = default;
  virtual ChartSeries& Series(GnssSystem system, int number) = 0;
};

// An axis of a chart. Bounds are date-times in days on a time axis.
class ChartAxis {
public:
  virtual ~ChartAxis() = default;
  virtual double Minimum() const = 0;
  virtual double Maximum() const = 0;
  // Both bounds at once, as they stand after the handlers' sequence of
  // single settings; a minimum above the maximum is not refused.
  virtual void SetMinMax(double minimum, double maximum) = 0;
  // An automatic axis follows the points of the chart's active series.
  virtual void SetAutomatic(bool automatic) = 0;
  virtual void SetVisible(bool visible) = 0;
  // The smallest step between labels (days on a time axis); 0 lets the axis choose.
  virtual void SetDesiredIncrement(double increment) = 0;
};

// A chart: a left (value) axis, a bottom (time) axis and title lines.
class Chart {
public:
  virtual ~Chart() = default;
  virtual ChartAxis& LeftAxis() = 0;
  virtual ChartAxis& BottomAxis() = 0;
  virtual void ClearTitle() = 0;
  virtual void AppendTitleLine(std::string_view line) = 0;
  // Draws the chart before returning.
  virtual void Repaint() = 0;
};

}  // namespace pelorin
