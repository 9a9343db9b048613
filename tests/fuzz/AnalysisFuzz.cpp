// libFuzzer target over the whole analysis of one log held in memory, as the
// report runs it: the head check, the start-time probe, the epoch scan, both
// unwrapping passes, every decoding pass and the shown results, then the
// three panel views. The same log read in blocks of a size the input chooses
// must show exactly the same. Filler laid into the input reaches the head
// check's and the epoch scan's limits.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cmr/Analysis.h"
#include "platform/RecordingCharts.h"
#include "platform/RecordingToolkit.h"
#include "station/ReferencePanel.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace pelorin;
using fuzz::Require;

struct Shown {
  AnalysisOutcome Outcome = AnalysisOutcome::NoFile;
  SharedState State;
  RecordingToolkit Toolkit;
  RecordingCharts Charts;
};

// From the start-up state of the report, with no stream written.
void Analyse(Shown& shown, ByteSpan log, std::optional<std::uint64_t> blockBytes) {
  InitialiseSharedState(shown.State, "/nonexistent/pelorin-report");
  AnalysisOptions options;
  options.WriteContents = false;
  if (!blockBytes) {
    shown.Outcome = AnalyseLogBytes(shown.State, shown.Toolkit, shown.Charts, options, log);
    return;
  }
  const LogSource inBlocks = [log, blockBytes](std::span<LogWindowReader* const> readers) {
    SweepLogBytes(log, readers, *blockBytes);
    SweepResult read;
    read.SizeWhenOpened = read.BytesRead = read.SizeAfterRead = log.size();
    return read;
  };
  shown.Outcome =
      AnalyseSelectedLog(shown.State, shown.Toolkit, shown.Charts, options, inBlocks, log.size());
}

bool SameControls(const RecordingToolkit& a, const RecordingToolkit& b) {
  if (a.Controls.size() != b.Controls.size()) return false;
  for (const auto& [name, control] : a.Controls) {
    const auto other = b.Controls.find(name);
    if (other == b.Controls.end()) return false;
    const ControlState& c = other->second;
    if (control.Text != c.Text || control.Hint != c.Hint || control.Visible != c.Visible ||
        control.ShowHint != c.ShowHint) {
      return false;
    }
  }
  return true;
}

bool SameCharts(const RecordingCharts& a, const RecordingCharts& b) {
  for (const GnssSystem window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    for (int n = 1; n <= kSeriesPerWindow; ++n) {
      if (a.At(window, n).Points != b.At(window, n).Points) return false;
      if (a.At(window, n).IsActive != b.At(window, n).IsActive) return false;
    }
  }
  return true;
}

void ShowPanelViews(const Shown& shown) {
  std::map<std::string, std::string> identifierBoxes;
  for (const char* box : {"Edit12", "Edit13", "Edit14", "Edit15", "Edit16"}) {
    identifierBoxes[box] = shown.Toolkit.TextOf(box);
  }
  for (const char* click : {"Edit3Click", "Edit4Click", "Edit8Click"}) {
    PanelViewAfterClick(shown.State.Store, identifierBoxes, click);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> log = fuzz::StretchedLog(ByteSpan(data, size));
  Shown oneWindow;
  Analyse(oneWindow, log, std::nullopt);
  Require(oneWindow.Outcome != AnalysisOutcome::NoFile &&
              oneWindow.Outcome != AnalysisOutcome::OutOfMemory,
          "a log in memory is analysed");
  ShowPanelViews(oneWindow);

  Shown inBlocks;
  Analyse(inBlocks, log, fuzz::BlockBytesFor(log));
  Require(inBlocks.Outcome == oneWindow.Outcome, "the same outcome in blocks");
  Require(inBlocks.Toolkit.Messages == oneWindow.Toolkit.Messages, "the same messages in blocks");
  Require(SameControls(inBlocks.Toolkit, oneWindow.Toolkit), "the same controls in blocks");
  Require(SameCharts(inBlocks.Charts, oneWindow.Charts), "the same charts in blocks");
  return 0;
}
