#pragma once
// Chart series with no screen: they keep their points in insertion order.

#include <array>
#include <vector>

#include "platform/ChartSeries.h"

namespace pelorin {

struct ChartPoint {
  double X = 0;
  double Y = 0;
  ColourValue Colour = 0;
  bool operator==(const ChartPoint&) const = default;
};

class RecordingSeries : public ChartSeries {
public:
  std::vector<ChartPoint> Points;
  bool IsActive = true;

  void Clear() override { Points.clear(); }
  void AddPoint(double x, double y, std::string_view, ColourValue colour) override {
    Points.push_back({x, y, colour});
  }
  void SetActive(bool active) override { IsActive = active; }
  bool Active() const override { return IsActive; }
  // An empty series answers 0 for both.
  double MaxYValue() const override;
  double MinYValue() const override;
};

class RecordingCharts : public SatelliteCharts {
public:
  // Series(window, n) for n = 1..5.
  ChartSeries& Series(SatelliteWindow window, int number) override { return At(window, number); }
  RecordingSeries& At(SatelliteWindow window, int number);
  const RecordingSeries& At(SatelliteWindow window, int number) const;

private:
  std::array<std::array<RecordingSeries, kSeriesPerWindow>, 2> series_;
};

}  // namespace pelorin
