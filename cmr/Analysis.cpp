#include "cmr/Analysis.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "cmr/EchoUnwrap.h"
#include "cmr/LinkReport.h"
#include "cmr/StationPasses.h"
#include "cmr/TimeLine.h"
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

// All of `bytes` to the open file `descriptor`, however many writes it takes.
bool WriteWhole(int descriptor, ByteSpan bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Warns when the receiver's CMR output is not marked on in the file's head.
// A file that cannot be read is left to the start-time probe to report.
void ShowHeadCheck(const SweepResult& read, const HeadCheck& head, Toolkit& toolkit) {
  if (!read.Readable() || head.FlagFound()) return;
  toolkit.MessageBox(
      " Cannot find the 'CMR messages are on' flag in the file header.\n\n"
      " Selected file may have no CMR messages in it.",
      "Warning", MessageIcon::Exclamation);
}

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

void ResetCounts(DecodedStore& store, Toolkit& toolkit) {
  ZeroCounts(store);
  store.AntennaTypeTally.fill(0);
  for (const char* box : {"Edit1", "Edit6", "Edit7"}) toolkit.SetShowHint(box, false);
}

// "contents.cmr" is a by-product: a place it cannot be written is passed
// over, and it never takes the place of the log it comes from. It is written
// beside its place and then renamed over it, so that an interrupted write
// leaves the previous one whole.
ContentsOutcome WriteContents(const std::string& path, const std::string& logPath,
                              ByteSpan stream) {
  ContentsOutcome outcome{true, false, path, {}};
  std::error_code error;
  if (std::filesystem::equivalent(path, logPath, error)) {
    outcome.Reason = "it would replace the log being analysed";
    return outcome;
  }
  std::string temporary = path + ".XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) {
    outcome.Reason = std::generic_category().message(errno);
    return outcome;
  }
  const bool written = WriteWhole(descriptor, stream);
  const int writeError = errno;
  if (::close(descriptor) != 0 || !written) {
    outcome.Reason = std::generic_category().message(written ? errno : writeError);
    ::unlink(temporary.c_str());
    return outcome;
  }
  // The file mkstemp makes is for its owner alone; "contents.cmr" is an
  // ordinary file of the user's.
  std::filesystem::permissions(
      temporary,
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
          std::filesystem::perms::group_read | std::filesystem::perms::others_read,
      error);
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    outcome.Reason = std::generic_category().message(errno);
    ::unlink(temporary.c_str());
    return outcome;
  }
  outcome.Written = true;
  return outcome;
}

// The hint of the selected-file line also tells where the stream went.
void ShowContentsOutcome(const ContentsOutcome& contents, Toolkit& toolkit) {
  const std::string note =
      contents.Written ? "CMR stream written to " + contents.Path
                       : "CMR stream not written to " + contents.Path + ": " + contents.Reason;
  toolkit.SetHint("Edit100", "Selected file\n" + note);
}

// A log that another program truncates or still writes is analysed as it was
// read; the user is told that it changed.
void ShowSizeChange(const AnalysisNotes& notes, Toolkit& toolkit) {
  const SweepResult& read = notes.Read;
  if (!read.Readable()) return;
  const std::uint64_t chosen = notes.SizeWhenChosen.value_or(read.SizeWhenOpened);
  if (chosen == read.SizeWhenOpened && read.BytesRead == read.SizeWhenOpened &&
      read.SizeAfterRead == read.SizeWhenOpened) {
    return;
  }
  toolkit.MessageBox("The selected file changed while it was read: it held " +
                         std::to_string(chosen) + " bytes when chosen, " +
                         std::to_string(read.BytesRead) +
                         " bytes were read and analysed, and it now holds " +
                         std::to_string(read.SizeAfterRead) + " bytes.",
                     "Warning", MessageIcon::Exclamation);
}

// A log that ends inside a record was cut off while it was written, or
// copied short: what there is gets analysed, and the user is told.
void ShowCutRecord(const EpochScanResult& scan, Toolkit& toolkit) {
  if (!scan.CutAtEnd) return;
  toolkit.MessageBox("The selected file ends inside a record: the record at file offset " +
                         std::to_string(scan.CutAtEnd->Offset) + " lacks " +
                         std::to_string(scan.CutAtEnd->MissingBytes) +
                         " bytes. The bytes before it are analysed.",
                     "Warning", MessageIcon::Exclamation);
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  return size;
}

// Steps from the head check to the epoch scan.
AnalysisOutcome AnalyseLog(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                           const AnalysisOptions& options, const LogSource& source) {
  DecodedStore& store = state.Store;
  // One read of the log, front to back, serves the head check, the probe,
  // the epoch scan and the first unwrapping pass; the log is never held whole.
  HeadCheck head;
  FirstRecordFinder firstRecords;
  EpochReader epochs;
  EchoUnwrapper firstPass;
  LogWindowReader* const readers[] = {&head, &firstRecords, &epochs, &firstPass};
  state.LastAnalysis.Read = source(readers);
  ShowHeadCheck(state.LastAnalysis.Read, head, toolkit);
  ShowSizeChange(state.LastAnalysis, toolkit);
  // The epochs were read with the rest; they are shown at the end.
  const EpochScanResult scan = epochs.Finish();
  ShowCutRecord(scan, toolkit);

  const ProbeResult probe = ResolveStartTime(firstRecords.Found());
  if (!probe.Resolved) {
    toolkit.MessageBox("Cannot find absolute time in selected file!", "Fatal error",
                       MessageIcon::Stop);
    return AnalysisOutcome::StoppedAtFatal;
  }
  store.LogStartTime = probe.Start;
  ResetStationInformation(store);

  UnwrapResult unwrapped = FinishUnwrapping(firstPass);
  if (unwrapped.Enveloped) {
    toolkit.MessageBox("Input file appears to contain 'enveloped' wrapped echo messages!",
                       "Warning", MessageIcon::Information);
  }
  {
    // The frame index, the arrival map and the pass evidence serve the passes
    // and the link report only; they are gone before the tracked points come.
    const CmrStream stream(unwrapped.CmrStream);
    store.CmrStreamLength = stream.Size();
    if (options.WriteContents) {
      state.LastAnalysis.Contents = WriteContents(
          options.ContentsPath.value_or(store.ProgramDirectory + std::string(kContentsFileName)),
          store.SelectedLogPath, stream.Bytes());
      ShowContentsOutcome(state.LastAnalysis.Contents, toolkit);
    }

    // The arrival map takes the place of the record offsets it is made from.
    const ArrivalTimes arrivals(std::exchange(unwrapped.Sources, {}), scan);
    state.TimeLine.MostMissingMarked = MostMissingSeconds(scan);
    PassEvidence evidence;
    RunDecodingPasses(state, charts, stream, arrivals, &evidence);
    ShowResults(store, toolkit);
    state.LastLink = std::make_shared<const LinkReport>(MeasureLink(
        {stream, arrivals, evidence.TimeLine, scan, evidence.Type1Positions, state.Store}));
  }

  ShowEpochScan(scan, toolkit, charts);
  state.LastCmrStream =
      std::make_shared<const std::vector<std::uint8_t>>(std::move(unwrapped.CmrStream));
  state.LastEpochScan = {true, scan.Completed(), scan.Epochs.size(), scan.GlnTotalsMismatchEpochs};
  return scan.Completed() ? AnalysisOutcome::Completed : AnalysisOutcome::ScanStopped;
}

// An analysis that ran out of memory leaves nothing half-done: the counts,
// the boxes and the chart points are as the program started, and only the
// selected file stays chosen.
void ForgetPartialAnalysis(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts) {
  DecodedStore fresh;
  fresh.SelectedLogPath = std::move(state.Store.SelectedLogPath);
  fresh.ProgramDirectory = std::move(state.Store.ProgramDirectory);
  state.Store = std::move(fresh);
  state.TimeLine = {};
  state.LastLink.reset();
  state.LastCmrStream.reset();
  for (const GnssSystem window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    for (int n = 1; n <= kSeriesPerWindow; ++n) charts.Series(window, n).Clear();
  }
  ShowStartUpTexts(toolkit);
}

}  // namespace

void ShowStartUpTexts(Toolkit& toolkit) {
  toolkit.SetText("Edit2", " Type 0: ");
  toolkit.SetText("Edit3", " Type 1: ");
  toolkit.SetText("Edit4", " Type 2: ");
  toolkit.SetText("Edit5", " Type 3: ");
  toolkit.SetText("Edit8", "            Scrolling Station Info:");
  for (const char* box : {"Edit1", "Edit6", "Edit7", "Edit9", "Edit10", "Edit11", "Edit12",
                          "Edit13", "Edit14", "Edit15", "Edit16"}) {
    toolkit.SetText(box, "");
  }
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void RunDecodingPasses(SharedState& state, SatelliteCharts& charts, const CmrStream& stream,
                       const ArrivalTimes& arrivals, PassEvidence* evidence) {
  DecodedStore& store = state.Store;
  ClearSatelliteSeries(charts);
  ResetTimeLine(store, state.TimeLine);
  ObservablesTally tally;
  ChooseReferenceStation(stream, store, &tally);
  ReserveTimeLinePoints(tally, store.ReferenceStationId, charts,
                        evidence ? &evidence->TimeLine : nullptr);
  BuildTimeLine(stream, store, state.TimeLine, charts, arrivals,
                evidence ? &evidence->TimeLine : nullptr);
  DecodeType1Messages(stream, store, evidence ? &evidence->Type1Positions : nullptr);
  ChooseAntennaType(store);
  CollectStationInfoPages(stream, store);
  ApplyAntennaFallback(store);
  DecodeStationInfo(store);
  DecodeType2Messages(stream, store);
}

void InitialiseSharedState(SharedState& state, const std::string& programFilePath) {
  state.Store.ProgramDirectory = DirectoryOf(programFilePath);
  state.GpsLegendClickCount = 0;
  state.GlnLegendClickCount = 0;
}

AnalysisOutcome OpenAndAnalyse(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                               const AnalysisOptions& options) {
  DecodedStore& store = state.Store;

  toolkit.SetText("Edit100", " SELECTED FILE: ");
  if (auto chosen = toolkit.RunOpenDialog()) store.SelectedLogPath = std::move(*chosen);
  toolkit.Repaint("Form1");
  // Cancelling after an earlier analysis analyses the earlier file again.
  if (store.SelectedLogPath.empty()) return AnalysisOutcome::NoFile;

  toolkit.SetVisible("Edit100", true);
  toolkit.SetText("Edit100", "Selected file: " + FileNameOf(store.SelectedLogPath));
  toolkit.Repaint("Edit100");

  const std::string path = store.SelectedLogPath;
  const auto sizeWhenChosen = FileSizeOf(path);
  const LogSource file = [&path](std::span<LogWindowReader* const> readers) {
    return SweepLogFile(path, readers);
  };
  return AnalyseSelectedLog(state, toolkit, charts, options, file, sizeWhenChosen);
}

AnalysisOutcome AnalyseLogBytes(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                                const AnalysisOptions& options, ByteSpan log) {
  const LogSource memory = [log](std::span<LogWindowReader* const> readers) {
    SweepLogBytes(log, readers);
    SweepResult read;
    read.SizeWhenOpened = read.BytesRead = read.SizeAfterRead = log.size();
    return read;
  };
  return AnalyseSelectedLog(state, toolkit, charts, options, memory, log.size());
}

AnalysisOutcome AnalyseSelectedLog(SharedState& state, Toolkit& toolkit, SatelliteCharts& charts,
                                   const AnalysisOptions& options, const LogSource& source,
                                   std::optional<std::uint64_t> sizeWhenChosen) {
  ResetCounts(state.Store, toolkit);
  state.LastEpochScan = {};
  state.LastAnalysis = {};
  state.LastLink.reset();
  state.LastCmrStream.reset();
  state.LastAnalysis.SizeWhenChosen = sizeWhenChosen;
  try {
    return AnalyseLog(state, toolkit, charts, options, source);
  } catch (const std::bad_alloc&) {
    // A log too large for the memory there is: told, never an abort.
    ForgetPartialAnalysis(state, toolkit, charts);
    state.LastAnalysis.OutOfMemory = true;
    toolkit.MessageBox("There is not enough memory to analyse the selected file.", "Fatal error",
                       MessageIcon::Stop);
    return AnalysisOutcome::OutOfMemory;
  }
}

}  // namespace pelorin
