#include "cmr/Analysis.h"

#include <fstream>

#include "cmr/EchoUnwrap.h"
#include "cmr/StationPasses.h"
#include "cmr/TimeLine.h"
#include "log/EpochScan.h"
#include "log/LogFile.h"
#include "log/StartTimeProbe.h"
#include "log/ZelRecords.h"

namespace pelorin {
namespace {

constexpr std::uint64_t kHeadCheckBytes = 100'000;
constexpr std::string_view kCmrOutputOnFlag = "/par={rover={{off,on,";

// Warns when the receiver's CMR output is not marked on in the file's head.
// A file that cannot be read is left to the start-time probe to report.
void CheckHead(const LogRead& log, Toolkit& toolkit) {
  if (!log.Readable()) return;
  const ByteSpan bytes = log.Buffer.Bytes();
  const ByteSpan head = bytes.first(std::min<std::uint64_t>(bytes.size(), kHeadCheckBytes));
  // The flag holds no '_', so the head's own bytes find what its search image would.
  if (FindPattern(RawSearchText(head), kCmrOutputOnFlag)) return;
  toolkit.MessageBox(
      " Cannot find the 'CMR messages are on' flag in the file header.\n\n"
      " Selected file may have no CMR messages in it.",
      "Warning", MessageIcon::Exclamation);
}

void ResetCounts(DecodedStore& store, Toolkit& toolkit) {
  ZeroCounts(store);
  store.AntennaTypeTally.fill(0);
  for (const char* box : {"Edit1", "Edit6", "Edit7"}) toolkit.SetShowHint(box, false);
}

// "contents.cmr" is a by-product: a place it cannot be written is skipped silently.
void WriteContents(const std::string& path, ByteSpan stream) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return;
  file.write(reinterpret_cast<const char*>(stream.data()),
             static_cast<std::streamsize>(stream.size()));
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

void RunDecodingPasses(SharedState& state, SatelliteCharts& charts, const CmrStream& stream,
                       const ArrivalTimes& arrivals) {
  DecodedStore& store = state.Store;
  ClearSatelliteSeries(charts);
  ResetTimeLine(store, state.TimeLine);
  ChooseReferenceStation(stream, store);
  BuildTimeLine(stream, store, state.TimeLine, charts, arrivals);
  DecodeType1Messages(stream, store);
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

  ResetCounts(store, toolkit);
  state.LastEpochScan = {};
  // One read of the file serves every step: the head check, the probe, the
  // epoch scan and the unwrapping, which then reuses the buffer for the stream.
  LogRead log = ReadLogFile(store.SelectedLogPath);
  CheckHead(log, toolkit);

  const std::span<std::uint8_t> bytes = log.Buffer.Bytes();
  const ProbeResult probe = ProbeStartTimeIn(bytes, RawSearchText(bytes));
  if (!probe.Resolved) {
    toolkit.MessageBox("Cannot find absolute time in selected file!", "Fatal error",
                       MessageIcon::Stop);
    return AnalysisOutcome::StoppedAtFatal;
  }
  store.LogStartTime = probe.Start;
  ResetStationInformation(store);

  // The epochs are read while the log's bytes are still unaltered (the
  // unwrapping below works in place); they are shown at the end.
  const EpochScanResult scan = ReadEpochs(bytes);
  const UnwrapResult unwrapped = UnwrapInPlace(bytes);
  if (unwrapped.Enveloped) {
    toolkit.MessageBox("Input file appears to contain 'enveloped' wrapped echo messages!",
                       "Warning", MessageIcon::Information);
  }
  log.Buffer.ShrinkTo(unwrapped.StreamLength);
  const CmrStream stream(log.Buffer.Bytes());
  store.CmrStreamLength = stream.Size();
  WriteContents(
      options.ContentsPath.value_or(store.ProgramDirectory + std::string(kContentsFileName)),
      stream.Bytes());

  RunDecodingPasses(state, charts, stream, ArrivalTimes(unwrapped.Sources, scan));
  ShowResults(store, toolkit);

  ShowEpochScan(scan, toolkit, charts);
  state.LastEpochScan = {true, scan.Completed(), scan.Epochs.size(), scan.GlnTotalsMismatchEpochs};
  return scan.Completed() ? AnalysisOutcome::Completed : AnalysisOutcome::ScanStopped;
}

}  // namespace pelorin
