#pragma once
// What the report command prints of an analysis: a human summary, or a JSON
// object per log; the window's "Copy summary" gives the same summary.

#include <array>
#include <ostream>
#include <string>
#include <string_view>

#include "cmr/AnalysisResult.h"
#include "report/Clock.h"
#include "report/WindowTexts.h"

namespace pelorin::report {

// What the human summary of one analysis tells.
struct SummaryInput {
  std::string File;
  const AnalysisResult* Result = nullptr;  // outcome, messages, store, scan, link
  BoxTexts Texts;                          // the boxes as shown, Edit14 to Edit16 at least
  std::array<std::array<std::size_t, kSeriesPerWindow>, kSystemCount> PointCounts{};
  Clock TimesOn = Clock::Gps;  // the clock of the times told
};
void WriteSummary(std::ostream& out, const SummaryInput& summary);
std::string SummaryText(const SummaryInput& summary);

// What the JSON object of one analysis tells: the summary's and the store as
// the analysis left it, and the points unless only their number is asked for.
struct JsonInput {
  std::string File;
  const AnalysisResult* Result = nullptr;
  const DecodedStore* Store = nullptr;
  BoxTexts Texts;
  bool WithPoints = true;
  Clock TimesOn = Clock::Gps;  // the clock of the verdict's texts
};
void WriteJson(std::ostream& out, const JsonInput& input);

// The window's boxes the report shows, in the order it shows them.
extern const std::array<const char*, 11> kReportedBoxes;

// JSON texts from the log's bytes: read as UTF-8 where they are, as Latin-1
// where not, with quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view text);
// A message on one line: line breaks and tabs as spaces.
std::string OnOneLine(std::string text);
// Doubles so that they read back to the same value.
std::string JsonNumber(double value);

}  // namespace pelorin::report
