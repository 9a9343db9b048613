#pragma once
// The analysis of one log, from the head check to the epoch scan, as the
// main window's open button runs it and as the report command runs it: one
// function that reads the log once and returns what it found. It shows
// nothing itself; it tells an observer of each message as it raises it and
// of its progress, and stops when the observer asks it to.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "cmr/AnalysisResult.h"
#include "cmr/ArrivalTimes.h"
#include "cmr/CmrStream.h"
#include "cmr/RoverSolution.h"
#include "cmr/StationPasses.h"
#include "cmr/TimeLine.h"
#include "cmr/Verdict.h"
#include "log/Bytes.h"
#include "log/LogSweep.h"
#include "platform/ChartSeries.h"
#include "platform/Progress.h"

namespace pelorin {

inline constexpr std::string_view kContentsFileName = "contents.cmr";

struct AnalysisOptions {
  // Where "contents.cmr" goes; by default into the program's directory.
  std::optional<std::string> ContentsPath;
  // Whether the stream is written at all.
  bool WriteContents = true;
  // What the link and the rover's solution are judged by.
  LinkLimits Limits;
};

struct AnalysisRequest {
  std::string LogPath;           // the chosen log's full path
  std::string ProgramDirectory;  // with its trailing separator
  AnalysisCarry Carry;           // from the analysis before, in the same window
  AnalysisOptions Options;
};

// Hears of an analysis as it runs.
class AnalysisObserver : public AnalysisProgress {
public:
  // A message, as it is raised; the analysis goes on once this returns, so a
  // window shows it and returns when the user has dismissed it.
  virtual void Show(const ShownMessage& /*message*/) {}
  void Advance(AnalysisStage /*stage*/, std::uint64_t /*done*/, std::uint64_t /*total*/) override {}
  bool StopRequested() const override { return false; }
};

// Reads the log into the readers it is given: the selected file, or a log
// held in memory.
using LogSource = std::function<SweepResult(std::span<LogWindowReader* const>)>;

// The analysis of the log the request names.
AnalysisResult Analyse(const AnalysisRequest& request, AnalysisObserver& observer);
AnalysisResult Analyse(const AnalysisRequest& request);
// The same, reading the log from `source`; `sizeWhenChosen` is the size the
// file had when the user chose it.
AnalysisResult AnalyseSource(const AnalysisRequest& request, const LogSource& source,
                             std::optional<std::uint64_t> sizeWhenChosen,
                             AnalysisObserver& observer);
// The same over a log in memory, as though it had been chosen.
AnalysisResult AnalyseLogBytes(const AnalysisRequest& request, ByteSpan log,
                               AnalysisObserver& observer);

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
void RunDecodingPasses(DecodedStore& store, TimeLineState& timeLine, SatelliteCharts& charts,
                       const CmrStream& stream, const ArrivalTimes& arrivals = {},
                       PassEvidence* evidence = nullptr);

}  // namespace pelorin
