#pragma once
// A chart of a satellite window, done with QCustomPlot: title lines above a
// legend row above the plot, a time axis below and a value axis on the left,
// and the mouse gestures of the satellite windows.
//
// Gestures, all inside the plot area:
//   left-button drag towards the lower right  zoom to the rectangle
//   left-button drag towards the upper left   undo the zoom
//   right-button drag                         pan along the time axis
//   mouse wheel                               zoom the time axis
//   right-button click (no drag)              the window's context menu
// A click on the legend, with any button, is a legend click.

#include <qcustomplot.h>

#include <QSharedPointer>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/ChartSeries.h"
#include "views/AxisLabels.h"

namespace pelorin {

class PointSeries;

// Label steps and texts of one axis: date-time labels on a time axis, plain
// numbers on a value axis; a desired increment, when set, is the smallest step.
class AxisTicker : public QCPAxisTicker {
public:
  AxisTicker(QCPAxis* axis, bool timeAxis, TimeSteps steps)
      : axis_(axis), timeAxis_(timeAxis), steps_(steps) {}

  void SetDesiredIncrement(double increment) { desiredIncrement_ = increment; }
  double DesiredIncrement() const { return desiredIncrement_; }

  void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                QVector<double>& ticks, QVector<double>* subTicks,
                QVector<QString>* tickLabels) override;

private:
  int MostLabels() const;

  QCPAxis* axis_;
  bool timeAxis_;
  TimeSteps steps_;
  double desiredIncrement_ = 0;
};

class SatelliteChart;

class ChartAxisAdapter : public ChartAxis {
public:
  ChartAxisAdapter(SatelliteChart& chart, QCPAxis* axis, bool timeAxis, TimeSteps steps);

  double Minimum() const override { return axis_->range().lower; }
  double Maximum() const override { return axis_->range().upper; }
  // Setting the bounds makes the axis fixed.
  void SetMinMax(double minimum, double maximum) override;
  void SetAutomatic(bool automatic) override;
  void SetVisible(bool visible) override;
  void SetDesiredIncrement(double increment) override;

  bool Automatic() const { return automatic_; }
  double DesiredIncrement() const { return ticker_->DesiredIncrement(); }
  QCPAxis* Axis() const { return axis_; }

  // A range a gesture gave: shown, but not the axis' own range.
  void ShowRange(const QCPRange& range);
  // Back to the range or the automatic scaling last set through the
  // operations above (or at design), as an undo of gestures.
  void RestoreOwnRange();

private:
  SatelliteChart& chart_;
  QCPAxis* axis_;
  QSharedPointer<AxisTicker> ticker_;
  bool automatic_ = true;
  bool ownAutomatic_ = true;
  QCPRange ownRange_;
};

class SatelliteChart : public QCustomPlot, public Chart {
  Q_OBJECT

public:
  SatelliteChart(const QString& name, QWidget* parent, TimeSteps timeSteps);
  ~SatelliteChart() override;

  ChartAxis& LeftAxis() override { return left_; }
  ChartAxis& BottomAxis() override { return bottom_; }
  void ClearTitle() override;
  void AppendTitleLine(std::string_view line) override;
  void Repaint() override;

  ChartAxisAdapter& Left() { return left_; }
  ChartAxisAdapter& Bottom() { return bottom_; }
  QStringList TitleLines() const { return titleLines_; }
  void SetTitleLook(const QFont& font, const QColor& colour);
  // Moves the legend out of the plot, into a row of its own under the title.
  void PlaceLegendAtTop();

  void AddSeries(PointSeries* series);
  const std::vector<PointSeries*>& AllSeries() const { return series_; }

  // What the automatic time axis and the undo of a zoom show: this span
  // whatever the series hold, so that charts sharing a time axis agree;
  // nothing gives the series' own points again.
  void SetTimeSpan(std::optional<QCPRange> span);
  const std::optional<QCPRange>& TimeSpan() const { return timeSpan_; }

  // The gestures' effects, also for tests: both axes to a rectangle of
  // plot pixels, the time axis scaled around a pixel column, the time axis
  // moved by pixels, and the undo: the time axis back to all points, the
  // value axis back to its own range.
  void ZoomToRectangle(const QRect& pixels);
  void ZoomTimeAxis(double factor, int aroundPixel);
  void PanTimeAxis(int pixels);
  void UndoZoom();

  // Something shown changed: draw again soon, or at the next showing.
  void MarkChanged();

signals:
  void Zoomed();
  void ZoomUndone();
  void LegendClicked();
  // A right-button click that did not become a drag, off the legend.
  void MenuRequested(const QPoint& globalPosition);
  // The pointer moved over the chart, or pressed a button on it.
  void Touched();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void OnRectangleGesture(const QRect& rect);
  void FitAutomaticAxes();
  void Announce(void (SatelliteChart::*signal)());
  static bool IsDrag(const QPoint& from, const QPoint& to);
  bool InPlotArea(const QPoint& position) const;
  bool OnLegend(const QPoint& position) const;
  void ShowTitleLines();

  ChartAxisAdapter bottom_;
  ChartAxisAdapter left_;
  QCPTextElement* title_ = nullptr;
  QStringList titleLines_;
  std::vector<PointSeries*> series_;
  std::optional<QCPRange> timeSpan_;

  // A right press off the legend: a click until it moves a drag distance,
  // then a pan when it began in the plot area.
  std::optional<QPoint> rightPress_;
  bool rightDragged_ = false;
  std::optional<QPoint> panStart_;
  QCPRange panStartRange_;
  // A press on the legend: a legend click at its release, unless it became a drag.
  std::optional<QPoint> legendPress_;
  bool announcing_ = false;
  bool changed_ = true;
};

}  // namespace pelorin
