#pragma once
// A satellite window's satellites second by second, as CSV: one row for each
// second and satellite that the corrections or the rover's tracking name,
// saying whether the corrections held it, with L2 or without, and whether
// the rover tracked it.

#include <optional>
#include <ostream>
#include <span>

#include "platform/ChartSeries.h"
#include "report/Clock.h"

namespace pelorin {

// The lower chart's series of a window, each sorted by X as the chart keeps
// them. X is the window's own time (GPS time, or GLONASS system time in the
// GLONASS window) and Y the satellite number.
struct SatelliteSeriesPoints {
  // Series2: a message's satellites a millisecond apart from its time on.
  std::span<const ChartPoint> InCorrections;
  // Series4: those of them without L2, a little above their number.
  std::span<const ChartPoint> WithoutL2;
  // Series5: the rover's epochs.
  std::span<const ChartPoint> Tracked;
};

// Bounds included, on the window's own time axis.
struct WindowTimeRange {
  double From = 0;
  double To = 0;
};

inline constexpr const char* kSatelliteSecondsCsvHeader =
    "time,system,satellite,in corrections,with L2,tracked\n";

// Rows by time, then by satellite number; times to the nearest second, told
// on `clock`. With a range, only the seconds inside it.
void WriteSatelliteSecondsCsv(std::ostream& out, GnssSystem system,
                              const SatelliteSeriesPoints& points,
                              std::optional<WindowTimeRange> range, report::Clock clock);

}  // namespace pelorin
