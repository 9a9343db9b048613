// Whatever a field crew copied off a rover: files that are no logs, logs that
// change while read, outputs that cannot be written. Nothing may crash, hang
// or touch the log, and a script must be told what went wrong.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "log/ZelRecords.h"
#include "tests/support/AnalysisHarness.h"
#include "tests/support/ReportRun.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::Bytes;
using testdata::OnlyReport;
using testdata::ReadFileBytes;
using testdata::RunReport;
using testdata::TempDir;
using testdata::ZelLog;

Bytes SmallRoverLog(int seconds = 20) {
  testdata::RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = 16;
  return testdata::MakeRoverLog(options);
}

void Write(const std::string& path, const Bytes& bytes) {
  ZelLog().Raw(bytes).WriteTo(path);
}

TEST(UntrustedInput, PathsThatAreNoLogsEndQuicklyWithTheReasonAndExitOne) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("a-directory"));
  std::filesystem::create_symlink(dir.File("gone"), dir.File("dangling"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  Write(dir.File("empty.zel"), {});
  Write(dir.File("zeros.zel"), Bytes(100'000, 0));
  Bytes random(200'000);
  std::mt19937 generator(3);
  for (auto& b : random) b = static_cast<std::uint8_t>(generator());
  Write(dir.File("random.zel"), random);

  struct Case {
    std::string Path;
    std::string Reason;  // on standard error; empty when the file is readable
  };
  const Case cases[] = {
      {dir.File("missing.zel"), "No such file or directory"},
      {dir.File("a-directory"), "Is a directory"},
      {dir.File("dangling"), "No such file or directory"},
      {dir.File("fifo"), "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {"/dev/urandom", "not a regular file"},
      {dir.File("empty.zel"), ""},
      {dir.File("zeros.zel"), ""},
      {dir.File("random.zel"), ""},
  };
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const auto run = RunReport(dir, "--json '" + c.Path + "'");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.Path;
    EXPECT_EQ(run.ExitStatus, 1) << c.Path;
    const auto report = OnlyReport(run);
    EXPECT_FALSE(report["completed"].Boolean) << c.Path;
    // The window's own message for a log without absolute time stays.
    EXPECT_EQ(report["messages"].Items.back()["text"].Text,
              "Cannot find absolute time in selected file!")
        << c.Path;
    if (c.Reason.empty()) {
      EXPECT_TRUE(run.Err.empty()) << c.Path << ": " << run.Err;
    } else {
      EXPECT_NE(run.Err.find(c.Reason), std::string::npos) << c.Path << ": " << run.Err;
    }
  }
}

TEST(UntrustedInput, AFileWithoutReadPermissionIsReportedWithItsReason) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TempDir dir;
  Write(dir.File("locked.zel"), SmallRoverLog());
  chmod(dir.File("locked.zel").c_str(), 0);
  const auto run = RunReport(dir, "'" + dir.File("locked.zel") + "'");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_NE(run.Err.find("Permission denied"), std::string::npos) << run.Err;
}

TEST(UntrustedInput, UsageErrorsExitTwoBeforeAnythingIsAnalysed) {
  TempDir dir;
  Write(dir.File("rover.zel"), SmallRoverLog());
  std::filesystem::create_hard_link(dir.File("rover.zel"), dir.File("same-file.cmr"));
  const Bytes before = *ReadFileBytes(dir.File("rover.zel"));

  for (const std::string arguments :
       {"--frobnicate rover.zel", "", "''", "--cmr-out", "--cmr-out rover.zel rover.zel",
        "--cmr-out same-file.cmr rover.zel", "--json other.zel --cmr-out ./rover.zel rover.zel"}) {
    const auto run = RunReport(dir, arguments);
    EXPECT_EQ(run.ExitStatus, 2) << arguments;
    EXPECT_TRUE(run.Out.empty()) << arguments;
    EXPECT_NE(run.Err.find("usage:"), std::string::npos) << arguments;
  }
  EXPECT_EQ(*ReadFileBytes(dir.File("rover.zel")), before);

  const auto help = RunReport(dir, "--help");
  EXPECT_EQ(help.ExitStatus, 0);
  EXPECT_NE(help.Out.find("usage: pelorin-report"), std::string::npos);
  EXPECT_NE(help.Out.find("--sequence"), std::string::npos);
}

TEST(UntrustedInput, OutputsThatCannotBeWrittenExitThree) {
  TempDir dir;
  Write(dir.File("rover.zel"), SmallRoverLog());
  const auto unwritable = RunReport(dir, "--cmr-out /nonexistent/dir/c.cmr rover.zel");
  EXPECT_EQ(unwritable.ExitStatus, 3);
  EXPECT_NE(unwritable.Err.find("cannot write the CMR stream to /nonexistent/dir/c.cmr"),
            std::string::npos)
      << unwritable.Err;
  EXPECT_NE(unwritable.Out.find("rover.zel: analysed"), std::string::npos);

  const auto fullDisk = RunReport(dir, "--json rover.zel", "/dev/full");
  EXPECT_EQ(fullDisk.ExitStatus, 3);
  EXPECT_NE(fullDisk.Err.find("cannot write the report"), std::string::npos) << fullDisk.Err;
}

TEST(UntrustedInput, TheLogIsNeverWrittenNorReplacedByItsOwnStream) {
  AnalysisHarness h;
  // A log named contents.cmr in the program's own directory.
  InitialiseSharedState(h.State, h.Dir.File("pelorin"));
  const std::string log = h.Dir.File("contents.cmr");
  Write(log, SmallRoverLog());
  const Bytes before = *ReadFileBytes(log);
  const auto modified = std::filesystem::last_write_time(log);
  h.Toolkit.NextDialogPath = log;
  ASSERT_EQ(OpenAndAnalyse(h.State, h.Toolkit, h.Charts), AnalysisOutcome::Completed);
  EXPECT_EQ(*ReadFileBytes(log), before);
  EXPECT_EQ(std::filesystem::last_write_time(log), modified);
  EXPECT_FALSE(h.State.LastResult->Notes.Contents.Written);
  EXPECT_NE(h.Toolkit.Control("Edit100").Hint.find("would replace the log"), std::string::npos)
      << h.Toolkit.Control("Edit100").Hint;
  EXPECT_EQ(h.Toolkit.Control("Edit100").Hint.rfind("Selected file\n", 0), 0u);
}

TEST(UntrustedInput, EachLogStartsAfreshUnlessTheSequenceIsAsked) {
  TempDir dir;
  // The first log names its station; the second has too few messages to.
  testdata::RoverLogOptions named;
  named.Seconds = 40;
  named.FillerBytesPerEpoch = 8;
  Write(dir.File("a.zel"), testdata::MakeRoverLog(named));
  testdata::RoverLogOptions unnamed = named;
  unnamed.Type2Every = 0;
  unnamed.StationInfoPages = false;
  Write(dir.File("b.zel"), testdata::MakeRoverLog(unnamed));

  const auto alone = RunReport(dir, "--json b.zel");
  const auto both = RunReport(dir, "--json a.zel b.zel");
  const auto sequence = RunReport(dir, "--json --sequence a.zel b.zel");
  ASSERT_EQ(both.ExitStatus, 0) << both.Err;
  const auto second = [](const testdata::ReportRun& run) {
    const auto document = testdata::JsonReader(run.Out).Document();
    return document && document->Items.size() == 2 ? (*document)[1] : testdata::Json{};
  };
  EXPECT_EQ(OnlyReport(alone)["window"]["Edit14"].Text, "");
  EXPECT_EQ(second(both)["window"]["Edit14"].Text, "");
  EXPECT_EQ(second(sequence)["window"]["Edit14"].Text,
            "PELO");  // carried over, as one window would
}

TEST(UntrustedInput, NamesAndTextsReachJsonAsUtf8AndTheTerminalWithoutControls) {
  TempDir dir;
  const Bytes log = SmallRoverLog();
  Write(dir.File("caf\xC3\xA9.zel"), log);  // UTF-8 name
  Write(dir.File("latin\xE9.zel"), log);    // a Latin-1 byte in the name
  const auto utf8 = RunReport(dir, "--json 'caf\xC3\xA9.zel'");
  EXPECT_EQ(OnlyReport(utf8)["file"].Text, "caf\xC3\xA9.zel");
  const auto latin1 = RunReport(dir, "--json 'latin\xE9.zel'");
  EXPECT_EQ(OnlyReport(latin1)["file"].Text, "latin\xC3\xA9.zel");

  // A station description carrying an escape sequence from the radio link.
  const Bytes stream =
      testdata::Concat({testdata::CmrFrame(testdata::Type2Message(0, 0, "A\x1B[2J", "C", "x")),
                        testdata::CmrFrame(testdata::Type2Message(0, 0, "A\x1B[2J", "C", "x")),
                        testdata::CmrFrame(testdata::Type2Message(0, 0, "A\x1B[2J", "C", "x")),
                        testdata::CmrFrame(testdata::Type2Message(0, 0, "A\x1B[2J", "C", "x"))});
  testdata::LogCarrying(stream).WriteTo(dir.File("escape.zel"));
  const auto summary = RunReport(dir, "escape.zel");
  EXPECT_EQ(summary.Out.find('\x1B'), std::string::npos);
  EXPECT_NE(summary.Out.find("\\x1B[2J"), std::string::npos) << summary.Out;
}

// Memory that runs out part-way through an analysis, as a log too large for
// the machine would: at its first pass over the CMR stream.
class ExhaustedMemory : public ToolkitObserver {
public:
  using ToolkitObserver::ToolkitObserver;
  void Advance(AnalysisStage stage, std::uint64_t done, std::uint64_t total) override {
    ToolkitObserver::Advance(stage, done, total);
    if (stage == AnalysisStage::Passes) throw std::bad_alloc();
  }
};

TEST(UntrustedInput, RunningOutOfMemoryIsToldNotAnAbort) {
  AnalysisHarness h;
  RecordingCharts& charts = h.Charts;
  Write(h.Dir.File("rover.zel"), SmallRoverLog());
  // An earlier analysis filled the boxes and the charts.
  h.Toolkit.NextDialogPath = h.Dir.File("rover.zel");
  AnalysisOptions options;
  options.WriteContents = false;
  ASSERT_EQ(OpenAndAnalyse(h.State, h.Toolkit, charts, options), AnalysisOutcome::Completed);
  ASSERT_EQ(h.Toolkit.TextOf("Edit2"), "Type 0: 20");
  ExhaustedMemory exhausted(h.Toolkit);
  EXPECT_EQ(OpenAndAnalyse(h.State, h.Toolkit, charts, options, exhausted),
            AnalysisOutcome::OutOfMemory);
  ASSERT_FALSE(h.Toolkit.Messages.empty());
  EXPECT_EQ(h.Toolkit.Messages.back(),
            (ShownMessage{"There is not enough memory to analyse the selected file.", "Fatal error",
                          MessageIcon::Stop}));
  EXPECT_TRUE(h.State.LastResult->Notes.OutOfMemory);
  EXPECT_FALSE(h.Toolkit.BusyCursor);
  // Nothing of either analysis is left half-shown: the state of the start.
  EXPECT_EQ(h.Toolkit.TextOf("Edit2"), " Type 0: ");
  EXPECT_EQ(h.Toolkit.TextOf("Edit15"), "");
  EXPECT_EQ(h.State.Store.Type0Count, 0);
  EXPECT_EQ(h.State.Store.Type1Coordinates, StationCoordinates{});
  EXPECT_FALSE(h.State.LastLink());
  for (const GnssSystem window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    for (const int n : {1, 3, 4, 5}) EXPECT_TRUE(charts.At(window, n).Points.empty()) << n;
  }
  EXPECT_EQ(h.Toolkit.TextOf("Edit100"), "Selected file: rover.zel");
}

TEST(UntrustedInput, ALogThatChangesWhileReadIsAnalysedAsReadAndSaidSo) {
  AnalysisHarness h;
  const Bytes log = SmallRoverLog(30);
  // The file held more when chosen than when it was read.
  const LogSource shrunk = [&log](std::span<LogWindowReader* const> readers) {
    SweepLogBytes(log, readers);
    SweepResult read;
    read.SizeWhenOpened = read.BytesRead = read.SizeAfterRead = log.size();
    return read;
  };
  AnalysisRequest request;
  request.Options.WriteContents = false;
  AnalysisObserver quiet;
  const AnalysisResult result = AnalyseSource(request, shrunk, log.size() + 500, quiet);
  EXPECT_EQ(result.Outcome, AnalysisOutcome::Completed);
  ASSERT_FALSE(result.Messages.empty());
  EXPECT_EQ(result.Messages.front().Caption, "Warning");
  EXPECT_NE(
      result.Messages.front().Text.find(std::to_string(log.size() + 500) + " bytes when chosen"),
      std::string::npos)
      << result.Messages.front().Text;

  // Truncated and grown while the sweep reads the file itself.
  struct Changer : LogWindowReader {
    std::string Path;
    std::uintmax_t NewSize = 0;
    bool Done = false;
    std::uint64_t Take(const LogWindow& window) override {
      if (!Done) std::filesystem::resize_file(Path, NewSize);
      Done = true;
      return window.End();
    }
  };
  for (const std::uint64_t newSize : {log.size() / 3, log.size() * 2}) {
    const std::string path = h.Dir.File("changing.zel");
    Write(path, log);
    Changer changer;
    changer.Path = path;
    changer.NewSize = newSize;
    LogWindowReader* const readers[] = {&changer};
    const SweepResult read = SweepLogFile(path, readers, 1024);
    EXPECT_EQ(read.SizeWhenOpened, log.size());
    EXPECT_EQ(read.SizeAfterRead, newSize);
    EXPECT_EQ(read.BytesRead, std::min<std::uint64_t>(newSize, log.size()));
  }
}

// A log copied short, or cut off while the receiver wrote it, ends inside
// a record: analysed as far as it goes, and the user is told where.
TEST(UntrustedInput, ALogThatEndsInsideARecordIsAnalysedAndSaidSo) {
  const Bytes log = SmallRoverLog(30);
  AnalysisHarness whole;
  EXPECT_EQ(whole.Open(ZelLog().Raw(log)), AnalysisOutcome::Completed);
  EXPECT_TRUE(whole.Toolkit.Messages.empty());

  const Bytes cut(log.begin(), log.end() - 5);
  AnalysisHarness h;
  EXPECT_EQ(h.Open(ZelLog().Raw(cut)), AnalysisOutcome::Completed);
  ASSERT_EQ(h.Toolkit.Messages.size(), 1u);
  const ShownMessage& warning = h.Toolkit.Messages.front();
  EXPECT_EQ(warning.Caption, "Warning");
  EXPECT_EQ(warning.Icon, MessageIcon::Exclamation);
  EXPECT_NE(warning.Text.find(" lacks 5 bytes."), std::string::npos) << warning.Text;
  const std::size_t at = warning.Text.find("file offset ");
  ASSERT_NE(at, std::string::npos);
  // The record named is the log's last one, whose end was cut off.
  const std::uint64_t offset = std::stoull(warning.Text.substr(at + 12));
  const auto length = ParseLengthDigits(log, offset);
  ASSERT_TRUE(length);
  EXPECT_EQ(offset + 5 + static_cast<std::uint64_t>(*length), log.size());
  // Otherwise the result of the bytes there are.
  EXPECT_EQ(h.State.Store.Type0Count, whole.State.Store.Type0Count);
  EXPECT_EQ(h.Charts.At(GnssSystem::Gps, 5).Points, whole.Charts.At(GnssSystem::Gps, 5).Points);

  // The report tells it among its messages and in its summary.
  Write(h.Dir.File("cut.zel"), cut);
  const testdata::ReportRun run = RunReport(h.Dir, "cut.zel");
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_NE(run.Out.find("message: [Warning] The selected file ends inside a record"),
            std::string::npos)
      << run.Out;
}

}  // namespace
}  // namespace pelorin
