#include "report/PointsCsv.h"

#include <cmath>
#include <cstdio>

#include "log/DateTime.h"
#include "report/Report.h"
#include "report/TextTable.h"

namespace pelorin {
namespace {

// Far beyond any log, and well inside what milliseconds in 64 bits count.
constexpr double kLargestDatedDays = 3.0e6;

}  // namespace

std::string IsoDateTimeText(double days) {
  if (!(std::fabs(days) <= kLargestDatedDays)) return {};
  const CalendarTime t = DecodeDateTime(days);
  if (t.Year < 0 || t.Year > 9999) return {};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.Year, t.Month, t.Day,
                t.Hour, t.Minute, t.Second, t.Millisecond);
  return text;
}

void WritePointsCsv(std::ostream& out, std::span<const SeriesForCsv> series) {
  out << kPointsCsvHeader;
  std::string line;
  for (const SeriesForCsv& one : series) {
    const std::string name = CsvField(one.Name);
    const char* shown = one.Shown ? "true" : "false";
    for (const ChartPoint& point : one.Points) {
      line = name;
      line += ',';
      line += IsoDateTimeText(point.X);
      line += ',';
      line += report::JsonNumber(point.X);
      line += ',';
      line += report::JsonNumber(point.Y);
      line += ',';
      line += shown;
      line += '\n';
      out << line;
    }
  }
}

}  // namespace pelorin
