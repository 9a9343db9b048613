#pragma once
// The open-and-analyse sequence of the main window's open button. The window
// and the headless report both run exactly this; they differ only in the
// toolkit and the charts they hand in.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "cmr/ArrivalTimes.h"
#include "cmr/CmrStream.h"
#include "cmr/DecodedStore.h"
#include "log/Bytes.h"
#include "platform/ChartSeries.h"
#include "platform/Toolkit.h"

namespace pelorin {

inline constexpr std::string_view kContentsFileName = "contents.cmr";

enum class AnalysisOutcome {
  NoFile,          // no file chosen, now or before: nothing happened
  StoppedAtFatal,  // a fatal message ended the analysis
  ScanStopped,     // the CMR passes ran, then the epoch scan stopped at a message
  Completed,       // ran to its end
};

struct AnalysisOptions {
  // Where "contents.cmr" goes; by default into the program's directory.
  std::optional<std::string> ContentsPath;
};

// Sets the start values that the main window's creation gives the shared state.
void InitialiseSharedState(SharedState& state, const std::string& programFilePath);

// The directory part of a path, with its trailing separator ("" when none).
std::string DirectoryOf(const std::string& path);
// The file name without its directory.
std::string FileNameOf(const std::string& path);

// Clears the chart series and runs the passes over the CMR stream that choose
// the reference station, build the time line and fill the decoded store.
// `arrivals` dates the stream's pieces by their arrival at the rover.
void RunDecodingPasses(SharedState& state, SatelliteCharts& charts, const CmrStream& stream,
                       const ArrivalTimes& arrivals = {});

AnalysisOutcome OpenAndAnalyse(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                               const AnalysisOptions& options = {});

}  // namespace pelorin
