#include "views/AxisLabels.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace pelorin {
namespace {

constexpr double kDaySecondsF = 86400.0;
constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kDaySeconds = 86400;
// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kDateTimeOriginDays = -25569;
// Far beyond any log, and small enough for 64-bit milliseconds.
constexpr double kLargestLabelledDays = 3.0e6;
constexpr int kMostLabels = 2000;

struct CivilDate {
  std::int64_t Year;
  int Month;
  int Day;
};

// The proleptic Gregorian date of a day counted from 1970-01-01.
CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// The smallest of 1, 2, 5, 10, 20, 50, ... times `unit` at least `wanted`.
double RoundMultiple(double unit, double wanted) {
  if (!(wanted > unit)) return unit;
  const double decade = std::pow(10.0, std::floor(std::log10(wanted / unit)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (unit * decade * factor >= wanted) return unit * decade * factor;
  }
  return unit * decade * 10.0;
}

// Label steps that land on whole date-time units, in seconds.
constexpr std::array<double, 18> kDateTimeStepsSeconds = {
    1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};

double SmallestSpan(double span) {
  return std::isfinite(span) && span > 0 ? span : 0;
}

}  // namespace

std::string DateTimeLabel(double days) {
  if (!(std::fabs(days) <= kLargestLabelledDays)) return {};
  // Milliseconds first, so that a label step a hair below a whole second
  // still reads as that second.
  const auto ms = static_cast<std::int64_t>(std::llround(days * kDaySecondsF * kMsPerSecond));
  const std::int64_t seconds = FloorDiv(ms, kMsPerSecond);
  const std::int64_t day = FloorDiv(seconds, kDaySeconds);
  const std::int64_t secondOfDay = seconds - day * kDaySeconds;
  const CivilDate date = CivilFromDays(day + kDateTimeOriginDays);
  char text[48];
  std::snprintf(text, sizeof text, " %02d/%02d/%02d %02d:%02d:%02d  ",
                static_cast<int>(((date.Year % 100) + 100) % 100), date.Month, date.Day,
                static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                static_cast<int>(secondOfDay % 60));
  return text;
}

double TimeLabelStep(double spanDays, double desiredIncrementDays, int maxLabels, TimeSteps steps) {
  const double wanted = SmallestSpan(spanDays) / std::max(maxLabels, 1);
  if (desiredIncrementDays > 0 && std::isfinite(desiredIncrementDays)) {
    return RoundMultiple(desiredIncrementDays, wanted);
  }
  const double oneSecond = 1.0 / kDaySecondsF;
  if (steps == TimeSteps::DecimalDays) {
    // A power of ten small enough to start from.
    const double start = std::pow(10.0, std::floor(std::log10(oneSecond)));
    return RoundMultiple(start, std::max(wanted, oneSecond));
  }
  for (const double seconds : kDateTimeStepsSeconds) {
    if (seconds / kDaySecondsF >= wanted) return seconds / kDaySecondsF;
  }
  return RoundMultiple(1.0, wanted);
}

double ValueLabelStep(double span, double desiredIncrement, int maxLabels) {
  const double wanted = SmallestSpan(span) / std::max(maxLabels, 1);
  if (desiredIncrement > 0 && std::isfinite(desiredIncrement)) {
    return RoundMultiple(desiredIncrement, wanted);
  }
  if (!(wanted > 0)) return 1;
  return RoundMultiple(std::pow(10.0, std::floor(std::log10(wanted))), wanted);
}

std::vector<double> LabelPositions(double lower, double upper, double step) {
  std::vector<double> positions;
  if (!(step > 0) || !std::isfinite(lower) || !std::isfinite(upper) || lower > upper)
    return positions;
  const double first = std::ceil(lower / step - 1e-6);
  const double last = std::floor(upper / step + 1e-6);
  if (!(last - first < kMostLabels)) return positions;
  for (double k = first; k <= last; ++k) positions.push_back(k * step);
  return positions;
}

}  // namespace pelorin
