#include "report/SolutionTables.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "report/LinkText.h"

namespace pelorin {
namespace {

std::string Fixed(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Tenths of a second, without a tenth that is 0: epochs of 1 Hz give whole seconds.
std::string Seconds(double seconds) {
  std::string text = Fixed(seconds, 1);
  if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.resize(text.size() - 2);
  return text;
}

std::string Count(std::int64_t value) {
  return std::to_string(value);
}

std::string TimeToFix(const SolutionReport& solution) {
  if (!solution.TimeToFixMedian || !solution.TimeToFixMax) return "none";
  return Seconds(*solution.TimeToFixMedian) + " / " + Seconds(*solution.TimeToFixMax);
}

std::string Baseline(const SolutionReport& solution) {
  if (!solution.BaselineKm) return "none";
  const SpreadOf& km = *solution.BaselineKm;
  return Fixed(km.Min, 3) + " / " + Fixed(km.Median, 3) + " / " + Fixed(km.Max, 3);
}

std::string LongestFixed(const SolutionReport& solution, report::Clock clock) {
  if (!solution.LongestFixed) return "none";
  return Seconds(solution.LongestFixed->Seconds) + " s from " +
         report::ClockText(solution.LongestFixed->Start, clock);
}

// The best solution first; types of other numbers last, by number.
int Rank(std::uint8_t solution) {
  switch (solution) {
    case kRtkFixed:
      return 0;
    case kRtkFloat:
      return 1;
    case kCodeDifferential:
      return 2;
    case kStandalone:
      return 3;
    case kNoSolution:
      return 4;
    default:
      return 5 + solution;
  }
}

}  // namespace

TextTable SolutionSummaryTable(const SolutionReport& solution, report::Clock clock) {
  TextTable table{{"Measure", "Value"}, {}};
  auto& rows = table.Rows;
  rows.push_back({"Epochs", Count(solution.Epochs)});
  std::vector<SolutionShare> shares = solution.Shares;
  std::sort(shares.begin(), shares.end(), [](const SolutionShare& a, const SolutionShare& b) {
    return Rank(a.Solution) < Rank(b.Solution);
  });
  for (const SolutionShare& share : shares) {
    rows.push_back({SolutionTypeName(share.Solution),
                    Fixed(share.Percent, 2) + " % (" + Count(share.Epochs) + " epochs)"});
  }
  rows.push_back({"Epochs without a position", Count(solution.EpochsWithoutPosition)});
  rows.push_back({"Fix lost", Count(static_cast<std::int64_t>(solution.Losses.size()))});
  rows.push_back({"Longest fixed run", LongestFixed(solution, clock)});
  rows.push_back({"Time to fix median / max (s)", TimeToFix(solution)});
  rows.push_back({"Baseline min / median / max (km)", Baseline(solution)});
  rows.push_back({"Skipped position records", Count(solution.SkippedRecords)});
  return table;
}

TextTable NoSolutionSummaryTable() {
  return {{"Measure", "Value"}, {{"Rover solution", "none in this log"}}};
}

TextTable FixLossesTable(const SolutionReport& solution, report::Clock clock) {
  TextTable table{{"Start", "Seconds", "Fell to", "Cause"}, {}};
  for (const FixLoss& loss : solution.Losses) {
    table.Rows.push_back({report::ClockText(loss.Start, clock),
                          loss.Seconds ? Seconds(*loss.Seconds) : std::string("not regained"),
                          SolutionTypeName(loss.FellTo), std::string(LossCauseText(loss.Cause))});
  }
  return table;
}

}  // namespace pelorin
