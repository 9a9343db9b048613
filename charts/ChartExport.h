#pragma once
// A chart as it leaves the window: a picture of it as shown (PNG, or PDF for
// a path ending in ".pdf"), and its points as CSV.

#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "report/PointsCsv.h"

namespace pelorin {

class SatelliteChart;

// The chart as shown, at its size on the screen.
QImage ChartImage(SatelliteChart& chart);

// Every series of the chart in its drawing order, named by its object name.
std::vector<SeriesForCsv> CsvSeriesOf(const SatelliteChart& chart);

// Empty on success, or why the file was not written. `protectedLog` as for
// SaveAtomically.
QString SaveChartImage(SatelliteChart& chart, const QString& path, const std::string* protectedLog);
QString SaveChartPoints(const SatelliteChart& chart, const QString& path,
                        const std::string* protectedLog);

}  // namespace pelorin
