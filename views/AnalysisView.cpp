#include "views/AnalysisView.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "report/WindowTexts.h"

namespace pelorin {
namespace {

constexpr const char* kSelectedFileBox = "Edit100";

// The X, Y and Z boxes of the station panel and their design hints.
constexpr std::pair<const char*, const char*> kCoordinateHints[] = {
    {"Edit1", "X-coordinate"}, {"Edit6", "Y-coordinate"}, {"Edit7", "Z-coordinate"}};

// The hint of the selected-file line also tells where the stream went.
void ShowContentsOutcome(const ContentsOutcome& contents, Toolkit& toolkit) {
  const std::string note =
      contents.Written ? "CMR stream written to " + contents.Path
                       : "CMR stream not written to " + contents.Path + ": " + contents.Reason;
  toolkit.SetHint(kSelectedFileBox, "Selected file\n" + note);
}

void HandOverPoints(AnalysisResult& result, SatelliteCharts& charts) {
  for (const GnssSystem system : {GnssSystem::Glonass, GnssSystem::Gps}) {
    WindowSeries& found = result.SeriesOf(system);
    for (int n = 1; n <= kSeriesPerWindow; ++n) {
      SeriesData& data = found[static_cast<std::size_t>(n - 1)];
      ChartSeries& series = charts.Series(system, n);
      series.ReplacePoints(std::move(data.Points));
      series.SetActive(data.Active);
      data.Points = {};
    }
  }
}

// After running out of memory the window is as the program started.
void ForgetEverySeriesAndHint(SatelliteCharts& charts, Toolkit& toolkit) {
  for (const GnssSystem system : {GnssSystem::Glonass, GnssSystem::Gps}) {
    for (int n = 1; n <= kSeriesPerWindow; ++n) charts.Series(system, n).Clear();
  }
  for (const auto& [box, hint] : kCoordinateHints) {
    toolkit.SetHint(box, hint);
    toolkit.SetShowHint(box, true);
  }
}

// Where each part of an analysis begins and ends on the progress bar, in
// thousandths: reading the log is most of the work.
struct StageSpan {
  AnalysisStage Stage;
  int From;
  int To;
  const char* Text;
};
constexpr StageSpan kStageSpans[] = {
    {AnalysisStage::ReadingLog, 0, 700, "Reading the log"},
    {AnalysisStage::IndexingStream, 700, 750, "Finding the CMR frames"},
    {AnalysisStage::Passes, 750, 950, "Decoding the CMR messages"},
    {AnalysisStage::LinkReport, 950, 1000, "Link report"},
};

}  // namespace

AnalysisProgressShown ShownProgress(AnalysisStage stage, std::uint64_t done, std::uint64_t total) {
  for (const StageSpan& span : kStageSpans) {
    if (span.Stage != stage) continue;
    const double share = total > 0 ? std::min(1.0, static_cast<double>(done) / total) : 0.0;
    const int perMille = span.From + static_cast<int>(share * (span.To - span.From));
    return {perMille, std::string(span.Text) + ": " + std::to_string(perMille / 10) + " %"};
  }
  return {};
}

void InitialiseSharedState(SharedState& state, const std::string& programFilePath) {
  state.Store.ProgramDirectory = DirectoryOf(programFilePath);
  state.GpsLegendClickCount = 0;
  state.GlnLegendClickCount = 0;
}

std::string OpenDialogStartDirectory(const std::string& programDirectory,
                                     const std::string& homeDirectory) {
  if (homeDirectory.empty()) return programDirectory;
  std::error_code error;
  const bool demoBeside = std::filesystem::is_regular_file(
      std::filesystem::path(programDirectory) / kDemoLogName, error);
  return demoBeside ? programDirectory : homeDirectory;
}

std::optional<AnalysisRequest> BeginOpen(SharedState& state, Toolkit& toolkit,
                                         const AnalysisOptions& options, BeforeOpen& before) {
  DecodedStore& store = state.Store;
  before = {store.SelectedLogPath, toolkit.GetText(kSelectedFileBox),
            toolkit.GetVisible(kSelectedFileBox)};
  toolkit.SetText(kSelectedFileBox, " SELECTED FILE: ");
  if (auto chosen = toolkit.RunOpenDialog()) store.SelectedLogPath = std::move(*chosen);
  toolkit.Repaint("Form1");
  if (store.SelectedLogPath.empty()) return std::nullopt;

  toolkit.SetVisible(kSelectedFileBox, true);
  toolkit.SetText(kSelectedFileBox, SelectedFileText(store.SelectedLogPath));
  toolkit.Repaint(kSelectedFileBox);
  return AnalysisRequest{store.SelectedLogPath, store.ProgramDirectory, state.Carry, options};
}

void RestoreBeforeOpen(const BeforeOpen& before, SharedState& state, Toolkit& toolkit) {
  state.Store.SelectedLogPath = before.SelectedLogPath;
  toolkit.SetText(kSelectedFileBox, before.SelectedFileText);
  toolkit.SetVisible(kSelectedFileBox, before.SelectedFileShown);
}

void ShowAnalysisMessage(const ShownMessage& message, Toolkit& toolkit) {
  if (message.Caption && message.Icon) {
    toolkit.MessageBox(message.Text, *message.Caption, *message.Icon);
  } else {
    toolkit.ShowMessage(message.Text);
  }
  if (message.CentresMainWindow) toolkit.CentreMainWindow();
}

void CommitAnalysis(AnalysisResult result, SharedState& state, Toolkit& toolkit,
                    SatelliteCharts& charts) {
  if (result.Outcome == AnalysisOutcome::NoFile || result.Outcome == AnalysisOutcome::Cancelled) {
    return;
  }
  // The station panel's position hints are off until the panel is shown again.
  for (const auto& [box, hint] : kCoordinateHints) toolkit.SetShowHint(box, false);
  state.Store = StoreAfter(result, std::move(state.Store));
  if (result.Outcome == AnalysisOutcome::OutOfMemory) {
    state.Carry = {};
    ForgetEverySeriesAndHint(charts, toolkit);
  } else {
    state.Carry = result.Carry;
  }
  for (const auto& [box, text] : TextsShownBy(result)) toolkit.SetText(box, text);
  if (result.Notes.Contents.Attempted) ShowContentsOutcome(result.Notes.Contents, toolkit);
  if (result.RanThePasses()) HandOverPoints(result, charts);
  state.LastResult = std::make_shared<const AnalysisResult>(std::move(result));
}

}  // namespace pelorin
