// The window's side of an analysis against recordings: a stopped analysis
// leaves the window as before the open, wherever it stopped; the progress
// the bar shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/AnalysisHarness.h"
#include "tests/support/RoverLog.h"
#include "views/AnalysisView.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::ZelLog;

// Counts the sweep's checkpoints of an analysis, and where it stops.
class CountingObserver : public ToolkitObserver {
public:
  using ToolkitObserver::ToolkitObserver;
  int Reading = 0;
  void Advance(AnalysisStage stage, std::uint64_t done, std::uint64_t total) override {
    ToolkitObserver::Advance(stage, done, total);
    if (stage == AnalysisStage::ReadingLog) ++Reading;
  }
};

ZelLog RoverLog(int seconds, std::size_t fillerBytes) {
  testdata::RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = fillerBytes;
  return ZelLog().Raw(testdata::MakeRoverLog(options));
}

TEST(StoppedAnalysis, LeavesTheWindowAsBeforeTheOpenWhereverItStops) {
  AnalysisHarness h;
  ASSERT_EQ(h.Open(RoverLog(30, 16), "first.zel"), AnalysisOutcome::Completed);
  const auto boxes = h.Toolkit.Controls;
  const auto gpsTotals = h.Charts.At(GnssSystem::Gps, 1).Points;
  const auto* const lastResult = h.State.LastResult.get();
  const std::string firstPath = h.State.Store.SelectedLogPath;
  const auto firstContents = testdata::ReadFileBytes(h.ContentsPath());
  ASSERT_TRUE(firstContents);

  // A log of several of the sweep's blocks, read once to count its checkpoints.
  const ZelLog big = RoverLog(1500, 1500);
  ASSERT_GT(big.size(), 2u * kSweepBlockBytes);
  big.WriteTo(h.Dir.File("second.zel"));
  int readings = 0;
  {
    AnalysisHarness counting;
    CountingObserver observer(counting.Toolkit);
    counting.Toolkit.NextDialogPath = h.Dir.File("second.zel");
    ASSERT_EQ(OpenAndAnalyse(counting.State, counting.Toolkit, counting.Charts, {}, observer),
              AnalysisOutcome::Completed);
    readings = observer.Reading;
    ASSERT_GE(readings, 3);
  }

  // At the start, in the middle and at the end of the sweep, and in the passes.
  for (const int stopAfter : {0, readings / 2, readings - 1, readings + 1}) {
    ToolkitObserver stopping(h.Toolkit);
    stopping.StopAfterCheckpoints = stopAfter;
    h.Toolkit.NextDialogPath = h.Dir.File("second.zel");
    AnalysisOptions options;
    options.ContentsPath = h.ContentsPath();
    EXPECT_EQ(OpenAndAnalyse(h.State, h.Toolkit, h.Charts, options, stopping),
              AnalysisOutcome::Cancelled)
        << stopAfter;
    for (const auto& [name, control] : boxes) {
      EXPECT_EQ(h.Toolkit.Control(name).Text, control.Text) << name << " after " << stopAfter;
      EXPECT_EQ(h.Toolkit.Control(name).Visible, control.Visible) << name;
    }
    EXPECT_EQ(h.State.Store.SelectedLogPath, firstPath);
    EXPECT_EQ(h.State.LastResult.get(), lastResult);
    EXPECT_EQ(h.Charts.At(GnssSystem::Gps, 1).Points, gpsTotals);
    EXPECT_FALSE(h.Toolkit.BusyCursor);
    // contents.cmr is the first analysis's still, with no copy left beside it.
    EXPECT_EQ(testdata::ReadFileBytes(h.ContentsPath()), firstContents) << stopAfter;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(h.Dir.Directory())) {
      ++files;
    }
    EXPECT_EQ(files, 3u) << "first.zel, second.zel and contents.cmr only";
  }
  // The file the stopped analyses chose is not analysed by a cancelled dialog.
  EXPECT_EQ(h.Choose(std::nullopt), AnalysisOutcome::Completed);
  EXPECT_EQ(h.Toolkit.TextOf("Edit100"), "Selected file: first.zel");
}

TEST(ShownProgress, RunsFromNothingToTheWholeInTheOrderOfTheStages) {
  int before = -1;
  for (const AnalysisStage stage : {AnalysisStage::ReadingLog, AnalysisStage::IndexingStream,
                                    AnalysisStage::Passes, AnalysisStage::LinkReport}) {
    for (const std::uint64_t done : {0, 1, 50, 100}) {
      const AnalysisProgressShown shown = ShownProgress(stage, done, 100);
      EXPECT_GE(shown.PerMille, before);
      before = shown.PerMille;
    }
  }
  EXPECT_EQ(before, 1000);
  EXPECT_EQ(ShownProgress(AnalysisStage::ReadingLog, 350, 1000).Text, "Reading the log: 24 %");
  // Nothing known of the total yet, or more done than it: never past the stage.
  EXPECT_EQ(ShownProgress(AnalysisStage::ReadingLog, 5, 0).PerMille, 0);
  EXPECT_EQ(ShownProgress(AnalysisStage::ReadingLog, 9, 3).PerMille, 700);
}

// A build writes the demo log beside the programs; an installed program's
// directory holds none, and its user's logs are under the home directory.
TEST(OpenDialogStart, BesideTheProgramOnlyWhereTheDemoLogLies) {
  testdata::TempDir program;
  const std::string home = "/home/someone";
  EXPECT_EQ(OpenDialogStartDirectory(program.Directory(), home), home);
  std::ofstream(program.File(kDemoLogName)) << "demo";
  EXPECT_EQ(OpenDialogStartDirectory(program.Directory(), home), program.Directory());
  testdata::TempDir noHome;
  EXPECT_EQ(OpenDialogStartDirectory(noHome.Directory(), ""), noHome.Directory());
}

}  // namespace
}  // namespace pelorin
