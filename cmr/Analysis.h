#pragma once
// The open-and-analyse sequence of the main window's open button. The window
// and the headless report both run exactly this; they differ only in the
// toolkit and the charts they hand in.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "cmr/ArrivalTimes.h"
#include "cmr/CmrStream.h"
#include "cmr/DecodedStore.h"
#include "cmr/StationPasses.h"
#include "cmr/TimeLine.h"
#include "log/Bytes.h"
#include "log/LogSweep.h"
#include "platform/ChartSeries.h"
#include "platform/Toolkit.h"

namespace pelorin {

inline constexpr std::string_view kContentsFileName = "contents.cmr";

enum class AnalysisOutcome {
  NoFile,          // no file chosen, now or before: nothing happened
  StoppedAtFatal,  // a fatal message ended the analysis
  OutOfMemory,     // the analysis needed more memory than there was
  ScanStopped,     // the CMR passes ran, then the epoch scan stopped at a message
  Completed,       // ran to its end
};

struct AnalysisOptions {
  // Where "contents.cmr" goes; by default into the program's directory.
  std::optional<std::string> ContentsPath;
  // Whether the stream is written at all.
  bool WriteContents = true;
};

// Reads the log into the readers it is given: the selected file, or a log
// held in memory.
using LogSource = std::function<SweepResult(std::span<LogWindowReader* const>)>;

// Sets the start values that the main window's creation gives the shared state.
void InitialiseSharedState(SharedState& state, const std::string& programFilePath);

// The boxes of the main window as it starts: the count boxes' design texts,
// the station panel's boxes empty.
void ShowStartUpTexts(Toolkit& toolkit);

// The directory part of a path, with its trailing separator ("" when none).
std::string DirectoryOf(const std::string& path);
// The file name without its directory.
std::string FileNameOf(const std::string& path);

// What the passes saw that the link report measures.
struct PassEvidence {
  TimeLineRecord TimeLine;
  std::vector<AcceptedPosition> Type1Positions;
};

// Clears the chart series and runs the passes over the CMR stream that choose
// the reference station, build the time line and fill the decoded store.
// `arrivals` dates the stream's pieces by their arrival at the rover;
// `evidence`, when given, keeps what the link report needs.
void RunDecodingPasses(SharedState& state, SatelliteCharts& charts, const CmrStream& stream,
                       const ArrivalTimes& arrivals = {}, PassEvidence* evidence = nullptr);

AnalysisOutcome OpenAndAnalyse(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                               const AnalysisOptions& options = {});

// The analysis of the selected log once it has been chosen: from the head
// check to the epoch scan, reading the log from `source`. Running out of
// memory is caught here and told.
AnalysisOutcome AnalyseSelectedLog(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                                   const AnalysisOptions& options, const LogSource& source,
                                   std::optional<std::uint64_t> sizeWhenChosen);
// The same over a log in memory, as though it had been selected.
AnalysisOutcome AnalyseLogBytes(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                                const AnalysisOptions& options, ByteSpan log);

}  // namespace pelorin
