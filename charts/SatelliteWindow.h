#pragma once
// The frame shared by the GPS and GLONASS windows: a fixed-border window with
// a close box only, hidden until its button on the main window opens it,
// holding Chart1 (totals) above Chart2 (satellite numbers) and Series1 to
// Series5. Each window's unit gives its look; the handlers are shared.

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "charts/ChartCommands.h"
#include "charts/PointSeries.h"
#include "charts/SatelliteChart.h"
#include "report/Clock.h"
#include "views/AxisLabels.h"
#include "views/SatelliteViews.h"

namespace pelorin {

struct AxisLook {
  QString Title;
  QColor TitleColour = Qt::black;
  // A fixed axis starts at these bounds; an automatic one follows the points.
  bool Automatic = false;
  double Minimum = 0;
  double Maximum = 0;
  double DesiredIncrement = 0;
};

struct ChartLook {
  QColor Background;
  QColor TitleColour;
  QStringList DesignTitle;
  AxisLook Bottom;
  TimeSteps BottomSteps = TimeSteps::DateTimeUnits;
  AxisLook Left;
  bool ShowsLegend = false;
};

struct SeriesLook {
  int Number = 1;  // Series1 .. Series5
  int Chart = 1;   // Chart1 or Chart2
  QString Title;
  bool InLegend = false;
  MarkerLook Marker;
  QColor Colour;
};

struct SatelliteWindowLook {
  QString Name;
  QString Caption;
  // Begins the suggested names of the files saved from the window: "gps".
  QString FileStem;
  // The system of the window's satellites; the GLONASS window's times are
  // GLONASS system time.
  GnssSystem System = GnssSystem::Gps;
  ChartLook Chart1;
  ChartLook Chart2;
  // In the window's member order; it is also the drawing order in a chart.
  std::array<SeriesLook, kSeriesPerWindow> Series;
  const SatelliteViewSettings* Views = nullptr;
};

class TSatelliteWindow : public QWidget {
  Q_OBJECT

public:
  TSatelliteWindow(const SatelliteWindowLook& look, std::int32_t& legendClickCount,
                   QWidget* parent = nullptr);
  ~TSatelliteWindow() override;

  SatelliteChart* Chart1 = nullptr;
  SatelliteChart* Chart2 = nullptr;
  PointSeries* Series1 = nullptr;
  PointSeries* Series2 = nullptr;
  PointSeries* Series3 = nullptr;
  PointSeries* Series4 = nullptr;
  PointSeries* Series5 = nullptr;

  // Series1 .. Series5; throws std::out_of_range for any other number.
  PointSeries& Series(int number);

  // Saving, copying and undoing the zoom of either chart; the link report.
  ChartCommands* Commands = nullptr;
  // The log being analysed: no save from this window writes over it.
  void ProtectLog(const std::string& selectedLogPath) { Commands->ProtectLog(&selectedLogPath); }

  // Saves one row per satellite and second of the lower chart's series:
  // in the corrections, with L2, tracked. Asks, of a zoomed chart, whether
  // the zoomed range or the whole log.
  QAction* SaveSatellitesAction = nullptr;
  void SaveSatellitesPerSecond();
  // The clock the saved times are told on; GPS time until set.
  void SetClock(report::Clock clock) { clock_ = clock; }
  report::Clock TimesOn() const { return clock_; }

  // Maximised, sized to the screen, the charts laid out, shown and in front.
  void OpenLaidOut();
  // Chart1 over the top third of the client height, Chart2 below it.
  void LayOutCharts();

  // After an analysis that replaced the points: the totals view over the
  // whole new log, drawn at once when the window is open.
  void ShowNewAnalysis();

signals:
  void LinkReportRequested();

public slots:
  void FormActivate();
  void Chart1Zoom();
  void Chart1UndoZoom();
  void Chart1ClickLegend();
  void Chart2Zoom();

protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  SatelliteChart* BuildChart(const QString& name, const ChartLook& look);
  PointSeries* BuildSeries(const SeriesLook& look);

  std::unique_ptr<SatelliteViews> views_;
  GnssSystem system_ = GnssSystem::Gps;
  QString fileStem_;
  report::Clock clock_ = report::Clock::Gps;
};

// The chart series of the analysis: Series1 .. Series5 of the two windows.
class WindowCharts : public SatelliteCharts {
public:
  WindowCharts(TSatelliteWindow& gps, TSatelliteWindow& gln) : gps_(gps), gln_(gln) {}
  ChartSeries& Series(GnssSystem window, int number) override {
    return (window == GnssSystem::Gps ? gps_ : gln_).Series(number);
  }

private:
  TSatelliteWindow& gps_;
  TSatelliteWindow& gln_;
};

}  // namespace pelorin
