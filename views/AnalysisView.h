#pragma once
// The main window's part of an analysis, written against the toolkit and
// chart interfaces: the selected-file line and the open dialog before it,
// the messages while it runs, and, once it is done, what it found in the
// boxes and the satellite windows' series. Nothing of an analysis reaches
// them before it is committed: a cancelled one leaves the window as it was.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cmr/Analysis.h"
#include "cmr/AnalysisResult.h"
#include "cmr/LinkReport.h"
#include "platform/ChartSeries.h"
#include "platform/Toolkit.h"

namespace pelorin {

// Everything the main window's unit owns for the whole run.
struct SharedState {
  DecodedStore Store;
  AnalysisCarry Carry;
  // The last analysis committed, its points handed to the satellite windows.
  std::shared_ptr<const AnalysisResult> LastResult;
  std::int32_t GpsLegendClickCount = 0;
  std::int32_t GlnLegendClickCount = 0;

  // The link report and the unwrapped CMR stream of the last analysis that
  // got as far as its passes, for the views and exports that ask for them.
  std::shared_ptr<const LinkReport> LastLink() const {
    return LastResult ? LastResult->Link : nullptr;
  }
  std::shared_ptr<const RoverEpochs> LastRover() const {
    return LastResult ? LastResult->Rover : nullptr;
  }
  std::shared_ptr<const SolutionReport> LastSolution() const {
    return LastResult ? LastResult->Solution : nullptr;
  }
  std::shared_ptr<const StreamBytes> LastCmrStream() const {
    return LastResult ? LastResult->CmrStream : nullptr;
  }
};

// The start values that the main window's creation gives the shared state.
void InitialiseSharedState(SharedState& state, const std::string& programFilePath);

// The log a build writes beside the programs.
inline constexpr const char* kDemoLogName = "demo.ZEL";
// Where the open dialog starts: the program's directory (with its trailing
// separator) where the demo log lies in it, as in a build; else the user's
// home, as an installed program's directory holds no logs. The program's
// directory also when no home is known.
std::string OpenDialogStartDirectory(const std::string& programDirectory,
                                     const std::string& homeDirectory);

// What an open changes before its analysis runs, as it was before.
struct BeforeOpen {
  std::string SelectedLogPath;
  std::string SelectedFileText;
  bool SelectedFileShown = false;
};

// The open button up to the analysis: the selected-file line, the dialog and
// the chosen file on the line. The analysis to run, or nothing when no file
// was chosen, now or before (cancelling after an earlier analysis analyses
// the earlier file again). `before` keeps the window as it was.
std::optional<AnalysisRequest> BeginOpen(SharedState& state, Toolkit& toolkit,
                                         const AnalysisOptions& options, BeforeOpen& before);
// The window as it was before the open, after the user stopped the analysis.
void RestoreBeforeOpen(const BeforeOpen& before, SharedState& state, Toolkit& toolkit);

// A message the analysis raised, shown as the system shows it.
void ShowAnalysisMessage(const ShownMessage& message, Toolkit& toolkit);

// What the progress bar shows of a running analysis: the whole analysis in
// thousandths, reading the log taking most of it, and the part at hand.
struct AnalysisProgressShown {
  int PerMille = 0;
  std::string Text;
};
AnalysisProgressShown ShownProgress(AnalysisStage stage, std::uint64_t done, std::uint64_t total);

// What the analysis found, into the store, the boxes and the series; its
// points are handed over, not copied.
void CommitAnalysis(AnalysisResult result, SharedState& state, Toolkit& toolkit,
                    SatelliteCharts& charts);

}  // namespace pelorin
