// Times the steps of one analysis on a log and reports throughput and peak
// memory. Run through scripts/bench, which builds a 24-hour log first.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cmr/Analysis.h"
#include "cmr/ArrivalTimes.h"
#include "cmr/EchoUnwrap.h"
#include "cmr/LinkReport.h"
#include "cmr/StationPasses.h"
#include "cmr/TimeLine.h"
#include "log/EpochScan.h"
#include "log/LogSweep.h"
#include "log/StartTimeProbe.h"
#include "tests/support/RecordingCharts.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024.0 / 1e6;  // ru_maxrss is in KiB
}

std::size_t PointCount(const pelorin::AnalysisResult& result) {
  std::size_t count = 0;
  for (const pelorin::WindowSeries& window : result.Series) {
    for (const pelorin::SeriesData& series : window) count += series.Points.size();
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::string(argv[1]) != "steps" && std::string(argv[1]) != "whole")) {
    std::fprintf(stderr, "usage: %s steps|whole LOG\n", argv[0]);
    return 2;
  }
  const std::string path = argv[2];
  const double mb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  std::printf("log: %.1f MB\n", mb);

  if (std::string(argv[1]) == "steps") {
    // The readers of the one sweep over the log, each alone.
    auto sweep = [&](const char* name, pelorin::LogWindowReader& reader) {
      const auto begin = Clock::now();
      pelorin::LogWindowReader* const readers[] = {&reader};
      pelorin::SweepLogFile(path, readers);
      std::printf("%-26s %.3f s\n", name, SecondsSince(begin));
    };
    struct Nothing : pelorin::LogWindowReader {
      std::uint64_t Take(const pelorin::LogWindow& w) override { return w.End(); }
    } nothing;
    sweep("read the log:", nothing);
    pelorin::FirstRecordFinder firstRecords;
    sweep("read, start-time probe:", firstRecords);
    pelorin::EpochReader epochs;
    sweep("read, epoch scan:", epochs);
    pelorin::EchoUnwrapper firstPass;
    sweep("read, unwrap first pass:", firstPass);

    auto timed = [](const char* name, auto&& step) {
      const auto begin = Clock::now();
      step();
      std::printf("%-26s %.3f s\n", name, SecondsSince(begin));
    };
    const pelorin::ProbeResult probe = pelorin::ResolveStartTime(firstRecords.Found());
    const pelorin::EpochScanResult scan = epochs.Finish();
    pelorin::UnwrapResult unwrapped;
    timed("nested pass:", [&] { unwrapped = pelorin::FinishUnwrapping(firstPass); });
    std::printf("CMR stream %.1f MB, %zu epochs, %zu echo records\n",
                unwrapped.CmrStream.size() / 1e6, scan.Epochs.size(), unwrapped.Sources.size());
    std::optional<pelorin::ArrivalTimes> arrivals;
    timed("arrival times:", [&] { arrivals.emplace(unwrapped.Sources, scan); });

    pelorin::DecodedStore store;
    pelorin::TimeLineState timeLine;
    pelorin::RecordingCharts charts;
    store.LogStartTime = probe.Start;
    std::optional<pelorin::CmrStream> stream;
    timed("frame index:", [&] { stream.emplace(unwrapped.CmrStream); });
    timed("pass A:", [&] { pelorin::ChooseReferenceStation(*stream, store); });
    pelorin::PassEvidence evidence;
    timed("pass B (time line):", [&] {
      pelorin::BuildTimeLine(*stream, store, timeLine, charts, *arrivals, &evidence.TimeLine);
    });
    timed("pass C:",
          [&] { pelorin::DecodeType1Messages(*stream, store, &evidence.Type1Positions); });
    timed("pass D:", [&] { pelorin::CollectStationInfoPages(*stream, store); });
    timed("pass E:", [&] { pelorin::DecodeType2Messages(*stream, store); });
    timed("tracked points:", [&] { pelorin::AddTrackedPoints(scan.Epochs, charts); });
    timed("link report:", [&] {
      const pelorin::LinkReport link = pelorin::MeasureLink(
          {*stream, *arrivals, evidence.TimeLine, scan, evidence.Type1Positions, store});
      std::printf("(link report: %zu common seconds, %zu ages)\n", link.Systems[0].Common.size(),
                  link.Systems[0].AgeOverTime.size());
    });
  } else {
    pelorin::AnalysisRequest request;
    request.LogPath = path;
    request.Options.ContentsPath =
        (std::filesystem::temp_directory_path() / "pelorin-bench-contents.cmr").string();
    const pelorin::AnalysisOptions& options = request.Options;
    const auto start = Clock::now();
    const pelorin::AnalysisResult result = pelorin::Analyse(request);
    const auto outcome = result.Outcome;
    const pelorin::DecodedStore& store = result.Store;
    const double seconds = SecondsSince(start);
    const std::size_t points = PointCount(result);
    const double pointsMb = points * sizeof(pelorin::ChartPoint) / 1e6;
    std::printf("whole analysis: %.3f s (%.0f MB/s), completed %d\n", seconds, mb / seconds,
                outcome == pelorin::AnalysisOutcome::Completed);
    std::printf("type 0 %d, type 3 %d, points %zu (%.1f MB)\n", store.Type0Count, store.Type3Count,
                points, pointsMb);
    std::printf("peak memory: %.1f MB = %.2f x file size, the %.1f MB of points included\n",
                PeakRssMb(), PeakRssMb() / mb, pointsMb);
    std::filesystem::remove(*options.ContentsPath);
  }
  std::printf("peak memory: %.1f MB\n", PeakRssMb());
  return 0;
}
