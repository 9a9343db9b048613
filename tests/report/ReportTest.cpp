// The headless report command, run as a separate program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>

#include "cmr/EchoUnwrap.h"
#include "report/LinkText.h"
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
  EXPECT_NE(summary.Out.find("rover epochs: stopped after 2;"), std::string::npos) << summary.Out;
  EXPECT_NE(summary.Out.find("disagree on the number of GLONASS satellites: 2"), std::string::npos);
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

std::vector<std::string> CsvCells(const std::string& line) {
  std::vector<std::string> cells(1);
  for (const char c : line) {
    if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
    lines.push_back(text.substr(from, end - from));
  }
  return lines;
}

// Three logs side by side: a good hour, a day with a long outage, and no log
// at all. The table reads what the JSON of the same logs says, in the order
// given, and the exit status tells the failure, or with --check the verdict.
TEST(PelorinReport, TheTableOfManyLogsReadsTheirJsonFiguresInTheOrderGiven) {
  TempDir dir;
  testdata::RoverLogOptions good;
  good.Seconds = 900;
  good.FillerBytesPerEpoch = 8;
  good.WritePositions = true;
  testdata::RoverLogOptions outage = good;
  for (int second = 300; second < 400; ++second) outage.Gaps.insert(second);
  testdata::ZelLog().Raw(testdata::MakeRoverLog(good)).WriteTo(dir.File("good.zel"));
  testdata::ZelLog().Raw(testdata::MakeRoverLog(outage)).WriteTo(dir.File("outage.zel"));

  const ReportRun table = RunReport(dir, "--table good.zel outage.zel missing.zel");
  EXPECT_EQ(table.ExitStatus, 1) << table.Err;
  const std::vector<std::string> lines = Lines(table.Out);
  ASSERT_EQ(lines.size(), 4u) << table.Out;
  EXPECT_EQ(lines[0],
            "file,first_correction,last_correction,span_s,usable_percent,gaps,longest_outage_s,"
            "age_median_s,age_p95_s,age_max_s,common_median,bad_frames,stations,fixed_percent,"
            "verdict,failure");
  const ReportRun json = RunReport(dir, "--json --no-points good.zel outage.zel");
  ASSERT_EQ(json.ExitStatus, 0) << json.Err;
  const Json reports = testdata::JsonReader(json.Out).Document().value();
  for (std::size_t k = 0; k < 2; ++k) {
    const std::vector<std::string> row = CsvCells(lines[k + 1]);
    ASSERT_EQ(row.size(), 16u) << lines[k + 1];
    const Json& verdict = reports[k]["verdict"];
    const Json& f = verdict["figures"];
    EXPECT_EQ(row[0], k == 0 ? "good.zel" : "outage.zel");
    EXPECT_EQ(row[1], report::DateTimeText(f["firstCorrection"].Number));
    EXPECT_EQ(row[2], report::DateTimeText(f["lastCorrection"].Number));
    EXPECT_DOUBLE_EQ(std::stod(row[3]), f["spanSeconds"].Number);
    EXPECT_NEAR(std::stod(row[4]), f["usablePercent"].Number, 0.005);
    EXPECT_EQ(std::stod(row[5]), f["gaps"].Number);
    EXPECT_EQ(std::stod(row[6]),
              f["longestOutage"].Kind == Json::Type::Null ? 0 : f["longestOutage"].Number);
    EXPECT_NEAR(std::stod(row[9]), f["ageMax"].Number, 0.0005);
    EXPECT_NEAR(std::stod(row[10]), f["commonMedian"].Number, 0.05);
    EXPECT_EQ(std::stod(row[12]), f["stations"].Number);
    EXPECT_NEAR(std::stod(row[13]), f["fixedPercent"].Number, 0.005);
    EXPECT_EQ(row[14], verdict["grade"].Text);
    EXPECT_EQ(row[15], "");
  }
  EXPECT_EQ(CsvCells(lines[1])[14], "good");
  EXPECT_EQ(CsvCells(lines[2])[14], "poor");
  const std::vector<std::string> missing = CsvCells(lines[3]);
  EXPECT_EQ(missing[0], "missing.zel");
  EXPECT_EQ(missing[14], "");
  EXPECT_EQ(missing[15], "cannot read it: No such file or directory");

  EXPECT_EQ(RunReport(dir, "--check good.zel").ExitStatus, 0);
  EXPECT_EQ(RunReport(dir, "--check good.zel outage.zel").ExitStatus, 4);
  EXPECT_EQ(RunReport(dir, "--table --check good.zel outage.zel missing.zel").ExitStatus, 4);
  EXPECT_EQ(
      RunReport(dir, "--check --max-outage 100 --min-available 90 good.zel outage.zel").ExitStatus,
      0);
  // 90 of the 100 seconds of the outage had no usable correction.
  const ReportRun poor = RunReport(dir, "outage.zel");
  EXPECT_NE(poor.Out.find("\n  verdict: poor: usable corrections 90 % of 15 min 00 s (limit 95 %); "
                          "longest outage 100 s at 10:05:00 (limit 30 s); RTK fixed 100 %; limits: "
                          "age 10 s, common 5, available 95 %, outage 30 s\n"),
            std::string::npos)
      << poor.Out;
}

// Across the midnight of the leap second at the end of 2008: GPS runs 14 s
// ahead of UTC before it and 15 s after. Each clock tells the same instants,
// and a GLONASS outage reads as the GPS one does.
TEST(PelorinReport, EveryClockTellsTheSameInstantsAcrossALeapSecondMidnight) {
  TempDir dir;
  testdata::RoverLogOptions options;
  options.Year = 2008;
  options.Month = 12;
  options.Day = 31;
  options.StartMsOfDay = (23 * 3600 + 50 * 60) * 1000;  // 23:50:00 GPS
  options.Seconds = 1200;
  options.FillerBytesPerEpoch = 8;
  options.Gaps = {300, 301, 302};  // 23:55:00 GPS
  testdata::ZelLog().Raw(testdata::MakeRoverLog(options)).WriteTo(dir.File("newyear.zel"));

  const auto row = [&dir](const std::string& clock) {
    const ReportRun run = RunReport(dir, "--table --clock " + clock + " newyear.zel");
    EXPECT_EQ(run.ExitStatus, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    return lines.size() == 2 ? CsvCells(lines[1]) : std::vector<std::string>(16);
  };
  EXPECT_EQ(row("gps")[1], "2008-12-31 23:50:00");
  EXPECT_EQ(row("gps")[2], "2009-01-01 00:09:59");
  EXPECT_EQ(row("utc")[1], "2008-12-31 23:49:46");
  EXPECT_EQ(row("utc")[2], "2009-01-01 00:09:44");
  setenv("TZ", "UTC-2", 1);  // two hours east of Greenwich
  EXPECT_EQ(row("local")[1], "2009-01-01 01:49:46");
  unsetenv("TZ");

  const ReportRun summary = RunReport(dir, "--clock utc newyear.zel");
  for (const char* system : {"link GPS", "link GLONASS"}) {
    const std::size_t at = summary.Out.find(system);
    ASSERT_NE(at, std::string::npos) << summary.Out;
    EXPECT_EQ(summary.Out.find("gaps:", at),
              summary.Out.find("gaps: 1; longest 3 s from 2008-12-31 23:54:46\n", at))
        << system << "\n"
        << summary.Out;
  }
  EXPECT_EQ(RunReport(dir, "--clock moon newyear.zel").ExitStatus, 2);
}

TEST(PelorinReport, VersionAndOptionsThatDoNotGoTogether) {
  TempDir dir;
  const ReportRun version = RunReport(dir, "--version");
  EXPECT_EQ(version.ExitStatus, 0);
  EXPECT_EQ(version.Out.rfind("pelorin-report ", 0), 0u) << version.Out;
  for (const char* bad :
       {"--no-points x.zel", "--table --json x.zel", "--table --sequence x.zel",
        "--min-common 2.5 x.zel", "--min-available 101 x.zel", "--max-outage 0 x.zel"}) {
    EXPECT_EQ(RunReport(dir, bad).ExitStatus, 2) << bad;
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
