#pragma once
// The points of a chart as CSV: one row per point of every series, with the
// time as ISO 8601 on the chart's own clock (GPS time, GLONASS system time)
// and X and Y written as the report's JSON writes them, so that a script can
// match the two exactly.

#include <ostream>
#include <span>
#include <string>

#include "platform/ChartSeries.h"

namespace pelorin {

struct SeriesForCsv {
  std::string Name;
  bool Shown = true;
  // In the order the chart keeps them: ascending X.
  std::span<const ChartPoint> Points;
};

inline constexpr const char* kPointsCsvHeader = "series,time,x,y,shown\n";

// "2009-06-15T10:00:00.000", to the millisecond and without a zone (the
// chart's clock is no civil time); empty for a value no calendar can show.
std::string IsoDateTimeText(double days);

void WritePointsCsv(std::ostream& out, std::span<const SeriesForCsv> series);

}  // namespace pelorin
