#include "report/Clock.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "log/DateTime.h"

namespace pelorin::report {
namespace {

// 1970-01-01 as a date-time.
constexpr double kUnixEpochDays = 25'569.0;

// The local time's offset from UTC at a UTC date-time, in days, from this
// computer's time zone (its rules of the day included).
double LocalOffsetDays(double utcTime) {
  const double since1970 = std::floor((utcTime - kUnixEpochDays) * kSecondsPerDay);
  // Beyond the years any log dates, the zone's rules say nothing.
  constexpr double kFarthestSeconds = 1e12;
  if (!(std::fabs(since1970) < kFarthestSeconds)) return 0;
  const auto seconds = static_cast<std::time_t>(since1970);
  std::tm local{};
  if (!localtime_r(&seconds, &local)) return 0;
  return static_cast<double>(local.tm_gmtoff) / kSecondsPerDay;
}

}  // namespace

std::optional<Clock> ClockNamed(std::string_view name) {
  if (name == "gps") return Clock::Gps;
  if (name == "utc") return Clock::Utc;
  if (name == "local") return Clock::Local;
  return std::nullopt;
}

std::string_view ClockName(Clock clock) {
  switch (clock) {
    case Clock::Gps:
      return "gps";
    case Clock::Utc:
      return "utc";
    case Clock::Local:
      return "local";
  }
  return "gps";
}

std::string_view ClockTitle(Clock clock) {
  switch (clock) {
    case Clock::Gps:
      return "GPS";
    case Clock::Utc:
      return "UTC";
    case Clock::Local:
      return "local time";
  }
  return "GPS";
}

double OnClock(double gpsTime, Clock clock) {
  if (clock == Clock::Gps) return gpsTime;
  const double utc = gpsTime - GpsUtcLeapSeconds(gpsTime) / kSecondsPerDay;
  return clock == Clock::Utc ? utc : utc + LocalOffsetDays(utc);
}

std::string ClockText(double gpsTime, Clock clock) {
  const CalendarTime t = DecodeDateTime(OnClock(gpsTime, clock));
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute, t.Second);
  return text;
}

std::string ClockTimeOfDay(double gpsTime, Clock clock) {
  const CalendarTime t = DecodeDateTime(OnClock(gpsTime, clock));
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
  return text;
}

}  // namespace pelorin::report
