// Times the satellite windows on a log, offscreen: what handing the points to
// the windows adds to the analysis, the first opening of the GPS window, a
// redraw at the full time range and redraws after zooms and pans. Run through
// `scripts/bench chart`, on a Release build.
#include <QApplication>
#include <QProgressBar>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cmr/Analysis.h"
#include "tests/support/RecordingCharts.h"
#include "tests/support/RecordingToolkit.h"
#include "tests/support/WindowSequence.h"
#include "windows/Application.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Series that keep nothing: the analysis alone.
class DiscardingSeries : public pelorin::ChartSeries {
public:
  void Clear() override {}
  void AddPoint(double, double, std::string_view, pelorin::ColourValue) override {}
  void SetActive(bool) override {}
  bool Active() const override { return true; }
  double MaxYValue() const override { return 0; }
  double MinYValue() const override { return 0; }
};

class DiscardingCharts : public pelorin::SatelliteCharts {
public:
  pelorin::ChartSeries& Series(pelorin::GnssSystem, int) override { return series_; }

private:
  DiscardingSeries series_;
};

double AnalysisMs(pelorin::SatelliteCharts& charts, const std::string& log) {
  pelorin::SharedState state;
  pelorin::RecordingToolkit toolkit;
  toolkit.NextDialogPath = log;
  pelorin::AnalysisOptions options;
  options.ContentsPath =
      (std::filesystem::temp_directory_path() / "pelorin-chart-bench.cmr").string();
  const auto start = Clock::now();
  pelorin::OpenAndAnalyse(state, toolkit, charts, options);
  const double ms = MsSince(start);
  std::filesystem::remove(*options.ContentsPath);
  return ms;
}

// What the analysis does to the series: clear all, hide Series3, add the points.
double HandOverMs(const pelorin::RecordingCharts& recorded, pelorin::SatelliteCharts& charts) {
  const auto start = Clock::now();
  for (auto window : {pelorin::GnssSystem::Glonass, pelorin::GnssSystem::Gps}) {
    for (int n = 1; n <= pelorin::kSeriesPerWindow; ++n) charts.Series(window, n).Clear();
    charts.Series(window, 3).SetActive(false);
  }
  for (auto window : {pelorin::GnssSystem::Gps, pelorin::GnssSystem::Glonass}) {
    for (int n = 1; n <= pelorin::kSeriesPerWindow; ++n) {
      pelorin::ChartSeries& series = charts.Series(window, n);
      for (const pelorin::ChartPoint& point : recorded.At(window, n).Points) {
        series.AddPoint(point.X, point.Y, "", point.Colour);
      }
    }
  }
  return MsSince(start);
}

// Both charts of the window drawn and put on the screen.
double RedrawMs(pelorin::TSatelliteWindow& window) {
  const auto start = Clock::now();
  window.Chart1->replot(QCustomPlot::rpImmediateRefresh);
  window.Chart2->replot(QCustomPlot::rpImmediateRefresh);
  return MsSince(start);
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s median %6.1f ms, worst %6.1f ms (%zu runs)\n", what, ms[ms.size() / 2],
              ms.back(), ms.size());
}

std::size_t PointsOf(pelorin::TSatelliteWindow& window) {
  std::size_t count = 0;
  for (int n = 1; n <= pelorin::kSeriesPerWindow; ++n) count += window.Series(n).Points().Size();
  return count;
}

}  // namespace

// As the user waits for it: from the file chosen in the dialog to the counts
// shown, then to both chart windows opened and drawn, in fresh windows.
void TimeTheWindow(const std::string& log) {
  pelorin::ApplicationWindows windows;
  windows.Form1.show();
  (void)QTest::qWaitForWindowExposed(&windows.Form1);
  windows.Form1.Toolkit().SetDialogRunner([log]() -> std::optional<std::string> { return log; });
  const auto start = Clock::now();
  windows.Form1.SpeedButton1Click();
  while (windows.Form1.Analysing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const double counted = MsSince(start);
  windows.Form1.SpeedButton2Click();
  windows.Form1.SpeedButton3Click();
  // Not QTest's wait for exposure, which sleeps 10 ms between looks.
  const auto exposed = [](const QWidget& window) {
    return window.windowHandle() && window.windowHandle()->isExposed();
  };
  while (!exposed(windows.Form2) || !exposed(windows.Form3)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  QCoreApplication::processEvents();  // their first paint
  const double ready = MsSince(start);
  std::printf("window: file chosen to counts shown: %7.1f ms\n", counted);
  std::printf("window: ... and both chart windows:  %7.1f ms\n", ready);
}

// How soon Cancel takes: the window's analysis stopped at points along the
// way, from the click to the window as before.
void TimeTheCancel(const std::string& log) {
  pelorin::ApplicationWindows windows;
  windows.Form1.show();
  (void)QTest::qWaitForWindowExposed(&windows.Form1);
  windows.Form1.Toolkit().SetMessageHook([](const pelorin::ShownMessage&) {});
  for (const int perMille : {50, 350, 690, 760, 880}) {
    windows.Form1.Toolkit().SetDialogRunner([log]() -> std::optional<std::string> { return log; });
    windows.Form1.SpeedButton1Click();
    while (windows.Form1.Analysing() && windows.Form1.ProgressBar->value() < perMille) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const QString where = windows.Form1.ProgressBar->format();
    const auto start = Clock::now();
    QTest::mouseClick(windows.Form1.CancelButton, Qt::LeftButton);
    while (windows.Form1.Analysing()) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    std::printf("cancel at %-40s %7.1f ms\n", where.toStdString().c_str(), MsSince(start));
  }
}

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s [--window | --cancel] LOG\n", argv[0]);
    return 2;
  }
  const std::string log = argv[argc - 1];
  pelorin::TApplication application(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--window") {
    TimeTheWindow(log);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--cancel") {
    TimeTheCancel(log);
    return 0;
  }
  pelorin::ApplicationWindows windows;
  pelorin::TForm2& gps = windows.Form2;

  // The series operations alone: the points of one analysis, recorded, then
  // handed to the windows' series as the analysis hands them.
  pelorin::RecordingCharts recorded;
  const double recording = AnalysisMs(recorded, log);
  pelorin::WindowCharts windowCharts(windows.Form2, windows.Form3);
  std::vector<double> handing;
  for (int k = 0; k < 3; ++k) handing.push_back(HandOverMs(recorded, windowCharts));
  std::printf("points: GPS window %zu, GLONASS window %zu\n", PointsOf(windows.Form2),
              PointsOf(windows.Form3));
  std::printf("analysis, points recorded:         %7.1f ms\n", recording);
  Report("handing the points to the windows:", handing);

  // The whole analysis both ways, the best of three each taken in turns; on
  // a busy machine this difference is noisier than the one above.
  DiscardingCharts discarding;
  double alone = 1e300;
  double withWindows = 1e300;
  for (int k = 0; k < 3; ++k) {
    alone = std::min(alone, AnalysisMs(discarding, log));
    withWindows = std::min(withWindows, AnalysisMs(windowCharts, log));
  }
  std::printf("analysis, points kept nowhere:     %7.1f ms\n", alone);
  std::printf("analysis, points to the windows:   %7.1f ms (%+.1f ms)\n", withWindows,
              withWindows - alone);

  windows.Form1.State().Store.SelectedLogPath = log;
  windows.Form1.State().Store.Type0Count = 1;
  auto start = Clock::now();
  windows.Form1.SpeedButton2Click();
  if (!QTest::qWaitForWindowExposed(&gps)) return 1;
  QCoreApplication::processEvents();
  std::printf(
      "GPS window opened and drawn:       %7.1f ms (markers: %zu in Chart2)\n", MsSince(start),
      gps.Series2->MarkersDrawn() + gps.Series4->MarkersDrawn() + gps.Series5->MarkersDrawn());

  std::vector<double> full;
  for (int k = 0; k < 10; ++k) full.push_back(RedrawMs(gps));
  Report("redraw at the full time range:", full);

  // An hour in the middle of the day, then zooms and pans around it.
  const QCPRange all = gps.Chart2->xAxis->range();
  const double middle = all.center();
  for (pelorin::SatelliteChart* chart : {gps.Chart1, gps.Chart2}) {
    chart->Bottom().ShowRange({middle - 1.0 / 48, middle + 1.0 / 48});
  }
  std::vector<double> moved;
  for (int k = 0; k < 10; ++k) {
    const int centre = gps.Chart2->axisRect()->rect().center().x();
    for (pelorin::SatelliteChart* chart : {gps.Chart1, gps.Chart2}) {
      if (k % 2 == 0) {
        chart->PanTimeAxis(40);
      } else {
        chart->ZoomTimeAxis(k % 4 == 1 ? 0.8 : 1.25, centre);
      }
    }
    moved.push_back(RedrawMs(gps));
  }
  Report("redraw after a pan or wheel zoom:", moved);

  for (pelorin::SatelliteChart* chart : {gps.Chart1, gps.Chart2}) chart->UndoZoom();
  std::vector<double> undone;
  for (int k = 0; k < 5; ++k) undone.push_back(RedrawMs(gps));
  Report("redraw after the undo:", undone);
  return 0;
}
