#pragma once
// Charts with no screen. Series keep their points in insertion order; axes
// and charts keep what the handlers set and note every operation, in order.

#include <array>
#include <string>
#include <vector>

#include "platform/ChartSeries.h"

namespace pelorin {

class RecordingSeries : public ChartSeries {
public:
  std::vector<ChartPoint> Points;
  bool IsActive = true;

  void Clear() override { Points.clear(); }
  void AddPoint(double x, double y, std::string_view, ColourValue colour) override {
    Points.push_back({x, y, colour});
  }
  void ReservePoints(std::size_t count) override { Points.reserve(Points.size() + count); }
  void SetActive(bool active) override { IsActive = active; }
  bool Active() const override { return IsActive; }
  // An empty series answers 0 for both.
  double MaxYValue() const override;
  double MinYValue() const override;
};

class RecordingCharts : public SatelliteCharts {
public:
  // Series(window, n) for n = 1..5.
  ChartSeries& Series(GnssSystem window, int number) override { return At(window, number); }
  RecordingSeries& At(GnssSystem window, int number);
  const RecordingSeries& At(GnssSystem window, int number) const;

private:
  std::array<std::array<RecordingSeries, kSeriesPerWindow>, 2> series_;
};

// Notes its operations in the chart's list as "Left.SetMinMax(4, 10)".
class RecordingAxis : public ChartAxis {
public:
  RecordingAxis(std::string name, std::vector<std::string>& calls)
      : name_(std::move(name)), calls_(calls) {}
  RecordingAxis(const RecordingAxis&) = delete;
  RecordingAxis& operator=(const RecordingAxis&) = delete;

  double Min = 0;
  double Max = 0;
  bool Automatic = true;
  bool Visible = true;
  double DesiredIncrement = 0;

  double Minimum() const override { return Min; }
  double Maximum() const override { return Max; }
  void SetMinMax(double minimum, double maximum) override;
  void SetAutomatic(bool automatic) override;
  void SetVisible(bool visible) override;
  void SetDesiredIncrement(double increment) override;

private:
  void Note(const std::string& call);

  std::string name_;
  std::vector<std::string>& calls_;
};

class RecordingChart : public Chart {
public:
  RecordingChart() = default;
  RecordingChart(const RecordingChart&) = delete;
  RecordingChart& operator=(const RecordingChart&) = delete;

  // Every operation on the chart and its axes, in order.
  std::vector<std::string> Calls;
  RecordingAxis Left{"Left", Calls};
  RecordingAxis Bottom{"Bottom", Calls};
  std::vector<std::string> TitleLines;
  int Repaints = 0;

  ChartAxis& LeftAxis() override { return Left; }
  ChartAxis& BottomAxis() override { return Bottom; }
  void ClearTitle() override;
  void AppendTitleLine(std::string_view line) override;
  void Repaint() override;
};

}  // namespace pelorin
