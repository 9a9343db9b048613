#include "tests/support/RecordingCharts.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace pelorin {
namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Flag(bool on) {
  return on ? "true" : "false";
}

}  // namespace

double RecordingSeries::MaxYValue() const {
  if (Points.empty()) return 0;
  return std::max_element(Points.begin(), Points.end(),
                          [](const ChartPoint& a, const ChartPoint& b) { return a.Y < b.Y; })
      ->Y;
}

double RecordingSeries::MinYValue() const {
  if (Points.empty()) return 0;
  return std::min_element(Points.begin(), Points.end(),
                          [](const ChartPoint& a, const ChartPoint& b) { return a.Y < b.Y; })
      ->Y;
}

RecordingSeries& RecordingCharts::At(GnssSystem window, int number) {
  if (number < 1 || number > kSeriesPerWindow) throw std::out_of_range("series number");
  return series_[window == GnssSystem::Gps ? 0 : 1][static_cast<std::size_t>(number - 1)];
}

const RecordingSeries& RecordingCharts::At(GnssSystem window, int number) const {
  return const_cast<RecordingCharts*>(this)->At(window, number);
}

void RecordingAxis::Note(const std::string& call) {
  calls_.push_back(name_ + "." + call);
}

void RecordingAxis::SetMinMax(double minimum, double maximum) {
  Min = minimum;
  Max = maximum;
  Note("SetMinMax(" + Number(minimum) + ", " + Number(maximum) + ")");
}

void RecordingAxis::SetAutomatic(bool automatic) {
  Automatic = automatic;
  Note("SetAutomatic(" + Flag(automatic) + ")");
}

void RecordingAxis::SetVisible(bool visible) {
  Visible = visible;
  Note("SetVisible(" + Flag(visible) + ")");
}

void RecordingAxis::SetDesiredIncrement(double increment) {
  DesiredIncrement = increment;
  Note("SetDesiredIncrement(" + Number(increment) + ")");
}

void RecordingChart::ClearTitle() {
  TitleLines.clear();
  Calls.push_back("ClearTitle");
}

void RecordingChart::AppendTitleLine(std::string_view line) {
  TitleLines.emplace_back(line);
  Calls.push_back("AppendTitleLine(" + std::string(line) + ")");
}

void RecordingChart::Repaint() {
  ++Repaints;
  Calls.push_back("Repaint");
}

}  // namespace pelorin
