#include "cmr/Analysis.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <new>
#include <system_error>
#include <utility>

#include "cmr/EchoUnwrap.h"
#include "cmr/LinkReport.h"
#include "cmr/RoverSolution.h"
#include "cmr/StationPasses.h"
#include "cmr/TimeLine.h"
#include "cmr/Verdict.h"
#include "log/EpochScan.h"
#include "log/LogSweep.h"
#include "log/StartTimeProbe.h"
#include "log/ZelRecords.h"

namespace pelorin {
namespace {

constexpr std::uint64_t kHeadCheckBytes = 100'000;
constexpr std::string_view kCmrOutputOnFlag = "/par={rover={{off,on,";

// Whether the receiver's CMR output is marked on in the head of the log.
class HeadCheck : public LogWindowReader {
public:
  std::uint64_t Take(const LogWindow& window) override {
    if (done_) return kNeedsNothing;
    if (!window.Holds(0, kHeadCheckBytes)) return 0;
    // The flag holds no '_', so the head's own bytes find what its search image would.
    flagFound_ =
        FindPattern(RawSearchText(window.Slice(0, kHeadCheckBytes)), kCmrOutputOnFlag).has_value();
    done_ = true;
    return kNeedsNothing;
  }
  bool FlagFound() const { return flagFound_; }

private:
  bool done_ = false;
  bool flagFound_ = false;
};

// All of `bytes` to the open file `descriptor`, however many writes it
// takes; false when a write fails or `stop` is set between two of them.
bool WriteWhole(int descriptor, ByteSpan bytes, const std::atomic<bool>& stop) {
  constexpr std::size_t kMostBytesAWrite = std::size_t{8} << 20;
  while (!bytes.empty()) {
    if (stop) return false;
    const ssize_t written =
        ::write(descriptor, bytes.data(), std::min(bytes.size(), kMostBytesAWrite));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Tells the analysis how much of the log has been read, and stops it when
// the user asks: it needs no byte of the log itself.
class ReadProgress : public LogWindowReader {
public:
  explicit ReadProgress(AnalysisProgress& progress) : progress_(progress) {}
  std::uint64_t Take(const LogWindow& window) override {
    Checkpoint(&progress_, AnalysisStage::ReadingLog, window.End(), window.LogSize);
    return kNeedsNothing;
  }

private:
  AnalysisProgress& progress_;
};

// Room for the points pass B will add: a message each in Series1, and at
// most a satellite block each in Series2 and Series4; and a message each in
// the record kept for the link report.
void ReserveTimeLinePoints(const ObservablesTally& tally, std::int32_t station,
                           SatelliteCharts& charts, TimeLineRecord* record) {
  const auto s = static_cast<std::size_t>(station);
  for (const GnssSystem window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    const auto w = static_cast<std::size_t>(window);
    const auto messages = static_cast<std::size_t>(tally.Messages[s][w]);
    const auto satellites = static_cast<std::size_t>(tally.Satellites[s][w]);
    charts.Series(window, 1).ReservePoints(messages);
    charts.Series(window, 2).ReservePoints(satellites);
    charts.Series(window, 4).ReservePoints(satellites);
    if (record) record->Messages[w].reserve(messages);
  }
}

// "contents.cmr" is a by-product: a place it cannot be written is passed
// over, and it never takes the place of the log it comes from. It is written
// beside its place and renamed over it only once the analysis has ended, so
// that neither an interrupted write nor a cancelled analysis touches the
// previous one.
struct ContentsAside {
  ContentsOutcome Outcome;
  std::string Temporary;  // the written copy, while it waits to be put in place
};

ContentsAside WriteContentsAside(const std::string& path, const std::string& logPath,
                                 ByteSpan stream, const std::atomic<bool>& stop) {
  ContentsAside aside{{true, false, path, {}}, {}};
  ContentsOutcome& outcome = aside.Outcome;
  std::error_code error;
  if (std::filesystem::equivalent(path, logPath, error)) {
    outcome.Reason = "it would replace the log being analysed";
    return aside;
  }
  std::string temporary = path + ".XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) {
    outcome.Reason = std::generic_category().message(errno);
    return aside;
  }
  const bool written = WriteWhole(descriptor, stream, stop);
  const int writeError = errno;
  if (::close(descriptor) != 0 || !written) {
    outcome.Reason = std::generic_category().message(written ? errno : writeError);
    ::unlink(temporary.c_str());
    return aside;
  }
  // The file mkstemp makes is for its owner alone; "contents.cmr" is an
  // ordinary file of the user's.
  std::filesystem::permissions(
      temporary,
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
          std::filesystem::perms::group_read | std::filesystem::perms::others_read,
      error);
  aside.Temporary = std::move(temporary);
  return aside;
}

ContentsOutcome PutContentsInPlace(ContentsAside aside) {
  ContentsOutcome outcome = std::move(aside.Outcome);
  if (aside.Temporary.empty()) return outcome;
  if (std::rename(aside.Temporary.c_str(), outcome.Path.c_str()) != 0) {
    outcome.Reason = std::generic_category().message(errno);
    ::unlink(aside.Temporary.c_str());
    return outcome;
  }
  outcome.Written = true;
  return outcome;
}

void DiscardContents(const ContentsAside& aside) {
  if (!aside.Temporary.empty()) ::unlink(aside.Temporary.c_str());
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  return size;
}

// The points of every series go into the result as the passes add them.
class ResultSeries : public ChartSeries {
public:
  explicit ResultSeries(SeriesData& data) : data_(data) {}
  void Clear() override { data_.Points.clear(); }
  void AddPoint(double x, double y, std::string_view, ColourValue colour) override {
    data_.Points.push_back({x, y, colour});
  }
  void ReservePoints(std::size_t count) override {
    data_.Points.reserve(data_.Points.size() + count);
  }
  void SetActive(bool active) override { data_.Active = active; }
  bool Active() const override { return data_.Active; }
  double MaxYValue() const override {
    return Extreme([](double a, double b) { return a > b; });
  }
  double MinYValue() const override {
    return Extreme([](double a, double b) { return a < b; });
  }

private:
  template <typename Beats>
  double Extreme(Beats beats) const {
    if (data_.Points.empty()) return 0;
    double extreme = data_.Points.front().Y;
    for (const ChartPoint& p : data_.Points) {
      if (beats(p.Y, extreme)) extreme = p.Y;
    }
    return extreme;
  }
  SeriesData& data_;
};

using SeriesOfEverySystem = std::array<WindowSeries, kSystemCount>;

class ResultCharts : public SatelliteCharts {
public:
  explicit ResultCharts(SeriesOfEverySystem& series) {
    for (std::size_t w = 0; w < kSystemCount; ++w) {
      for (std::size_t n = 0; n < kSeriesPerWindow; ++n) {
        series_[w][n] = std::make_unique<ResultSeries>(series[w][n]);
      }
    }
  }
  ChartSeries& Series(GnssSystem system, int number) override {
    return *series_.at(static_cast<std::size_t>(system)).at(static_cast<std::size_t>(number - 1));
  }

private:
  std::array<std::array<std::unique_ptr<ResultSeries>, kSeriesPerWindow>, kSystemCount> series_;
};

// Raises the messages of the analysis: into the result, in order, and to the
// observer as they come.
class Messages {
public:
  Messages(AnalysisResult& result, AnalysisObserver& observer)
      : result_(result), observer_(observer) {}
  void Raise(ShownMessage message) {
    result_.Messages.push_back(std::move(message));
    observer_.Show(result_.Messages.back());
  }
  void Box(std::string text, std::string caption, MessageIcon icon) {
    Raise({std::move(text), std::move(caption), icon});
  }

private:
  AnalysisResult& result_;
  AnalysisObserver& observer_;
};

// Warns when the receiver's CMR output is not marked on in the file's head.
// A file that cannot be read is left to the start-time probe to report.
void WarnOfHeadCheck(const SweepResult& read, const HeadCheck& head, Messages& messages) {
  if (!read.Readable() || head.FlagFound()) return;
  messages.Box(
      " Cannot find the 'CMR messages are on' flag in the file header.\n\n"
      " Selected file may have no CMR messages in it.",
      "Warning", MessageIcon::Exclamation);
}

// A log that another program truncates or still writes is analysed as it was
// read; the user is told that it changed.
void WarnOfSizeChange(const AnalysisNotes& notes, Messages& messages) {
  const SweepResult& read = notes.Read;
  if (!read.Readable()) return;
  const std::uint64_t chosen = notes.SizeWhenChosen.value_or(read.SizeWhenOpened);
  if (chosen == read.SizeWhenOpened && read.BytesRead == read.SizeWhenOpened &&
      read.SizeAfterRead == read.SizeWhenOpened) {
    return;
  }
  messages.Box("The selected file changed while it was read: it held " + std::to_string(chosen) +
                   " bytes when chosen, " + std::to_string(read.BytesRead) +
                   " bytes were read and analysed, and it now holds " +
                   std::to_string(read.SizeAfterRead) + " bytes.",
               "Warning", MessageIcon::Exclamation);
}

// A log that ends inside a record was cut off while it was written, or
// copied short: what there is gets analysed, and the user is told.
void WarnOfCutRecord(const EpochScanResult& scan, Messages& messages) {
  if (!scan.CutAtEnd) return;
  messages.Box("The selected file ends inside a record: the record at file offset " +
                   std::to_string(scan.CutAtEnd->Offset) + " lacks " +
                   std::to_string(scan.CutAtEnd->MissingBytes) +
                   " bytes. The bytes before it are analysed.",
               "Warning", MessageIcon::Exclamation);
}

// Work that runs beside the passes, on a core of its own: it needs nothing
// the passes make, and it is over before the analysis returns, whether the
// passes end, stop or fail. Stopped or failed, the analysis tells the work
// to stop too, so that Cancel takes no longer for it.
class BesideThePasses {
  // On a thread of its own where one can be had; otherwise run when waited for.
  static constexpr auto kBeside = std::launch::async | std::launch::deferred;

public:
  BesideThePasses() = default;
  BesideThePasses(const BesideThePasses&) = delete;
  BesideThePasses& operator=(const BesideThePasses&) = delete;
  ~BesideThePasses() {
    stop_ = true;
    // An analysis that did not end leaves "contents.cmr" as it was.
    if (!contents_.valid()) return;
    try {
      DiscardContents(contents_.get());
    } catch (...) {  // NOLINT(bugprone-empty-catch): nothing was written then
    }
  }

  // The rover's tracked points need only the epochs.
  void AddTrackedPoints(const EpochScanResult& scan) {
    if (!scan.Completed()) return;
    trackedPoints_ = std::async(kBeside, [this, &scan] {
      ResultCharts charts(tracked_);
      pelorin::AddTrackedPoints(scan.Epochs, charts, &stop_);
    });
  }
  // "contents.cmr" is a copy of the stream into the page cache.
  void WriteContents(const std::string& path, const std::string& logPath, ByteSpan stream) {
    contents_ =
        std::async(kBeside, [=, this] { return WriteContentsAside(path, logPath, stream, stop_); });
  }

  // Waits for the work, then hands over what it made.
  void TakeTrackedPoints(SeriesOfEverySystem& series) {
    if (!trackedPoints_.valid()) return;
    trackedPoints_.get();
    for (const GnssSystem system : {GnssSystem::Gps, GnssSystem::Glonass}) {
      const auto w = static_cast<std::size_t>(system);
      series[w][kTrackedSeries].Points = std::move(tracked_[w][kTrackedSeries].Points);
    }
  }
  void TakeContents(ContentsOutcome& outcome) {
    if (contents_.valid()) outcome = PutContentsInPlace(contents_.get());
  }

private:
  static constexpr std::size_t kTrackedSeries = 4;  // Series5
  std::atomic<bool> stop_ = false;
  SeriesOfEverySystem tracked_;
  // Declared last, so that they are waited for before what they write to goes.
  std::future<void> trackedPoints_;
  std::future<ContentsAside> contents_;
};

// The store an analysis that got past the probe starts from: this log's,
// with the type 1 position of the analysis before until one is accepted.
DecodedStore FreshStore(const AnalysisRequest& request, double logStartTime) {
  DecodedStore store;
  store.SelectedLogPath = request.LogPath;
  store.ProgramDirectory = request.ProgramDirectory;
  store.Type1Coordinates = request.Carry.Type1Coordinates;
  store.LogStartTime = logStartTime;
  ResetStationInformation(store);
  return store;
}

// Steps from the head check to the epoch scan.
void AnalyseLog(const AnalysisRequest& request, const LogSource& source, AnalysisResult& result,
                AnalysisObserver& observer) {
  Messages messages(result, observer);
  // One read of the log, front to back, serves the head check, the probe,
  // the epoch scan and the first unwrapping pass; the log is never held whole.
  ReadProgress progress(observer);
  HeadCheck head;
  FirstRecordFinder firstRecords;
  EpochReader epochs;
  EchoUnwrapper firstPass;
  LogWindowReader* const readers[] = {&progress, &head, &firstRecords, &epochs, &firstPass};
  result.Notes.Read = source(readers);
  WarnOfHeadCheck(result.Notes.Read, head, messages);
  WarnOfSizeChange(result.Notes, messages);
  // The epochs were read with the rest; their messages come at the end.
  const EpochScanResult scan = epochs.Finish();
  WarnOfCutRecord(scan, messages);

  const ProbeResult probe = ResolveStartTime(firstRecords.Found());
  if (!probe.Resolved) {
    messages.Box("Cannot find absolute time in selected file!", "Fatal error", MessageIcon::Stop);
    result.Outcome = AnalysisOutcome::StoppedAtFatal;
    return;
  }
  DecodedStore& store = result.Store = FreshStore(request, probe.Start);

  UnwrapResult unwrapped = FinishUnwrapping(firstPass);
  if (unwrapped.Enveloped) {
    messages.Box("Input file appears to contain 'enveloped' wrapped echo messages!", "Warning",
                 MessageIcon::Information);
  }
  ResultCharts charts(result.Series);
  BesideThePasses beside;
  PassEvidence evidence;
  beside.AddTrackedPoints(scan);
  {
    // The frame index, the arrival map and the pass evidence serve the passes
    // and the link report only.
    const CmrStream stream(unwrapped.CmrStream, &observer);
    store.CmrStreamLength = stream.Size();
    const AnalysisOptions& options = request.Options;
    if (options.WriteContents) {
      beside.WriteContents(
          options.ContentsPath.value_or(request.ProgramDirectory + std::string(kContentsFileName)),
          request.LogPath, stream.Bytes());
    }

    // The arrival map takes the place of the record offsets it is made from.
    const ArrivalTimes arrivals(std::exchange(unwrapped.Sources, {}), scan);
    TimeLineState timeLine;
    timeLine.MostMissingMarked = MostMissingSeconds(scan);
    RunDecodingPasses(store, timeLine, charts, stream, arrivals, &evidence);
    TrimType2Texts(store);
    result.Identifiers = ChooseShownIdentifiers(store);
    result.Link = std::make_shared<const LinkReport>(
        MeasureLink({stream, arrivals, evidence.TimeLine, scan, evidence.Type1Positions, store}));
    beside.TakeContents(result.Notes.Contents);
  }
  // With the frame index gone, the rover's epochs take its room.
  auto rover =
      std::make_shared<const RoverEpochs>(FollowRoverEpochs(scan, evidence.TimeLine, *result.Link));
  const LinkLimits& limits = request.Options.Limits;
  if (rover->HasSolution()) {
    result.Solution = std::make_shared<const SolutionReport>(
        MeasureSolution(*rover, *result.Link, limits.ForSolution()));
  }
  result.Judged = std::make_shared<const Verdict>(
      JudgeLink(MeasureFigures(*result.Link, *rover, result.Solution.get(), limits), limits));
  result.Rover = std::move(rover);
  evidence = {};

  for (ShownMessage& message : EpochScanMessages(scan)) messages.Raise(std::move(message));
  beside.TakeTrackedPoints(result.Series);
  result.CmrStream = std::make_shared<const StreamBytes>(std::move(unwrapped.CmrStream));
  result.Scan = {true, scan.Completed(), scan.Epochs.size(), scan.GlnTotalsMismatchEpochs};
  result.Carry.Type1Coordinates = store.Type1Coordinates;
  result.Outcome = scan.Completed() ? AnalysisOutcome::Completed : AnalysisOutcome::ScanStopped;
}

// What an analysis leaves when it could not finish: its messages and how
// the log was read, nothing of what it found.
void DropFindings(AnalysisResult& result, const AnalysisRequest& request) {
  AnalysisResult kept;
  kept.LogPath = std::move(result.LogPath);
  kept.Messages = std::move(result.Messages);
  kept.Notes = std::move(result.Notes);
  kept.Carry = request.Carry;
  result = std::move(kept);
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void RunDecodingPasses(DecodedStore& store, TimeLineState& timeLine, SatelliteCharts& charts,
                       const CmrStream& stream, const ArrivalTimes& arrivals,
                       PassEvidence* evidence) {
  ClearSatelliteSeries(charts);
  ResetTimeLine(store, timeLine);
  ObservablesTally tally;
  ChooseReferenceStation(stream, store, &tally);
  ReserveTimeLinePoints(tally, store.ReferenceStationId, charts,
                        evidence ? &evidence->TimeLine : nullptr);
  BuildTimeLine(stream, store, timeLine, charts, arrivals,
                evidence ? &evidence->TimeLine : nullptr);
  DecodeType1Messages(stream, store, evidence ? &evidence->Type1Positions : nullptr);
  ChooseAntennaType(store);
  CollectStationInfoPages(stream, store);
  ApplyAntennaFallback(store);
  DecodeStationInfo(store);
  DecodeType2Messages(stream, store);
}

DecodedStore StoreAfter(const AnalysisResult& result, DecodedStore before) {
  switch (result.Outcome) {
    case AnalysisOutcome::NoFile:
    case AnalysisOutcome::Cancelled:
      return before;
    case AnalysisOutcome::StoppedAtFatal:
      before.SelectedLogPath = result.LogPath;
      ZeroCounts(before);
      before.AntennaTypeTally.fill(0);
      return before;
    case AnalysisOutcome::OutOfMemory: {
      DecodedStore fresh;
      fresh.SelectedLogPath = result.LogPath;
      fresh.ProgramDirectory = std::move(before.ProgramDirectory);
      return fresh;
    }
    case AnalysisOutcome::ScanStopped:
    case AnalysisOutcome::Completed:
      return result.Store;
  }
  return before;
}

AnalysisResult AnalyseSource(const AnalysisRequest& request, const LogSource& source,
                             std::optional<std::uint64_t> sizeWhenChosen,
                             AnalysisObserver& observer) {
  AnalysisResult result;
  result.LogPath = request.LogPath;
  result.Notes.SizeWhenChosen = sizeWhenChosen;
  result.Carry = request.Carry;
  try {
    AnalyseLog(request, source, result, observer);
  } catch (const AnalysisStopRequested&) {
    DropFindings(result, request);
    result.Outcome = AnalysisOutcome::Cancelled;
  } catch (const std::bad_alloc&) {
    // A log too large for the memory there is: told, never an abort; what
    // was found so far is let go first, so that the message has room.
    DropFindings(result, request);
    ReleaseFreedLargeMemory();
    result.Outcome = AnalysisOutcome::OutOfMemory;
    result.Notes.OutOfMemory = true;
    Messages(result, observer)
        .Box("There is not enough memory to analyse the selected file.", "Fatal error",
             MessageIcon::Stop);
  }
  ReleaseFreedLargeMemory();
  return result;
}

AnalysisResult Analyse(const AnalysisRequest& request, AnalysisObserver& observer) {
  const std::string& path = request.LogPath;
  const LogSource file = [&path](std::span<LogWindowReader* const> readers) {
    return SweepLogFile(path, readers);
  };
  return AnalyseSource(request, file, FileSizeOf(path), observer);
}

AnalysisResult Analyse(const AnalysisRequest& request) {
  AnalysisObserver quiet;
  return Analyse(request, quiet);
}

AnalysisResult AnalyseLogBytes(const AnalysisRequest& request, ByteSpan log,
                               AnalysisObserver& observer) {
  const LogSource memory = [log](std::span<LogWindowReader* const> readers) {
    SweepLogBytes(log, readers);
    SweepResult read;
    read.SizeWhenOpened = read.BytesRead = read.SizeAfterRead = log.size();
    return read;
  };
  return AnalyseSource(request, memory, log.size(), observer);
}

}  // namespace pelorin
