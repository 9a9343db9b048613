#pragma once
// The chart component as the analysis sees it: series that are cleared,
// filled point by point, switched active and asked for their Y range.
// charts/ implements it with QCustomPlot; RecordingCharts records the points.

#include <cstdint>
#include <string_view>

namespace pelorin {

// Colours are 0x00BBGGRR values (blue in the high byte).
using ColourValue = std::uint32_t;
inline constexpr ColourValue kColourBlue = 0xFF0000;
inline constexpr ColourValue kColourYellow = 0x00FFFF;

class ChartSeries {
public:
  virtual ~ChartSeries() = default;
  virtual void Clear() = 0;
  virtual void AddPoint(double x, double y, std::string_view label, ColourValue colour) = 0;
  virtual void SetActive(bool active) = 0;
  virtual bool Active() const = 0;
  virtual double MaxYValue() const = 0;
  virtual double MinYValue() const = 0;
};

enum class SatelliteWindow { Gps, Gln };
inline constexpr int kSeriesPerWindow = 5;

// Series1 .. Series5 of the GPS (Form2) and GLONASS (Form3) windows.
class SatelliteCharts {
public:
  virtual ~SatelliteCharts() = default;
  virtual ChartSeries& Series(SatelliteWindow window, int number) = 0;
};

}  // namespace pelorin
