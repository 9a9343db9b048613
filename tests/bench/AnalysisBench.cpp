// Times the steps of one analysis on a log and reports throughput and peak
// memory. Run through scripts/bench, which builds a 24-hour log first.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cmr/Analysis.h"
#include "cmr/EchoUnwrap.h"
#include "cmr/RecordingCharts.h"
#include "cmr/RecordingToolkit.h"
#include "log/StartTimeProbe.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

std::size_t PointCount(const pelorin::RecordingCharts& charts) {
  std::size_t count = 0;
  for (auto window : {pelorin::SatelliteWindow::Gps, pelorin::SatelliteWindow::Gln}) {
    for (int n = 1; n <= pelorin::kSeriesPerWindow; ++n) count += charts.At(window, n).Points.size();
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
    auto start = Clock::now();
    pelorin::LogImage image = pelorin::LoadLog(path);
    const double load = SecondsSince(start);
    start = Clock::now();
    const auto probe = pelorin::ProbeStartTimeInImage(image);
    const double probeSeconds = SecondsSince(start);
    std::string().swap(image.Search);
    start = Clock::now();
    const auto unwrapped = pelorin::UnwrapLog(image.Bytes);
    const double unwrap = SecondsSince(start);
    std::printf("load + search image: %.3f s (%.0f MB/s)\n", load, mb / load);
    std::printf("start-time probe:    %.3f s (resolved %d)\n", probeSeconds, probe.Resolved);
    std::printf("unwrap both passes:  %.3f s (%.0f MB/s), CMR stream %.1f MB\n", unwrap, mb / unwrap,
                unwrapped.CmrStream.size() / 1e6);
  } else {
    pelorin::SharedState state;
    pelorin::RecordingToolkit toolkit;
    pelorin::RecordingCharts charts;
    toolkit.NextDialogPath = path;
    pelorin::AnalysisOptions options;
    options.ContentsPath = (std::filesystem::temp_directory_path() / "pelorin-bench-contents.cmr").string();
    const auto start = Clock::now();
    const auto outcome = pelorin::OpenAndAnalyse(state, toolkit, charts, options);
    const double seconds = SecondsSince(start);
    const std::size_t points = PointCount(charts);
    const double pointsMb = points * sizeof(pelorin::ChartPoint) / 1e6;
    std::printf("whole analysis: %.3f s (%.0f MB/s), completed %d\n", seconds, mb / seconds,
                outcome == pelorin::AnalysisOutcome::Completed);
    std::printf("type 0 %d, type 3 %d, points %zu (%.1f MB)\n", state.Store.Type0Count,
                state.Store.Type3Count, points, pointsMb);
    std::printf("peak memory: %.1f MB = %.2f x file + points\n", PeakRssMb(),
                (PeakRssMb() - pointsMb) / mb);
    std::filesystem::remove(*options.ContentsPath);
  }
  std::printf("peak memory: %.1f MB\n", PeakRssMb());
  return 0;
}
