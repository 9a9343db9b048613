#pragma once
// Date-times are days counted from 1899-12-30 00:00 as a double; the fraction
// is the time of day. This is the scale of every chart X value and epoch time.

#include <cstdint>
#include <optional>

namespace pelorin {

inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr std::uint32_t kMsPerDay = 86'400'000;
inline constexpr double kOneMsDays = 1.0 / 86'400'000.0;
inline constexpr double kOneSecondDays = 1.0 / 86'400.0;

bool IsLeapYear(int year);
// The whole second a date-time falls in, counted from the origin: the key
// by which times of one second are matched.
std::int64_t WholeSecond(double dateTime);
// True when year-month-day names a day of the calendar (years 1 to 9999).
bool IsRealDate(int year, int month, int day);
// The date-time of year-month-day 00:00, or nothing when the day does not exist.
std::optional<double> EncodeDate(int year, int month, int day);
// Start of GPS time, 1980-01-06 00:00:00.
double GpsTimeOrigin();
// GPS time origin plus (week AND 0x7FF) weeks plus the milliseconds of the week.
double GpsWeekTimeToDateTime(std::uint16_t weekField, std::int32_t msOfWeek);

// A receiver's year, month and day as read, not yet checked against the calendar.
struct CalendarDate {
  int Year = 0, Month = 0, Day = 0;
  bool operator==(const CalendarDate&) const = default;
};
// The day after a calendar day; nothing when `date` is no day of the calendar.
std::optional<CalendarDate> NextDay(CalendarDate date);

// GPS time minus UTC in whole seconds at a date-time read as GPS time, from
// the published leap seconds (0 before GPS time began).
int GpsUtcLeapSeconds(double gpsDateTime);
// GLONASS system time (UTC + 3 h) minus GPS time at that instant, in days.
double GpsToGlonassOffsetDays(double gpsDateTime);

// The same for many times in a row: the leap seconds change a few times a
// decade, so the offset found last serves until its span ends.
class GlonassOffsets {
public:
  double At(double gpsDateTime);

private:
  double offsetDays_ = 0;
  double from_ = 1;  // an empty span: the first call looks it up
  double until_ = 0;
};
// A GLONASS system time as GPS time; the leap seconds are those in force at
// the GPS time itself.
double GlonassToGpsTime(double glonassDateTime);

struct CalendarTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
// Splits a date-time into calendar parts, rounded to the nearest millisecond.
CalendarTime DecodeDateTime(double dateTime);

}  // namespace pelorin
