#pragma once
// The main window's open sequence run on the calling thread, against a
// toolkit and charts of the test's choosing: what the window does with the
// analysis on a worker thread, without the thread.

#include <optional>

#include "cmr/Analysis.h"
#include "platform/ChartSeries.h"
#include "platform/Toolkit.h"
#include "views/AnalysisView.h"

namespace pelorin {

// Shows each message as the analysis raises it, and stops the analysis when
// `StopAt` says so (how many checkpoints it may pass).
class ToolkitObserver : public AnalysisObserver {
public:
  explicit ToolkitObserver(Toolkit& toolkit) : toolkit_(toolkit) {}
  std::optional<int> StopAfterCheckpoints;
  int Checkpoints = 0;

  void Show(const ShownMessage& message) override { ShowAnalysisMessage(message, toolkit_); }
  void Advance(AnalysisStage, std::uint64_t, std::uint64_t) override { ++Checkpoints; }
  bool StopRequested() const override {
    return StopAfterCheckpoints && Checkpoints > *StopAfterCheckpoints;
  }

private:
  Toolkit& toolkit_;
};

// The open button's whole sequence on the calling thread, as the window runs
// it with the analysis on a worker: the dialog, the analysis with its
// messages shown as they come, the result committed, or the window restored
// when it was stopped.
// `copy`, when given, gets the result as it came, its points included.
inline AnalysisOutcome OpenAndAnalyse(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                                      const AnalysisOptions& options, ToolkitObserver& observer,
                                      AnalysisResult* copy = nullptr) {
  BeforeOpen before;
  const auto request = BeginOpen(state, toolkit, options, before);
  if (!request) {
    if (copy) *copy = {};
    return AnalysisOutcome::NoFile;
  }
  toolkit.SetBusyCursor(true);
  AnalysisResult result = Analyse(*request, observer);
  toolkit.SetBusyCursor(false);
  const AnalysisOutcome outcome = result.Outcome;
  if (copy) *copy = result;
  if (outcome == AnalysisOutcome::Cancelled) RestoreBeforeOpen(before, state, toolkit);
  CommitAnalysis(std::move(result), state, toolkit, charts);
  return outcome;
}

inline AnalysisOutcome OpenAndAnalyse(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                                      const AnalysisOptions& options = {}) {
  ToolkitObserver observer(toolkit);
  return OpenAndAnalyse(state, toolkit, charts, options, observer);
}

}  // namespace pelorin
