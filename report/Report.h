#pragma once
// pelorin-report: runs the open button's analysis on logs without a screen and
// prints what the window would show, as a summary or as JSON.

#include <array>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "cmr/Analysis.h"
#include "platform/RecordingToolkit.h"

namespace pelorin::report {

enum ExitStatus {
  kAllCompleted = 0,
  kStoppedAtFatal = 1,  // an analysis stopped at a fatal message, or ran out of memory
  kUsageError = 2,
  kOutputNotWritten = 3,  // the --cmr-out stream, or the report itself
};

// What the human summary of one analysis tells: the window's "Copy summary"
// gives the same text as the report command.
struct SummaryInput {
  std::string File;
  AnalysisOutcome Outcome = AnalysisOutcome::NoFile;
  std::vector<ShownMessage> Messages;        // in the order shown
  std::map<std::string, std::string> Texts;  // the boxes' texts, Edit14 to Edit16 at least
  const SharedState* State = nullptr;
  std::array<std::array<std::size_t, kSeriesPerWindow>, 2> PointCounts{};  // GPS, GLONASS
};
void WriteSummary(std::ostream& out, const SummaryInput& summary);
std::string SummaryText(const SummaryInput& summary);

// argv as main() gets it; the program's own directory comes from argv[0].
int RunReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// JSON texts from the log's bytes: read as UTF-8 where they are, as Latin-1
// where not, with quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view text);
// Doubles so that they read back to the same value.
std::string JsonNumber(double value);

}  // namespace pelorin::report
