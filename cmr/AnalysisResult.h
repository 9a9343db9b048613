#pragma once
// What the analysis of one log found, as plain data: the messages it raised
// in the order it raised them, the decoded store, the station identifiers to
// show, the points of every series of both satellite windows, the epoch
// scan's summary, the link report, and what it hands the next analysis. The
// window and the report command decide how to show it.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cmr/DecodedStore.h"
#include "cmr/EchoUnwrap.h"
#include "log/LogSweep.h"
#include "platform/ChartSeries.h"
#include "platform/Toolkit.h"

namespace pelorin {

struct LinkReport;
struct RoverEpochs;
struct SolutionReport;
struct Verdict;

enum class AnalysisOutcome {
  NoFile,          // no file chosen, now or before: nothing happened
  Cancelled,       // the user stopped it: nothing of it is kept
  StoppedAtFatal,  // a fatal message ended the analysis
  OutOfMemory,     // the analysis needed more memory than there was
  ScanStopped,     // the CMR passes ran, then the epoch scan stopped at a message
  Completed,       // ran to its end
};

// The points of a series, in the order they were added, and whether the
// series is drawn.
struct SeriesData {
  ChartPoints Points;
  bool Active = true;
};
// Series1 .. Series5 of a satellite window.
using WindowSeries = std::array<SeriesData, kSeriesPerWindow>;

// What the epoch scan of the log gave; all zero when it did not run.
struct EpochScanSummary {
  bool Ran = false;
  bool Completed = false;
  std::uint64_t EpochsScanned = 0;
  std::uint64_t GlnTotalsMismatchEpochs = 0;
};

// Where the analysis wrote the CMR stream, or why it did not.
struct ContentsOutcome {
  bool Attempted = false;
  bool Written = false;
  std::string Path;
  std::string Reason;  // when not written
};

// How the analysis went besides its results: how the log was read and where
// its stream went.
struct AnalysisNotes {
  SweepResult Read;
  std::optional<std::uint64_t> SizeWhenChosen;
  ContentsOutcome Contents;
  bool OutOfMemory = false;
};

// What one analysis hands the next in the same window: the type 1
// position stays in force until a type 1 message is accepted.
struct AnalysisCarry {
  StationCoordinates Type1Coordinates;  // metres
};

struct AnalysisResult {
  std::string LogPath;
  AnalysisOutcome Outcome = AnalysisOutcome::NoFile;
  std::vector<ShownMessage> Messages;  // in the order raised
  AnalysisNotes Notes;
  // Its counts are those of this log; with the passes run, all of it is.
  DecodedStore Store;
  // The identifiers to show; nothing when neither source was received
  // often enough, and what was shown stays.
  std::optional<StationIdentifiers> Identifiers;
  // The points of both windows, when the passes ran.
  std::array<WindowSeries, kSystemCount> Series;
  EpochScanSummary Scan;
  std::shared_ptr<const LinkReport> Link;
  // The rover's epochs beside the link, and its solution measured against
  // the request's limits; the solution only where the log carries one.
  std::shared_ptr<const RoverEpochs> Rover;
  std::shared_ptr<const SolutionReport> Solution;
  // The day's link judged against the request's limits.
  std::shared_ptr<const Verdict> Judged;
  std::shared_ptr<const StreamBytes> CmrStream;
  AnalysisCarry Carry;

  // The CMR passes ran: counts, station, identifiers and points are this log's.
  bool RanThePasses() const {
    return Outcome == AnalysisOutcome::ScanStopped || Outcome == AnalysisOutcome::Completed;
  }
  WindowSeries& SeriesOf(GnssSystem system) { return Series[static_cast<std::size_t>(system)]; }
  const WindowSeries& SeriesOf(GnssSystem system) const {
    return Series[static_cast<std::size_t>(system)];
  }
};

// The decoded store after an analysis, from the store before it: counts are
// set to 0 as soon as a file is chosen, everything else is replaced only
// once the analysis gets past the start-time probe; an analysis that ran out
// of memory leaves the store as the program started, with the file chosen.
DecodedStore StoreAfter(const AnalysisResult& result, DecodedStore before);

}  // namespace pelorin
