#include "log/DateTime.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace pelorin {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

const long long kDateTimeOriginDays = DaysFromCivil(1899, 12, 30);

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

struct LeapSecondStep {
  double FromGpsTime;  // date-time
  int Seconds;
};

// The published steps of GPS time over UTC: from each UTC midnight listed,
// which GPS time reads as midnight plus the new count of seconds, GPS time
// ran one more second ahead.
std::vector<LeapSecondStep> MakeLeapSecondSteps() {
  static constexpr struct {
    int Year, Month, Day, Seconds;
  } kSteps[] = {
      {1981, 7, 1, 1},  {1982, 7, 1, 2},  {1983, 7, 1, 3},  {1985, 7, 1, 4},  {1988, 1, 1, 5},
      {1990, 1, 1, 6},  {1991, 1, 1, 7},  {1992, 7, 1, 8},  {1993, 7, 1, 9},  {1994, 7, 1, 10},
      {1996, 1, 1, 11}, {1997, 7, 1, 12}, {1999, 1, 1, 13}, {2006, 1, 1, 14}, {2009, 1, 1, 15},
      {2012, 7, 1, 16}, {2015, 7, 1, 17}, {2017, 1, 1, 18},
  };
  std::vector<LeapSecondStep> steps;
  for (const auto& step : kSteps) {
    steps.push_back({*EncodeDate(step.Year, step.Month, step.Day) + step.Seconds * kOneSecondDays,
                     step.Seconds});
  }
  return steps;
}

}  // namespace

std::int64_t WholeSecond(double dateTime) {
  return std::llround(dateTime * kSecondsPerDay);
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsRealDate(int year, int month, int day) {
  static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const int last = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  return day <= last;
}

std::optional<double> EncodeDate(int year, int month, int day) {
  if (!IsRealDate(year, month, day)) return std::nullopt;
  return static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
      kDateTimeOriginDays);
}

double GpsTimeOrigin() {
  return *EncodeDate(1980, 1, 6);
}

double GpsWeekTimeToDateTime(std::uint16_t weekField, std::int32_t msOfWeek) {
  const int week = weekField & 0x7FF;
  return GpsTimeOrigin() + week * 7.0 + msOfWeek * kOneMsDays;
}

std::optional<CalendarDate> NextDay(CalendarDate date) {
  const auto day = EncodeDate(date.Year, date.Month, date.Day);
  if (!day) return std::nullopt;
  const CalendarTime next = DecodeDateTime(*day + 1);
  if (!IsRealDate(next.Year, next.Month, next.Day)) return std::nullopt;
  return CalendarDate{next.Year, next.Month, next.Day};
}

int GpsUtcLeapSeconds(double gpsDateTime) {
  static const std::vector<LeapSecondStep> kSteps = MakeLeapSecondSteps();
  const auto after = std::upper_bound(
      kSteps.begin(), kSteps.end(), gpsDateTime,
      [](double time, const LeapSecondStep& step) { return time < step.FromGpsTime; });
  return after == kSteps.begin() ? 0 : std::prev(after)->Seconds;
}

double GpsToGlonassOffsetDays(double gpsDateTime) {
  constexpr double kMoscowOffsetSeconds = 3 * 3600.0;
  return (kMoscowOffsetSeconds - GpsUtcLeapSeconds(gpsDateTime)) / kSecondsPerDay;
}

double GlonassOffsets::At(double gpsDateTime) {
  if (!(gpsDateTime >= from_ && gpsDateTime < until_)) {
    static const std::vector<LeapSecondStep> kSteps = MakeLeapSecondSteps();
    const auto after = std::upper_bound(
        kSteps.begin(), kSteps.end(), gpsDateTime,
        [](double time, const LeapSecondStep& step) { return time < step.FromGpsTime; });
    from_ = after == kSteps.begin() ? -std::numeric_limits<double>::infinity()
                                    : std::prev(after)->FromGpsTime;
    until_ = after == kSteps.end() ? std::numeric_limits<double>::infinity() : after->FromGpsTime;
    offsetDays_ = GpsToGlonassOffsetDays(gpsDateTime);
  }
  return offsetDays_;
}

double GlonassToGpsTime(double glonassDateTime) {
  const double near = glonassDateTime - GpsToGlonassOffsetDays(glonassDateTime);
  return glonassDateTime - GpsToGlonassOffsetDays(near);
}

CalendarTime DecodeDateTime(double dateTime) {
  CalendarTime t;
  const long long totalMs = std::llround(dateTime * 86'400'000.0);
  long long days = totalMs / 86'400'000;
  long long msOfDay = totalMs % 86'400'000;
  if (msOfDay < 0) {
    msOfDay += 86'400'000;
    --days;
  }
  CivilFromDays(days + kDateTimeOriginDays, t.Year, t.Month, t.Day);
  t.Hour = static_cast<int>(msOfDay / 3'600'000);
  t.Minute = static_cast<int>(msOfDay / 60'000 % 60);
  t.Second = static_cast<int>(msOfDay / 1000 % 60);
  t.Millisecond = static_cast<int>(msOfDay % 1000);
  return t;
}

}  // namespace pelorin
