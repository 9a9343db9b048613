#include "report/SolutionTables.h"

#include <algorithm>
#include <string>
#include <vector>

#include "report/LinkText.h"

namespace pelorin {
namespace {

// Tenths of a second, without a tenth that is 0: epochs of 1 Hz give whole seconds.
std::string Seconds(double seconds) {
  std::string text = FixedText(seconds, 1);
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
  return FixedText(km.Min, 3) + " / " + FixedText(km.Median, 3) + " / " + FixedText(km.Max, 3);
}

std::string LongestFixed(const SolutionReport& solution, report::Clock clock) {
  if (!solution.LongestFixed) return "none";
  return Seconds(solution.LongestFixed->Seconds) + " s from " +
         report::ClockText(solution.LongestFixed->Start, clock);
}

}  // namespace

TextTable SolutionSummaryTable(const SolutionReport& solution, report::Clock clock) {
  TextTable table{{"Measure", "Value"}, {}};
  auto& rows = table.Rows;
  rows.push_back({"Epochs", Count(solution.Epochs)});
  std::vector<SolutionShare> shares = solution.Shares;
  std::sort(shares.begin(), shares.end(), [](const SolutionShare& a, const SolutionShare& b) {
    return SolutionRank(a.Solution) < SolutionRank(b.Solution);
  });
  for (const SolutionShare& share : shares) {
    rows.push_back({SolutionTypeName(share.Solution),
                    FixedText(share.Percent, 2) + " % (" + Count(share.Epochs) + " epochs)"});
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
