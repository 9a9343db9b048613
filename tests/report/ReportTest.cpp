// The headless report command, run as a separate program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>

#include "cmr/EchoUnwrap.h"
#include "tests/support/AnalysisHarness.h"
#include "tests/support/LogInMemory.h"
#include "tests/support/ReportRun.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::Json;
using testdata::OnlyReport;
using testdata::ReadFileBytes;
using testdata::ReportRun;
using testdata::RunReport;
using testdata::TempDir;

TEST(PelorinReport, JsonOfARoverLogWithAGap) {
  TempDir dir;
  testdata::RoverLogOptions options;
  options.Seconds = 300;
  options.Gaps = {100, 101};
  options.FillerBytesPerEpoch = 20;
  Bytes log = testdata::MakeRoverLog(options);
  testdata::ZelLog().Raw(log).WriteTo(dir.File("rover.zel"));

  const ReportRun run = RunReport(
      dir, "--json --cmr-out '" + dir.File("c.cmr") + "' '" + dir.File("rover.zel") + "'");
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const Json report = OnlyReport(run);
  ASSERT_EQ(report.Kind, Json::Type::Object);
  for (const char* key : {"file", "completed", "messages", "window", "store", "series", "views"}) {
    EXPECT_EQ(report.Members.count(key), 1u) << key;
  }
  EXPECT_TRUE(report["completed"].Boolean);
  EXPECT_TRUE(report["messages"].Items.empty());

  const std::map<std::string, std::string> window{{"Edit2", "Type 0: 298"},
                                                  {"Edit3", "Type 1: 30"},
                                                  {"Edit4", "Type 2: 10"},
                                                  {"Edit5", "Type 3: 298"},
                                                  {"Edit8", "         Scrolling Station Info: 298"},
                                                  {"Edit12", "7"},
                                                  {"Edit13", "12"},
                                                  {"Edit14", "PELO"},
                                                  {"Edit15", "BASE-NORTH-01"},
                                                  {"Edit16", "Pelorin demo reference station"},
                                                  {"Edit100", "Selected file: rover.zel"}};
  for (const auto& [box, text] : window) EXPECT_EQ(report["window"][box].Text, text) << box;

  const Json& store = report["store"];
  EXPECT_EQ(store["Type0Count"].Number, 298);
  EXPECT_EQ(store["CmrPlusCount"].Number, 298);
  EXPECT_EQ(store["ReferenceStationId"].Number, 7);
  EXPECT_NEAR(store["LogStartTime"].Number, testdata::kLogDate + 10.0 / 24, 1e-9);
  EXPECT_TRUE(store["StationInfoComplete"].Boolean);
  EXPECT_DOUBLE_EQ(store["Type1Coordinates"][0].Number, 1'126'674.412);

  for (const char* system : {"gps", "gln"}) {
    const Json& series = report["series"][system];
    EXPECT_EQ(series["Series1"].Items.size(), 297u) << system;
    ASSERT_EQ(series["Series3"].Items.size(), 2u) << system;  // seconds 100 and 101
    EXPECT_EQ(series["Series3"][0][1].Number, -1);
    EXPECT_EQ(series["Series3"][0][2].Number, 0xFF0000);
    EXPECT_FALSE(report["series"]["active"][system]["Series3"].Boolean);
    EXPECT_TRUE(report["series"]["active"][system]["Series1"].Boolean);
  }
  EXPECT_EQ(report["views"]["Edit3Click"].Kind, Json::Type::Object);

  // 300 receiver times make 299 epochs, each tracking 9 GPS satellites and
  // 7 GLONASS slots; a GLONASS point stands 3 h less 15 leap seconds later.
  EXPECT_EQ(report["GlnTotalsMismatchEpochs"].Number, 0);
  const Json& gpsTracked = report["series"]["gps"]["Series5"];
  const Json& glnTracked = report["series"]["gln"]["Series5"];
  ASSERT_EQ(gpsTracked.Items.size(), 299u * 9);
  ASSERT_EQ(glnTracked.Items.size(), 299u * 7);
  EXPECT_DOUBLE_EQ(gpsTracked[0][0].Number, testdata::kLogDate + 10.0 / 24);
  EXPECT_EQ(gpsTracked[0][2].Number, 0xFF0000);
  EXPECT_DOUBLE_EQ(glnTracked[0][0].Number, gpsTracked[0][0].Number + 10'785.0 / 86'400);
  EXPECT_EQ(glnTracked[0][1].Number, 1);
  EXPECT_EQ(glnTracked[0][2].Number, 0x00FFFF);

  // The link report: the two missing seconds as one gap in each system.
  const Json& link = report["link"];
  for (const char* key : {"span", "gaps", "age", "satellites", "common", "integrity", "stations",
                          "positionChanges", "type1VsInfoMetres"}) {
    EXPECT_EQ(link.Members.count(key), 1u) << key;
  }
  for (const char* system : {"gps", "gln"}) {
    ASSERT_EQ(link["gaps"][system].Items.size(), 1u) << system;
    EXPECT_EQ(link["gaps"][system][0][2].Number, 2);
    EXPECT_EQ(link["span"][system]["seconds"].Number, 298);
    EXPECT_EQ(link["age"][system]["count"].Number, 298);
    EXPECT_EQ(link["age"][system]["max"].Number, 0);
  }
  EXPECT_EQ(link["integrity"]["badFrames"].Number, 0);

  // Without the points, every other key stays and the series give their counts.
  const ReportRun lean = RunReport(dir, "--json --no-points '" + dir.File("rover.zel") + "'");
  const Json leanReport = OnlyReport(lean);
  EXPECT_EQ(leanReport["series"].Members.count("gps"), 0u);
  EXPECT_EQ(leanReport["series"]["counts"]["gps"]["Series1"].Number, 297);
  EXPECT_EQ(leanReport["link"]["gaps"]["gps"].Items.size(), 1u);
  EXPECT_EQ(leanReport["store"]["Type0Count"].Number, 298);

  // --cmr-out receives the unwrapped stream.
  const Bytes contents = ReadFileBytes(dir.File("c.cmr")).value_or(Bytes{});
  EXPECT_TRUE(std::ranges::equal(contents, UnwrapLog(log).CmrStream));
  EXPECT_EQ(store["CmrStreamLength"].Number, static_cast<double>(contents.size()));
}

TEST(PelorinReport, JsonIsUtf8WithQuotesBackslashesAndLatin1BytesReadAsText) {
  TempDir dir;
  const testdata::StationInfoContent info{0, {}, "S", "C", "caf\xe9"};
  Bytes stream;
  for (const Bytes& page : testdata::StationInfoPages(0, testdata::StationInfoBlock(info), 57)) {
    stream.insert(stream.end(), page.begin(), page.end());
  }
  testdata::LogCarrying(testdata::Concat({stream, testdata::CmrFrame(testdata::Type2Message(
                                                      0, 0, "Q\"B\\S", "tab\there", "x"))}))
      .WriteTo(dir.File("odd.zel"));
  const ReportRun run =
      RunReport(dir, "--json --cmr-out '" + dir.File("c.cmr") + "' '" + dir.File("odd.zel") + "'");
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const Json report = OnlyReport(run);
  const Json& store = report["store"];
  EXPECT_EQ(store["Type2ShortId"].Text, "Q\"B\\S");
  EXPECT_EQ(store["Type2CogoCode"].Text, "tab\there");
  EXPECT_EQ(store["InfoLongId"].Text, "caf\xC3\xA9");  // Latin-1 e acute, as UTF-8
}

TEST(PelorinReport, LogWithoutTimeExitsWithOneAndTheFatalMessage) {
  TempDir dir;
  testdata::ZelLog log;
  log.HeadText().Echo(testdata::CmrFrame(testdata::ObsMessage({0, 0, 0, 0, {{1}}, {}})));
  log.WriteTo(dir.File("notime.zel"));
  const ReportRun run = RunReport(
      dir, "--json --cmr-out '" + dir.File("c.cmr") + "' '" + dir.File("notime.zel") + "'");
  EXPECT_EQ(run.ExitStatus, 1);
  const Json report = OnlyReport(run);
  EXPECT_FALSE(report["completed"].Boolean);
  ASSERT_EQ(report["messages"].Items.size(), 1u);
  EXPECT_EQ(report["messages"][0]["caption"].Text, "Fatal error");
  EXPECT_EQ(report["messages"][0]["text"].Text, "Cannot find absolute time in selected file!");
  EXPECT_EQ(report["messages"][0]["icon"].Text, "stop");
}

TEST(PelorinReport, AStoppedEpochScanIsNotCompletedAndItsMessagesFollowTheAnalysis) {
  TempDir dir;
  testdata::ZelLog log;  // no CMR-on flag in its head
  log.ReceiverDate(2009, 6, 15);
  for (std::uint32_t k = 0; k < 2; ++k) {
    // Five GLONASS satellites against four slots.
    log.ReceiverTime(36'000'000 + 1000 * k).SatelliteIndex({3, 40, 41, 42, 43, 44});
    log.GlonassNumbers({1, 2, 3, 4});
  }
  log.ReceiverTime(86'400'000).ReceiverTime(0).ReceiverTime(1000);
  log.WriteTo(dir.File("stops.zel"));

  const ReportRun run = RunReport(
      dir, "--json --cmr-out '" + dir.File("c.cmr") + "' '" + dir.File("stops.zel") + "'");
  EXPECT_EQ(run.ExitStatus, 1);
  const Json report = OnlyReport(run);
  EXPECT_FALSE(report["completed"].Boolean);
  EXPECT_EQ(report["GlnTotalsMismatchEpochs"].Number, 2);
  const Json& messages = report["messages"];
  ASSERT_EQ(messages.Items.size(), 3u);
  EXPECT_EQ(messages[0]["caption"].Text, "Warning");
  EXPECT_EQ(messages[1]["text"].Text,
            "Totals of GLN satellites specified in [SI] and [NN] are different!");
  EXPECT_EQ(messages[2]["caption"].Text, "Fatal Error");
  EXPECT_EQ(messages[2]["icon"].Text, "information");
  EXPECT_TRUE(report["series"]["gps"]["Series5"].Items.empty());
  EXPECT_EQ(report["window"]["Edit2"].Text, "Type 0: 0");

  const ReportRun summary =
      RunReport(dir, "--cmr-out '" + dir.File("c.cmr") + "' '" + dir.File("stops.zel") + "'");
  EXPECT_EQ(summary.ExitStatus, 1);
  EXPECT_NE(summary.Out.find("epoch scan: stopped after 2 epochs"), std::string::npos)
      << summary.Out;
  EXPECT_NE(summary.Out.find("[NN] GLONASS totals differ: 2"), std::string::npos);
}

TEST(PelorinReport, JsonShowsMessagesAfterALongOutageAtTheirArrival) {
  TempDir dir;
  testdata::RoverLogOptions options;
  options.Seconds = 700;
  options.FillerBytesPerEpoch = 8;
  for (int s = 100; s < 520; ++s) options.Gaps.insert(s);  // 7 minutes without corrections
  testdata::ZelLog().Raw(testdata::MakeRoverLog(options)).WriteTo(dir.File("outage.zel"));
  const ReportRun run = RunReport(
      dir, "--json --cmr-out '" + dir.File("c.cmr") + "' '" + dir.File("outage.zel") + "'");
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const Json report = OnlyReport(run);
  const Json& totals = report["series"]["gps"]["Series1"];
  ASSERT_EQ(totals.Items.size(), 700u - 420 - 1);
  EXPECT_NEAR(totals[99][0].Number, testdata::kLogDate + (36'000.0 + 520) / 86'400, 1e-8);
  EXPECT_EQ(report["series"]["gps"]["Series3"].Items.size(), 420u);
}

// A link that delivers every correction 4 s late and a rover that loses its
// fix for 10 s: the age limit decides whose fault it was.
TEST(PelorinReport, TheSolutionsLossIsTheLinksOrTheRoversByTheAgeLimit) {
  TempDir dir;
  testdata::RoverLogOptions options;
  options.Seconds = 120;
  options.FillerBytesPerEpoch = 8;
  options.WritePositions = true;
  for (int second = 0; second < 120; ++second) options.LateSeconds[second] = 4;
  options.SolutionFrom = {{60, 3}, {70, 4}};
  testdata::ZelLog().Raw(testdata::MakeRoverLog(options)).WriteTo(dir.File("late.zel"));

  const auto causeWith = [&dir](const std::string& limit) {
    const ReportRun run = RunReport(dir, "--json " + limit + " late.zel");
    EXPECT_EQ(run.ExitStatus, 0) << run.Err;
    const Json report = OnlyReport(run);
    const Json& solution = report["solution"];
    EXPECT_EQ(solution["epochs"]["rtkFloat"].Number, 10);
    EXPECT_EQ(solution["points"].Items.size(), 120u);
    EXPECT_EQ(solution["losses"].Items.size(), 1u);
    EXPECT_EQ(solution["losses"][0][1].Number, 10);
    EXPECT_EQ(solution["losses"][0][2].Number, 3);
    return solution["losses"][0][3].Text;
  };
  EXPECT_EQ(causeWith(""), "at the rover");
  EXPECT_EQ(causeWith("--max-age 3.5"), "corrections missing");

  const ReportRun summary = RunReport(dir, "late.zel");
  EXPECT_NE(summary.Out.find("rover solution: RTK fixed 91.7 % of 2 min 00 s; fix lost 1 time: "
                             "10:01:00 for 10 s (to RTK float), at the rover\n"),
            std::string::npos)
      << summary.Out;
  for (const char* bad : {"--max-age 0", "--max-age -2", "--max-age ten", "--max-age"}) {
    EXPECT_EQ(RunReport(dir, std::string(bad) + " late.zel").ExitStatus, 2) << bad;
  }
}

TEST(PelorinReport, NoLogIsAUsageError) {
  TempDir dir;
  const ReportRun run = RunReport(dir, "--json");
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_TRUE(run.Out.empty());
  EXPECT_NE(run.Err.find("usage"), std::string::npos);
}

}  // namespace
}  // namespace pelorin

namespace pelorin {
namespace {

// The whole JSON report of a small log, character for character: any change
// of the analysis or of the report's form shows here first. Regenerate with
// PELORIN_UPDATE_GOLDEN=1 after a change that is meant.
TEST(ReportGolden, SmallRoverLogReportsAsBefore) {
  testdata::TempDir dir;
  testdata::RoverLogOptions options;
  options.Seconds = 8;
  options.FillerBytesPerEpoch = 4;
  options.Gaps = {3, 4};
  options.Type1Every = 3;
  options.Type2Every = 2;
  testdata::ZelLog log;
  log.Raw(testdata::MakeRoverLog(options));
  log.WriteTo(dir.File("small.ZEL"));
  const std::string command = "cd '" + dir.Directory() + "' && '" + PELORIN_REPORT_PATH +
                              "' --json --cmr-out contents.cmr small.ZEL > report.json";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto report = testdata::ReadFileBytes(dir.File("report.json"));
  ASSERT_TRUE(report);

  const std::string golden =
      std::string(PELORIN_SOURCE_DIR) + "/tests/report/golden/small-report.json";
  if (std::getenv("PELORIN_UPDATE_GOLDEN")) {
    std::ofstream(golden, std::ios::binary)
        .write(reinterpret_cast<const char*>(report->data()),
               static_cast<std::streamsize>(report->size()));
  }
  const auto expected = testdata::ReadFileBytes(golden);
  ASSERT_TRUE(expected) << golden;
  EXPECT_EQ(std::string(report->begin(), report->end()),
            std::string(expected->begin(), expected->end()));
}

}  // namespace
}  // namespace pelorin
