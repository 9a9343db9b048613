#include "report/VerdictText.h"

#include <cmath>
#include <cstdio>

#include "report/Report.h"
#include "report/SolutionText.h"
#include "report/TextTable.h"

namespace pelorin::report {
namespace {

std::string OptionalNumber(const std::optional<double>& value) {
  return value ? JsonNumber(*value) : "null";
}

std::string LimitsText(const LinkLimits& l) {
  return "limits: age " + ShortNumber(l.MaxAgeSeconds) + " s, common " +
         std::to_string(l.MinCommonSatellites) + ", available " +
         ShortNumber(l.MinAvailablePercent) + " %, outage " + ShortNumber(l.MaxOutageSeconds) +
         " s";
}

std::string At(const std::optional<double>& time, Clock clock) {
  return time ? " at " + ClockTimeOfDay(*time, clock) : std::string();
}

std::string ReasonText(const VerdictReason& r, const LinkFigures& f, Clock clock) {
  switch (r.Check) {
    case VerdictCheck::Available:
      return "usable corrections " + ShortNumber(r.Value, 1) + " % of " +
             DurationText(f.SpanSeconds) + " (limit " + ShortNumber(r.Limit) + " %)";
    case VerdictCheck::Outage:
      return "longest outage " + ShortNumber(r.Value) + " s" + At(r.At, clock) + " (limit " +
             ShortNumber(r.Limit) + " s)";
    case VerdictCheck::Common:
      return "common satellites median " + ShortNumber(r.Value, 1) + " (limit " +
             ShortNumber(r.Limit) + ")";
    case VerdictCheck::BaseMoved: {
      char metres[32];
      std::snprintf(metres, sizeof metres, "%.2f", r.Value);
      return "base moved " + std::string(metres) + " m" + At(r.At, clock);
    }
  }
  return {};
}

// What a good link still reads: its availability and its longest outage.
std::string GoodFigures(const LinkFigures& f) {
  std::string text = "usable corrections " + ShortNumber(f.UsablePercent.value_or(0), 1) +
                     " % of " + DurationText(f.SpanSeconds);
  text += f.LongestOutage ? "; longest outage " + std::to_string(f.LongestOutage->Seconds) + " s"
                          : "; no outage";
  return text;
}

std::string Cell(const std::optional<double>& value, int decimals = 3) {
  return value ? ShortNumber(*value, decimals) : std::string();
}

}  // namespace

std::string ShortNumber(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

std::vector<std::string> ReasonTexts(const Verdict& verdict, Clock clock) {
  std::vector<std::string> texts;
  for (const VerdictReason& r : verdict.Reasons)
    texts.push_back(ReasonText(r, verdict.Figures, clock));
  return texts;
}

std::string VerdictLine(const Verdict& verdict, Clock clock) {
  const LinkFigures& f = verdict.Figures;
  std::string line(GradeText(verdict.Grade));
  line += ": ";
  if (verdict.Grade == VerdictGrade::NotEnoughData) {
    line += f.FirstCorrection ? "corrections for " + DurationText(f.CorrectionSeconds) +
                                    " (at least " + DurationText(kShortestJudgedSeconds) + ")"
                              : "no corrections";
  } else if (verdict.Reasons.empty()) {
    line += GoodFigures(f);
  } else {
    const std::vector<std::string> reasons = ReasonTexts(verdict, clock);
    for (std::size_t k = 0; k < reasons.size(); ++k) line += (k ? "; " : "") + reasons[k];
  }
  if (f.FixedPercent) line += "; RTK fixed " + ShortNumber(*f.FixedPercent, 1) + " %";
  return line + "; " + LimitsText(verdict.Limits);
}

TextTable WithVerdictRow(TextTable table, const Verdict& verdict, Clock clock) {
  table.Rows.insert(table.Rows.begin(), {"Verdict", VerdictLine(verdict, clock)});
  return table;
}

void WriteVerdictJson(std::ostream& out, const Verdict* verdict, Clock clock) {
  if (!verdict) {
    out << "null";
    return;
  }
  const LinkFigures& f = verdict->Figures;
  const LinkLimits& l = verdict->Limits;
  out << "{\"grade\": " << JsonString(GradeText(verdict->Grade))
      << ", \"line\": " << JsonString(VerdictLine(*verdict, clock)) << ", \"reasons\": [";
  const std::vector<std::string> reasons = ReasonTexts(*verdict, clock);
  for (std::size_t k = 0; k < reasons.size(); ++k) out << (k ? ", " : "") << JsonString(reasons[k]);
  out << "],\n  \"limits\": {\"maxAge\": " << JsonNumber(l.MaxAgeSeconds)
      << ", \"minCommon\": " << l.MinCommonSatellites
      << ", \"minAvailable\": " << JsonNumber(l.MinAvailablePercent)
      << ", \"maxOutage\": " << JsonNumber(l.MaxOutageSeconds) << "},\n  \"figures\": {"
      << "\"firstCorrection\": " << OptionalNumber(f.FirstCorrection)
      << ", \"lastCorrection\": " << OptionalNumber(f.LastCorrection)
      << ", \"spanSeconds\": " << JsonNumber(f.SpanSeconds)
      << ", \"usablePercent\": " << OptionalNumber(f.UsablePercent) << ", \"gaps\": " << f.Outages
      << ", \"longestOutage\": "
      << (f.LongestOutage ? std::to_string(f.LongestOutage->Seconds) : std::string("null"))
      << ",\n   \"ageMedian\": " << OptionalNumber(f.AgeMedian)
      << ", \"ageP95\": " << OptionalNumber(f.AgeP95)
      << ", \"ageMax\": " << OptionalNumber(f.AgeMax)
      << ", \"commonMedian\": " << OptionalNumber(f.CommonMedian)
      << ", \"badFrames\": " << f.BadFrames << ", \"stations\": " << f.Stations
      << ", \"fixedPercent\": " << OptionalNumber(f.FixedPercent) << "}}";
}

const std::vector<std::string> kTableColumns = {
    "file",          "first_correction", "last_correction", "span_s",        "usable_percent",
    "gaps",          "longest_outage_s", "age_median_s",    "age_p95_s",     "age_max_s",
    "common_median", "bad_frames",       "stations",        "fixed_percent", "verdict",
    "failure"};

std::string TableHeaderLine() {
  return CsvLine(kTableColumns);
}

std::string TableLine(const std::string& file, const Verdict* verdict, const std::string& failure,
                      Clock clock) {
  std::vector<std::string> cells(kTableColumns.size());
  cells.front() = file;
  cells.back() = failure;
  if (verdict) {
    const LinkFigures& f = verdict->Figures;
    const auto time = [clock](const std::optional<double>& t) {
      return t ? ClockText(*t, clock) : std::string();
    };
    cells[1] = time(f.FirstCorrection);
    cells[2] = time(f.LastCorrection);
    cells[3] = ShortNumber(f.SpanSeconds);
    cells[4] = Cell(f.UsablePercent, 2);
    cells[5] = std::to_string(f.Outages);
    cells[6] = f.LongestOutage ? std::to_string(f.LongestOutage->Seconds) : "0";
    cells[7] = Cell(f.AgeMedian);
    cells[8] = Cell(f.AgeP95);
    cells[9] = Cell(f.AgeMax);
    cells[10] = Cell(f.CommonMedian, 1);
    cells[11] = std::to_string(f.BadFrames);
    cells[12] = std::to_string(f.Stations);
    cells[13] = Cell(f.FixedPercent, 2);
    cells[14] = std::string(GradeText(verdict->Grade));
  }
  return CsvLine(cells);
}

}  // namespace pelorin::report
