#include "report/SolutionText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "log/DateTime.h"
#include "report/Report.h"
#include "report/TextTable.h"

namespace pelorin::report {
namespace {

// The losses the summary line names one by one; the rest are counted.
constexpr std::size_t kLossesNamed = 5;

std::string Optional(const std::optional<double>& value) {
  return value ? JsonNumber(*value) : "null";
}

std::string FiniteOrNull(float value) {
  return std::isfinite(value) ? JsonNumber(value) : "null";
}

// A share to one decimal, or to as many more as keep a share above 0 from
// reading 0.0 % and one below 100 % from reading 100.0 %.
std::string PercentText(double percent) {
  std::string text = FixedText(percent, 1);
  const auto misleading = [percent](const std::string& t) {
    const double shown = std::strtod(t.c_str(), nullptr);
    return (percent < 100 && shown >= 100) || (percent > 0 && shown <= 0);
  };
  for (int decimals = 2; decimals <= 4 && misleading(text); ++decimals) {
    text = FixedText(percent, decimals);
  }
  return text;
}

std::string LossText(const FixLoss& loss, Clock clock) {
  std::string text = ClockTimeOfDay(loss.Start, clock);
  text += loss.Seconds ? " for " + DurationText(*loss.Seconds) : " not regained";
  text += " (to " + SolutionTypeName(loss.FellTo) + "), ";
  text += LossCauseText(loss.Cause);
  return text;
}

}  // namespace

std::string DurationText(double seconds) {
  const auto whole = static_cast<long long>(std::llround(std::max(0.0, seconds)));
  char text[48];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld h %02lld min", whole / 3600, whole % 3600 / 60);
  } else if (whole >= 60) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", whole / 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld s", whole);
  }
  return text;
}

void WriteSolutionJson(std::ostream& out, const SolutionReport* solution, const RoverEpochs* rover,
                       bool withPoints) {
  if (!solution) {
    out << "null";
    return;
  }
  const SolutionReport& s = *solution;
  out << "{\"epochs\": {";
  for (std::size_t k = 0; k < s.Shares.size(); ++k) {
    out << (k ? ", " : "") << JsonString(SolutionTypeKey(s.Shares[k].Solution)) << ": "
        << s.Shares[k].Epochs;
  }
  out << "}, \"epochsWithoutPosition\": " << s.EpochsWithoutPosition
      << ", \"fixedPercent\": " << JsonNumber(s.FixedPercent)
      << ", \"spanSeconds\": " << JsonNumber(s.SpanSeconds) << ",\n  \"longestFixed\": ";
  if (s.LongestFixed) {
    out << "{\"start\": " << JsonNumber(s.LongestFixed->Start)
        << ", \"seconds\": " << JsonNumber(s.LongestFixed->Seconds) << "}";
  } else {
    out << "null";
  }
  out << ",\n  \"losses\": [";
  for (std::size_t k = 0; k < s.Losses.size(); ++k) {
    const FixLoss& loss = s.Losses[k];
    out << (k ? ", " : "") << "[" << JsonNumber(loss.Start) << ", " << Optional(loss.Seconds)
        << ", " << int{loss.FellTo} << ", " << JsonString(LossCauseText(loss.Cause)) << "]";
  }
  out << "],\n  \"timeToFix\": {\"median\": " << Optional(s.TimeToFixMedian)
      << ", \"max\": " << Optional(s.TimeToFixMax) << ", \"count\": " << s.TimesToFix.size()
      << "},\n  \"baselineKm\": ";
  if (s.BaselineKm) {
    out << "{\"min\": " << JsonNumber(s.BaselineKm->Min)
        << ", \"median\": " << JsonNumber(s.BaselineKm->Median)
        << ", \"max\": " << JsonNumber(s.BaselineKm->Max) << "}";
  } else {
    out << "null";
  }
  out << ", \"skippedRecords\": " << s.SkippedRecords;
  if (withPoints && rover) {
    out << ",\n  \"points\": [";
    bool first = true;
    for (const RoverEpoch& e : rover->Epochs) {
      out << (first ? "" : ", ") << "[" << JsonNumber(e.Time) << ", " << int{e.Solution} << ", "
          << FiniteOrNull(e.Sigma) << ", " << FiniteOrNull(e.BaselineKm) << "]";
      first = false;
    }
    out << "]";
  }
  out << "}";
}

void WriteSolutionSummary(std::ostream& out, const SolutionReport& s, Clock clock) {
  out << "  rover solution: ";
  if (s.Epochs == 0) {
    out << "no dated epochs\n";
    return;
  }
  out << "RTK fixed " << PercentText(s.FixedPercent) << " % of " << DurationText(s.SpanSeconds)
      << "; ";
  if (s.Losses.empty()) {
    out << "fix never lost";
  } else {
    out << "fix lost " << s.Losses.size() << (s.Losses.size() == 1 ? " time: " : " times: ");
    for (std::size_t k = 0; k < std::min(s.Losses.size(), kLossesNamed); ++k) {
      out << (k ? "; " : "") << LossText(s.Losses[k], clock);
    }
    if (s.Losses.size() > kLossesNamed)
      out << "; and " << s.Losses.size() - kLossesNamed << " more";
  }
  out << "\n    epochs:";
  for (std::size_t k = 0; k < s.Shares.size(); ++k) {
    out << (k ? "," : "") << " " << SolutionTypeName(s.Shares[k].Solution) << " "
        << s.Shares[k].Epochs << " (" << PercentText(s.Shares[k].Percent) << " %)";
  }
  if (s.EpochsWithoutPosition > 0) {
    out << "; " << s.EpochsWithoutPosition << " without a position record";
  }
  out << "\n";
  if (s.LongestFixed) {
    out << "    longest fixed: " << DurationText(s.LongestFixed->Seconds) << " from "
        << ClockTimeOfDay(s.LongestFixed->Start, clock) << "\n";
  }
  if (s.TimeToFixMedian) {
    out << "    time to fix after an outage: median " << DurationText(*s.TimeToFixMedian)
        << ", max " << DurationText(*s.TimeToFixMax) << " (" << s.TimesToFix.size()
        << (s.TimesToFix.size() == 1 ? " outage)\n" : " outages)\n");
  }
  if (s.BaselineKm) {
    out << "    baseline: " << FixedText(s.BaselineKm->Min, 3) << " to "
        << FixedText(s.BaselineKm->Max, 3) << " km, median " << FixedText(s.BaselineKm->Median, 3)
        << " km\n";
  }
  if (s.SkippedRecords > 0) {
    out << "    position records passed over (cut, malformed or of another length): "
        << s.SkippedRecords << "\n";
  }
}

}  // namespace pelorin::report
