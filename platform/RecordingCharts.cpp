#include "platform/RecordingCharts.h"

#include <algorithm>
#include <stdexcept>

namespace pelorin {

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

RecordingSeries& RecordingCharts::At(SatelliteWindow window, int number) {
  if (number < 1 || number > kSeriesPerWindow) throw std::out_of_range("series number");
  return series_[window == SatelliteWindow::Gps ? 0 : 1][static_cast<std::size_t>(number - 1)];
}

const RecordingSeries& RecordingCharts::At(SatelliteWindow window, int number) const {
  return const_cast<RecordingCharts*>(this)->At(window, number);
}

}  // namespace pelorin
