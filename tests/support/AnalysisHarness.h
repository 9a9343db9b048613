#pragma once
// Runs the open button's analysis on logs built in code: a private temporary
// directory for the log and "contents.cmr", a recording toolkit and charts,
// and one shared state that lives across analyses as in the program.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

#include "cmr/Analysis.h"
#include "cmr/LinkReport.h"
#include "tests/support/RecordingCharts.h"
#include "tests/support/RecordingToolkit.h"
#include "tests/support/WindowSequence.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin::testdata {

// A directory of its own, removed with everything in it at the end.
class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pelorin-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Directory() const { return path_.string() + "/"; }

private:
  std::filesystem::path path_;
};

// The whole file, or nothing when it cannot be read.
inline std::optional<Bytes> ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// 2009-06-15, the date of the logs below, as a date-time.
inline constexpr double kLogDate = 39979.0;

// A log with the CMR-on flag, a receiver date (2009-06-15), `cmrStream`
// echoed in pieces with a receiver time record (from `startMsOfDay` on, 1 s
// apart) in front of each, and three more receiver times after them, so
// that the epoch scan has epochs to read.
inline ZelLog LogCarrying(const Bytes& cmrStream, std::uint32_t startMsOfDay = 36'090'000) {
  constexpr std::size_t kPieceBytes = 4092;
  ZelLog log;
  log.Raw("ZEL\r\n").HeadText().Raw("\r\n").ReceiverDate(2009, 6, 15);
  std::uint32_t msOfDay = startMsOfDay;
  log.ReceiverTime(msOfDay);
  for (std::size_t from = 0; from < cmrStream.size(); from += kPieceBytes) {
    if (from > 0) log.ReceiverTime(msOfDay += 1000);
    const std::size_t count = std::min(kPieceBytes, cmrStream.size() - from);
    log.Echo(Bytes(cmrStream.begin() + static_cast<std::ptrdiff_t>(from),
                   cmrStream.begin() + static_cast<std::ptrdiff_t>(from + count)));
  }
  for (int k = 0; k < 3; ++k) log.ReceiverTime(msOfDay += 1000);
  return log;
}

// Every second from a system's first message to its last either had a
// message or is a missing second (or lies in a jump the time line does not
// mark), each once, however the link repeated or delayed its messages.
inline void ExpectEverySecondAccountedFor(const LinkReport& link) {
  for (std::size_t w = 0; w < link.Systems.size(); ++w) {
    const SystemLink& system = link.Systems[w];
    if (!system.Span.First) continue;
    std::int64_t missing = 0;
    for (const LinkGap& gap : system.Gaps) missing += gap.Seconds;
    const std::int64_t span = std::llround((*system.Span.Last - *system.Span.First) * 86'400) + 1;
    EXPECT_EQ(system.Span.Seconds + missing + system.UnmarkedSeconds, span) << "system " << w;
  }
}

struct AnalysisHarness {
  TempDir Dir;
  SharedState State;
  RecordingToolkit Toolkit;
  RecordingCharts Charts;
  // The last analysis as it came, its points included.
  AnalysisResult Result;

  std::string ContentsPath() const { return Dir.File("contents.cmr"); }

  // Writes `log` as `name` and analyses it as if chosen in the open dialog.
  AnalysisOutcome Open(const ZelLog& log, const std::string& name = "rover.zel") {
    log.WriteTo(Dir.File(name));
    return Choose(Dir.File(name));
  }
  // The dialog gives `path`, or is cancelled when it is nothing.
  AnalysisOutcome Choose(std::optional<std::string> path) {
    Toolkit.NextDialogPath = std::move(path);
    AnalysisOptions options;
    options.ContentsPath = ContentsPath();
    ToolkitObserver observer(Toolkit);
    const AnalysisOutcome outcome =
        OpenAndAnalyse(State, Toolkit, Charts, options, observer, &Result);
    if (Result.Link) ExpectEverySecondAccountedFor(*Result.Link);
    return outcome;
  }
};

}  // namespace pelorin::testdata
