#pragma once
// The clock times are told on: GPS time as the receiver keeps it, UTC (GPS
// time less the leap seconds in force), or the local time of this computer.
// Every time in the analysis is GPS time, or GLONASS system time in the
// GLONASS window; the texts carry both to the clock chosen.

#include <optional>
#include <string>
#include <string_view>

namespace pelorin::report {

enum class Clock { Gps, Utc, Local };

// "gps", "utc", "local"; nothing for another name.
std::optional<Clock> ClockNamed(std::string_view name);
std::string_view ClockName(Clock clock);
// "GPS", "UTC", "local time": how a heading names the clock.
std::string_view ClockTitle(Clock clock);

// A GPS date-time on `clock`, as a date-time.
double OnClock(double gpsTime, Clock clock);
// "2009-06-15 10:00:01": a GPS date-time on `clock`.
std::string ClockText(double gpsTime, Clock clock);
// "10:00:01".
std::string ClockTimeOfDay(double gpsTime, Clock clock);

}  // namespace pelorin::report
