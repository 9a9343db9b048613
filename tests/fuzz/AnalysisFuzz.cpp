// libFuzzer target over the whole analysis of one log held in memory, as the
// report runs it: the head check, the start-time probe, the epoch scan, both
// unwrapping passes, every decoding pass, the boxes' texts, then the three
// panel views. The same log read in blocks of a size the input chooses must
// give exactly the same result. Filler laid into the input reaches the head
// check's and the epoch scan's limits.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cmr/Analysis.h"
#include "report/WindowTexts.h"
#include "station/ReferencePanel.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace pelorin;
using fuzz::Require;

// From the start-up state of the report, with no stream written.
AnalysisResult Analyse(ByteSpan log, std::optional<std::uint64_t> blockBytes) {
  AnalysisRequest request;
  request.LogPath = "/nonexistent/rover.zel";
  request.Options.WriteContents = false;
  AnalysisObserver quiet;
  if (!blockBytes) return AnalyseLogBytes(request, log, quiet);
  const LogSource inBlocks = [log, blockBytes](std::span<LogWindowReader* const> readers) {
    SweepLogBytes(log, readers, *blockBytes);
    SweepResult read;
    read.SizeWhenOpened = read.BytesRead = read.SizeAfterRead = log.size();
    return read;
  };
  return AnalyseSource(request, inBlocks, log.size(), quiet);
}

bool SameSeries(const AnalysisResult& a, const AnalysisResult& b) {
  for (std::size_t w = 0; w < kSystemCount; ++w) {
    for (std::size_t n = 0; n < kSeriesPerWindow; ++n) {
      if (a.Series[w][n].Points != b.Series[w][n].Points) return false;
      if (a.Series[w][n].Active != b.Series[w][n].Active) return false;
    }
  }
  return true;
}

void ShowPanelViews(const AnalysisResult& result) {
  for (const PanelSource source : {PanelSource::Type1, PanelSource::Type2, PanelSource::CmrPlus}) {
    PanelViewFor(source, result.Store);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> log = fuzz::StretchedLog(ByteSpan(data, size));
  const AnalysisResult oneWindow = Analyse(log, std::nullopt);
  Require(oneWindow.Outcome != AnalysisOutcome::NoFile &&
              oneWindow.Outcome != AnalysisOutcome::OutOfMemory,
          "a log in memory is analysed");
  ShowPanelViews(oneWindow);

  const AnalysisResult inBlocks = Analyse(log, fuzz::BlockBytesFor(log));
  Require(inBlocks.Outcome == oneWindow.Outcome, "the same outcome in blocks");
  Require(inBlocks.Messages == oneWindow.Messages, "the same messages in blocks");
  Require(TextsShownBy(inBlocks) == TextsShownBy(oneWindow), "the same boxes in blocks");
  Require(inBlocks.Store.Type1Coordinates == oneWindow.Store.Type1Coordinates,
          "the same station in blocks");
  Require(SameSeries(inBlocks, oneWindow), "the same charts in blocks");
  return 0;
}
