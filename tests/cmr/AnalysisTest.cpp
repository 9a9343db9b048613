#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/AnalysisHarness.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::Bytes;
using testdata::LogCarrying;
using testdata::ReadFileBytes;
using testdata::ZelLog;

const ShownMessage kHeadWarning{
    " Cannot find the 'CMR messages are on' flag in the file header.\n\n"
    " Selected file may have no CMR messages in it.",
    "Warning", MessageIcon::Exclamation};
const ShownMessage kNoTime{"Cannot find absolute time in selected file!", "Fatal error",
                           MessageIcon::Stop};
const ShownMessage kEnveloped{"Input file appears to contain 'enveloped' wrapped echo messages!",
                              "Warning", MessageIcon::Information};

// GPS and GLONASS observables, a position and a description of station 2.
Bytes SampleStream(int gpsMessages = 3) {
  Bytes stream;
  for (int k = 0; k < gpsMessages; ++k) {
    const Bytes gps = testdata::CmrFrame(
        testdata::ObsMessage({2, 0, 0, 1000 * (k + 1), {{5}, {6, true, false}}, {}}));
    stream.insert(stream.end(), gps.begin(), gps.end());
  }
  return testdata::Concat(
      {stream, testdata::CmrFrame(testdata::ObsMessage({2, 3, 0, 500, {{4}}, {}})),
       testdata::CmrFrame(testdata::Type1Message(
           2, 12, {1'126'674'412, -4'357'871'711, 4'503'860'481, 1500, 0, 0})),
       testdata::CmrFrame(testdata::Type2Message(2, 12, "PELO", "COGO", "Long"))});
}

ZelLog WithoutTime(const Bytes& stream) {
  ZelLog log;
  log.HeadText().Raw("\r\n").EchoStream(stream);
  return log;
}

TEST(OpenAndAnalyse, CompletesAndShowsTheChosenFileName) {
  AnalysisHarness h;
  EXPECT_EQ(h.Open(LogCarrying(SampleStream()), "base.ZEL"), AnalysisOutcome::Completed);
  EXPECT_TRUE(h.Toolkit.Messages.empty());
  EXPECT_EQ(h.Toolkit.TextOf("Edit100"), "Selected file: base.ZEL");
  EXPECT_TRUE(h.Toolkit.Control("Edit100").Visible);
  EXPECT_EQ(h.State.Store.SelectedLogPath, h.Dir.File("base.ZEL"));
  EXPECT_EQ(h.Toolkit.TextOf("Edit2"), "Type 0: 3");
  EXPECT_EQ(h.Toolkit.TextOf("Edit5"), "Type 3: 1");
  EXPECT_DOUBLE_EQ(h.State.Store.LogStartTime, testdata::kLogDate + 36'090.0 / 86'400);
  for (const char* box : {"Edit1", "Edit6", "Edit7"})
    EXPECT_FALSE(h.Toolkit.Control(box).ShowHint) << box;
}

TEST(OpenAndAnalyse, WarnsWhenTheHeadLacksTheCmrOnFlagAndGoesOn) {
  AnalysisHarness h;
  ZelLog log;
  log.ReceiverDate(2009, 6, 15).ReceiverTime(36'000'000).EchoStream(SampleStream());
  for (std::uint32_t ms : {36'001'000u, 36'002'000u, 36'003'000u}) log.ReceiverTime(ms);
  EXPECT_EQ(h.Open(log), AnalysisOutcome::Completed);
  EXPECT_EQ(h.Toolkit.Messages, std::vector<ShownMessage>{kHeadWarning});
  EXPECT_EQ(h.State.Store.Type0Count, 3);
}

TEST(OpenAndAnalyse, SearchesOnlyTheFirst100000BytesForTheFlag) {
  const std::string flag(testdata::kHeadText);
  for (const std::size_t before : {100'000 - flag.size(), 100'001 - flag.size()}) {
    AnalysisHarness h;
    ZelLog log;
    // Zero bytes in the head read as '_' and do not end the search.
    log.Raw(Bytes(before, 0x00)).HeadText().ReceiverDate(2009, 6, 15).ReceiverTime(0);
    h.Open(log);
    const bool flagInside = before + flag.size() <= 100'000;
    const auto& shown = h.Toolkit.Messages;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), kHeadWarning) == 0, flagInside) << before;
  }
}

TEST(OpenAndAnalyse, StopsWithoutAbsoluteTimeLeavingCountsAtZero) {
  AnalysisHarness h;
  ASSERT_EQ(h.Open(LogCarrying(SampleStream())), AnalysisOutcome::Completed);
  const StationCoordinates type1 = h.State.Store.Type1Coordinates;
  const auto contents = ReadFileBytes(h.ContentsPath());

  EXPECT_EQ(h.Open(WithoutTime(SampleStream(5)), "notime.zel"), AnalysisOutcome::StoppedAtFatal);
  EXPECT_EQ(h.Toolkit.Messages, std::vector<ShownMessage>{kNoTime});
  const DecodedStore& s = h.State.Store;
  EXPECT_EQ(s.Type0Count + s.Type1Count + s.Type2Count + s.Type3Count + s.CmrPlusCount, 0);
  EXPECT_EQ(s.AntennaTypeTally[12], 0);
  EXPECT_EQ(s.Type1Coordinates, type1);
  EXPECT_EQ(ReadFileBytes(h.ContentsPath()), contents);  // nothing written after the probe
  EXPECT_EQ(h.Toolkit.TextOf("Edit100"), "Selected file: notime.zel");
}

TEST(OpenAndAnalyse, EmptyTinyAndMissingFilesStopAtTheProbe) {
  {
    AnalysisHarness h;
    EXPECT_EQ(h.Open(ZelLog(), "empty.zel"), AnalysisOutcome::StoppedAtFatal);
    EXPECT_EQ(h.Toolkit.Messages, (std::vector<ShownMessage>{kHeadWarning, kNoTime}));
  }
  {
    AnalysisHarness h;
    EXPECT_EQ(h.Open(ZelLog().Raw(">>000C"), "six.zel"), AnalysisOutcome::StoppedAtFatal);
    EXPECT_EQ(h.Toolkit.Messages, (std::vector<ShownMessage>{kHeadWarning, kNoTime}));
  }
  {
    // A file that cannot be read is reported by the probe alone.
    AnalysisHarness h;
    EXPECT_EQ(h.Choose(h.Dir.File("missing.zel")), AnalysisOutcome::StoppedAtFatal);
    EXPECT_EQ(h.Toolkit.Messages, std::vector<ShownMessage>{kNoTime});
    EXPECT_FALSE(std::filesystem::exists(h.ContentsPath()));
  }
}

TEST(OpenAndAnalyse, CancelWithoutEarlierFileDoesNothing) {
  AnalysisHarness h;
  h.Toolkit.Control("Edit100").Visible = false;
  EXPECT_EQ(h.Choose(std::nullopt), AnalysisOutcome::NoFile);
  EXPECT_TRUE(h.Toolkit.Messages.empty());
  EXPECT_EQ(h.Toolkit.TextOf("Edit100"), " SELECTED FILE: ");
  EXPECT_FALSE(h.Toolkit.Control("Edit100").Visible);
  EXPECT_EQ(h.Toolkit.TextOf("Edit2"), "");
  EXPECT_FALSE(std::filesystem::exists(h.ContentsPath()));
}

TEST(OpenAndAnalyse, CancelAfterAnEarlierFileAnalysesItAgain) {
  AnalysisHarness h;
  ASSERT_EQ(h.Open(LogCarrying(SampleStream(3))), AnalysisOutcome::Completed);
  LogCarrying(SampleStream(7)).WriteTo(h.Dir.File("rover.zel"));
  EXPECT_EQ(h.Choose(std::nullopt), AnalysisOutcome::Completed);
  EXPECT_EQ(h.State.Store.Type0Count, 7);
  EXPECT_EQ(h.Toolkit.TextOf("Edit100"), "Selected file: rover.zel");
}

TEST(OpenAndAnalyse, WritesTheUnwrappedStreamAndOnlyReadsTheLog) {
  AnalysisHarness h;
  // Long enough to need several echo records, with frames cut across them.
  const Bytes stream = SampleStream(400);
  const ZelLog log = LogCarrying(stream);
  ASSERT_GT(stream.size(), 3 * 4092u);
  ASSERT_EQ(h.Open(log), AnalysisOutcome::Completed);
  EXPECT_EQ(ReadFileBytes(h.ContentsPath()), stream);
  EXPECT_EQ(h.State.Store.CmrStreamLength, stream.size());
  ASSERT_TRUE(h.State.LastCmrStream());  // kept for the window's export
  EXPECT_TRUE(std::ranges::equal(*h.State.LastCmrStream(), stream));
  EXPECT_EQ(ReadFileBytes(h.Dir.File("rover.zel")), log.bytes());
  EXPECT_EQ(h.State.Store.Type0Count, 400);
}

// The stream replaces the previous one whole, never in place: a program
// still reading the old file (a link to it here) keeps what it read, and a
// write that fails leaves the old one and no stray file behind.
TEST(OpenAndAnalyse, ContentsReplaceThePreviousStreamWhole) {
  AnalysisHarness h;
  ASSERT_EQ(h.Open(LogCarrying(SampleStream(3))), AnalysisOutcome::Completed);
  const std::string reader = h.Dir.File("still-reading.cmr");
  std::filesystem::create_hard_link(h.ContentsPath(), reader);
  ASSERT_EQ(h.Open(LogCarrying(SampleStream(9))), AnalysisOutcome::Completed);
  EXPECT_EQ(ReadFileBytes(h.ContentsPath()), SampleStream(9));
  EXPECT_EQ(ReadFileBytes(reader), SampleStream(3));

  // A directory in its place cannot be replaced by a file.
  std::filesystem::remove(h.ContentsPath());
  std::filesystem::create_directory(h.ContentsPath());
  ASSERT_EQ(h.Open(LogCarrying(SampleStream(4))), AnalysisOutcome::Completed);
  EXPECT_TRUE(std::filesystem::is_directory(h.ContentsPath()));
  EXPECT_FALSE(h.State.LastResult->Notes.Contents.Written);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(h.Dir.Directory())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"contents.cmr", "rover.zel", "still-reading.cmr"}));
}

TEST(OpenAndAnalyse, ContentsGoToTheProgramDirectoryByDefault) {
  AnalysisHarness h;
  InitialiseSharedState(h.State, h.Dir.File("pelorin"));
  LogCarrying(SampleStream()).WriteTo(h.Dir.File("rover.zel"));
  h.Toolkit.NextDialogPath = h.Dir.File("rover.zel");
  ASSERT_EQ(OpenAndAnalyse(h.State, h.Toolkit, h.Charts), AnalysisOutcome::Completed);
  EXPECT_EQ(ReadFileBytes(h.Dir.File("contents.cmr")), SampleStream());
}

TEST(OpenAndAnalyse, EndsWithTheEpochScanOfTheSameLog) {
  AnalysisHarness h;
  ZelLog log = LogCarrying(SampleStream());
  log.SatelliteIndex({5, 6});  // in the last epoch, which is never analysed
  ASSERT_EQ(h.Open(log), AnalysisOutcome::Completed);
  EXPECT_TRUE(h.Charts.At(GnssSystem::Gps, 5).Points.empty());
  EXPECT_EQ(h.State.LastResult->Scan.EpochsScanned, 3u);

  // The records in an analysed epoch track PRNs 5 and 6 from then on.
  ZelLog tracked;
  tracked.Raw("ZEL\r\n").HeadText().ReceiverDate(2009, 6, 15).ReceiverTime(36'000'000);
  tracked.SatelliteIndex({5, 6}).EchoStream(SampleStream());
  for (std::uint32_t k = 1; k <= 3; ++k) tracked.ReceiverTime(36'000'000 + 1000 * k);
  ASSERT_EQ(h.Open(tracked), AnalysisOutcome::Completed);
  EXPECT_EQ(h.Charts.At(GnssSystem::Gps, 5).Points.size(), 6u);
  EXPECT_TRUE(h.State.LastResult->Scan.Completed);
}

TEST(OpenAndAnalyse, AStoppedEpochScanKeepsTheTimeLineAndAddsNoTrackedPoint) {
  AnalysisHarness h;
  ZelLog log = LogCarrying(SampleStream());
  log.SatelliteIndex({5});
  log.ReceiverTime(0xFFFFFFFF).ReceiverTime(0).ReceiverTime(1000);
  EXPECT_EQ(h.Open(log), AnalysisOutcome::ScanStopped);
  ASSERT_EQ(h.Toolkit.Messages.size(), 1u);
  EXPECT_EQ(h.Toolkit.Messages[0].Caption, "Fatal Error");
  EXPECT_EQ(h.Charts.At(GnssSystem::Gps, 1).Points.size(), 2u);
  EXPECT_TRUE(h.Charts.At(GnssSystem::Gps, 5).Points.empty());
  EXPECT_TRUE(h.Charts.At(GnssSystem::Glonass, 5).Points.empty());
  EXPECT_EQ(h.Toolkit.TextOf("Edit2"), "Type 0: 3");
  EXPECT_FALSE(h.Toolkit.BusyCursor);
  EXPECT_FALSE(h.State.LastResult->Scan.Completed);
}

TEST(OpenAndAnalyse, EnvelopedEchoesWarnAndKeepOnlyTheNestedPayloads) {
  AnalysisHarness h;
  ZelLog log = LogCarrying({});
  log.Echo(testdata::EchoRecord(SampleStream(), 'c'));
  ASSERT_EQ(h.Open(log), AnalysisOutcome::Completed);
  EXPECT_EQ(h.Toolkit.Messages, std::vector<ShownMessage>{kEnveloped});
  EXPECT_EQ(ReadFileBytes(h.ContentsPath()), SampleStream());
  EXPECT_EQ(h.State.Store.Type0Count, 3);
}

}  // namespace
}  // namespace pelorin
