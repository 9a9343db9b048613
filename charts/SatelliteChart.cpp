#include "charts/SatelliteChart.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScopedValueRollback>
#include <QTimer>
#include <cmath>

#include "charts/PointSeries.h"

namespace pelorin {
namespace {

// Room around a label so that neighbours never touch.
constexpr int kLabelGapPx = 12;
constexpr int kValueLabelGapPx = 2;
constexpr int kLeftMarginPx = 64;
constexpr double kLonePointMarginDays = 30.0 / 86400;
constexpr double kLonePointMarginValue = 1;
// One notch of the wheel narrows the time axis to this share.
constexpr double kWheelZoomPerNotch = 0.8;
constexpr int kWheelNotch = 120;
// A title line that is empty still takes a line's height.
const QString kEmptyTitleLine = QStringLiteral(" ");

QString ValueLabel(double value) {
  // -0 reads as 0.
  return QString::number(value == 0 ? 0.0 : value, 'g', 10);
}

QCPRange RangeOfActiveSeries(const std::vector<PointSeries*>& series, bool keys, bool& found) {
  QCPRange range;
  found = false;
  for (const PointSeries* one : series) {
    if (!one->Active()) continue;
    bool has = false;
    const QCPRange own = keys ? one->getKeyRange(has) : one->getValueRange(has);
    if (!has) continue;
    if (!found) {
      range = own;
    } else {
      range.expand(own);
    }
    found = true;
  }
  return range;
}

}  // namespace

void AxisTicker::generate(const QCPRange& range, const QLocale&, QChar, int, QVector<double>& ticks,
                          QVector<double>* subTicks, QVector<QString>* tickLabels) {
  const int mostLabels = MostLabels();
  const double step = timeAxis_ ? TimeLabelStep(range.size(), desiredIncrement_, mostLabels, steps_)
                                : ValueLabelStep(range.size(), desiredIncrement_, mostLabels);
  const std::vector<double> positions = LabelPositions(range.lower, range.upper, step);
  ticks = QVector<double>(positions.begin(), positions.end());
  if (subTicks) {
    subTicks->clear();
    // Labels too crowded for every increment still get a grid line at each:
    // every satellite row keeps its line.
    if (!timeAxis_ && desiredIncrement_ > 0 && step > desiredIncrement_) {
      for (const double tick : LabelPositions(range.lower, range.upper, desiredIncrement_)) {
        if (std::fabs(std::remainder(tick, step)) > desiredIncrement_ / 2) subTicks->append(tick);
      }
    }
  }
  if (!tickLabels) return;
  tickLabels->clear();
  for (const double tick : positions) {
    tickLabels->append(timeAxis_ ? QString::fromStdString(DateTimeLabel(tick)) : ValueLabel(tick));
  }
}

// As many labels as fit along the axis without touching.
int AxisTicker::MostLabels() const {
  const QFontMetrics metrics(axis_->tickLabelFont());
  const bool horizontal = axis_->orientation() == Qt::Horizontal;
  int length = horizontal ? axis_->axisRect()->width() : axis_->axisRect()->height();
  if (length <= 0)
    length = horizontal ? axis_->parentPlot()->width() : axis_->parentPlot()->height();
  const int extent = timeAxis_ ? metrics.horizontalAdvance(QStringLiteral(" 00/00/00 00:00:00  "))
                               : metrics.height();
  return std::max(1, length / (extent + (timeAxis_ ? kLabelGapPx : kValueLabelGapPx)));
}

ChartAxisAdapter::ChartAxisAdapter(SatelliteChart& chart, QCPAxis* axis, bool timeAxis,
                                   TimeSteps steps)
    : chart_(chart), axis_(axis), ticker_(new AxisTicker(axis, timeAxis, steps)) {
  axis_->setTicker(ticker_);
}

void ChartAxisAdapter::SetMinMax(double minimum, double maximum) {
  automatic_ = ownAutomatic_ = false;
  // QCustomPlot swaps a reversed pair; the handlers never set one.
  ownRange_ = QCPRange(minimum, maximum);
  axis_->setRange(minimum, maximum);
  chart_.MarkChanged();
}

void ChartAxisAdapter::SetAutomatic(bool automatic) {
  automatic_ = ownAutomatic_ = automatic;
  if (!automatic) ownRange_ = axis_->range();
  chart_.MarkChanged();
}

void ChartAxisAdapter::ShowRange(const QCPRange& range) {
  automatic_ = false;
  axis_->setRange(range);
  chart_.MarkChanged();
}

void ChartAxisAdapter::RestoreOwnRange() {
  automatic_ = ownAutomatic_;
  if (!automatic_) axis_->setRange(ownRange_);
  chart_.MarkChanged();
}

void ChartAxisAdapter::SetVisible(bool visible) {
  axis_->setVisible(visible);
  chart_.MarkChanged();
}

void ChartAxisAdapter::SetDesiredIncrement(double increment) {
  ticker_->SetDesiredIncrement(increment);
  chart_.MarkChanged();
}

SatelliteChart::SatelliteChart(const QString& name, QWidget* parent, TimeSteps timeSteps)
    : QCustomPlot(parent),
      bottom_(*this, xAxis, true, timeSteps),
      left_(*this, yAxis, false, TimeSteps::DateTimeUnits) {
  setObjectName(name);
  setInteractions({});
  setAutoAddPlottableToLegend(false);
  // Markers are drawn from sprites; the rest is lines and text.
  setNotAntialiasedElements(QCP::aeAll);
  setAntialiasedElement(QCP::aeLegendItems);
  // The same room left of both charts of a window keeps their time axes
  // one above the other.
  axisRect()->setMinimumMargins(QMargins(kLeftMarginPx, 0, 0, 0));
  yAxis->grid()->setSubGridVisible(true);
  plotLayout()->insertRow(0);
  title_ = new QCPTextElement(this);
  plotLayout()->addElement(0, 0, title_);
  plotLayout()->setRowStretchFactor(0, 0.001);

  connect(selectionRect(), &QCPSelectionRect::accepted, this,
          [this](const QRect& rect, QMouseEvent*) { OnRectangleGesture(rect); });
  connect(this, &QCustomPlot::beforeReplot, this, [this] {
    changed_ = false;
    FitAutomaticAxes();
    // How many labels fit depends on the plot area's size, and that on the
    // labels' margins: one layout pass ahead settles the size the replot's
    // own pass then fits its labels to.
    updateLayout();
  });
  // Every right press reaches the gestures; a click without a drag opens
  // the menu from there, so that a drag can still pan.
  setContextMenuPolicy(Qt::PreventContextMenu);
  // The window's keys act on the chart the pointer was last over.
  setMouseTracking(true);
  setToolTip(
      QStringLiteral("Drag right and down: zoom to the rectangle\n"
                     "Drag left and up: undo the zoom\n"
                     "Right-button drag: move along the time axis\n"
                     "Mouse wheel: zoom the time axis\n"
                     "Right-click: save, copy, undo the zoom"));
}

SatelliteChart::~SatelliteChart() = default;

void SatelliteChart::SetTitleLook(const QFont& font, const QColor& colour) {
  title_->setFont(font);
  title_->setTextColor(colour);
}

void SatelliteChart::PlaceLegendAtTop() {
  axisRect()->insetLayout()->take(legend);
  auto* row = new QCPLayoutGrid;
  plotLayout()->insertRow(1);
  plotLayout()->addElement(1, 0, row);
  plotLayout()->setRowStretchFactor(1, 0.001);
  // Empty cells on both sides keep the legend centred at its own width.
  row->addElement(0, 0, new QCPLayoutElement(this));
  row->addElement(0, 1, legend);
  row->addElement(0, 2, new QCPLayoutElement(this));
  row->setColumnStretchFactor(1, 0.001);
  legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  legend->setWrap(0);
  legend->setVisible(true);
}

void SatelliteChart::ClearTitle() {
  titleLines_.clear();
  ShowTitleLines();
}

void SatelliteChart::AppendTitleLine(std::string_view line) {
  titleLines_.append(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
  ShowTitleLines();
}

void SatelliteChart::ShowTitleLines() {
  QStringList shown;
  for (const QString& line : titleLines_) shown.append(line.isEmpty() ? kEmptyTitleLine : line);
  title_->setText(shown.join(QLatin1Char('\n')));
  title_->setVisible(!shown.isEmpty());
  MarkChanged();
}

void SatelliteChart::Repaint() {
  replot(rpImmediateRefresh);
}

void SatelliteChart::AddSeries(PointSeries* series) {
  series_.push_back(series);
}

void SatelliteChart::SetTimeSpan(std::optional<QCPRange> span) {
  timeSpan_ = span;
  MarkChanged();
}

// One drawing soon for any number of changes; none when a drawing came
// first (every drawing clears the mark).
void SatelliteChart::MarkChanged() {
  if (changed_) return;
  changed_ = true;
  if (!isVisible()) return;
  QTimer::singleShot(0, this, [this] {
    if (changed_) replot();
  });
}

void SatelliteChart::showEvent(QShowEvent* event) {
  QCustomPlot::showEvent(event);
  if (changed_) replot(rpQueuedRefresh);
}

// Automatic axes follow the points of the active series; a chart with no
// such point keeps its range.
void SatelliteChart::FitAutomaticAxes() {
  for (ChartAxisAdapter* axis : {&bottom_, &left_}) {
    if (!axis->Automatic()) continue;
    bool found = axis == &bottom_ && timeSpan_;
    QCPRange range = found ? *timeSpan_ : RangeOfActiveSeries(series_, axis == &bottom_, found);
    if (!found) continue;
    // A single point, or points all at one value, still need a range to sit in.
    if (!(range.size() > 0)) {
      const double margin = axis == &bottom_ ? kLonePointMarginDays : kLonePointMarginValue;
      range = QCPRange(range.lower - margin, range.upper + margin);
    }
    axis->Axis()->setRange(range);
  }
}

void SatelliteChart::ZoomToRectangle(const QRect& pixels) {
  const QRect rect = pixels.normalized();
  bottom_.ShowRange({xAxis->pixelToCoord(rect.left()), xAxis->pixelToCoord(rect.right())});
  left_.ShowRange({yAxis->pixelToCoord(rect.bottom()), yAxis->pixelToCoord(rect.top())});
  Announce(&SatelliteChart::Zoomed);
}

void SatelliteChart::ZoomTimeAxis(double factor, int aroundPixel) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const QCPRange range = xAxis->range();
  const double centre = xAxis->pixelToCoord(aroundPixel);
  bottom_.ShowRange(
      {centre - (centre - range.lower) * factor, centre + (range.upper - centre) * factor});
  Announce(&SatelliteChart::Zoomed);
}

void SatelliteChart::PanTimeAxis(int pixels) {
  const QCPRange range = xAxis->range();
  const double shift = xAxis->pixelToCoord(0) - xAxis->pixelToCoord(pixels);
  bottom_.ShowRange({range.lower + shift, range.upper + shift});
}

// The time axis goes back to all the points; the value axis to the range the
// handlers (or the design) gave it, whatever rectangles came since.
void SatelliteChart::UndoZoom() {
  bottom_.SetAutomatic(true);
  // At once, not at the next drawing: charts that follow this one's time
  // axis see the span as soon as the undo is announced.
  if (timeSpan_) xAxis->setRange(*timeSpan_);
  left_.RestoreOwnRange();
  Announce(&SatelliteChart::ZoomUndone);
}

// A handler that shows a box runs the event loop; a gesture meanwhile must
// not start the handlers again.
void SatelliteChart::Announce(void (SatelliteChart::*signal)()) {
  if (announcing_) return;
  QScopedValueRollback<bool> guard(announcing_, true);
  emit(this->*signal)();
}

// A hand that shakes during a click does not make it a drag.
bool SatelliteChart::IsDrag(const QPoint& from, const QPoint& to) {
  return (to - from).manhattanLength() >= QApplication::startDragDistance();
}

bool SatelliteChart::InPlotArea(const QPoint& position) const {
  return axisRect()->rect().contains(position);
}

bool SatelliteChart::OnLegend(const QPoint& position) const {
  return legend->visible() && legend->outerRect().contains(position);
}

void SatelliteChart::OnRectangleGesture(const QRect& rect) {
  if (announcing_) return;
  const QPoint start = rect.topLeft();
  const QPoint end = rect.bottomRight();
  if (end.x() > start.x() && end.y() > start.y()) {
    ZoomToRectangle(rect);
  } else if (end.x() < start.x() && end.y() < start.y()) {
    UndoZoom();
  }
}

// The rectangle gesture is switched on only for a left press inside the
// plot area: on all the time it would take every press, and clicks on the
// legend would never arrive.
void SatelliteChart::mousePressEvent(QMouseEvent* event) {
  const bool inPlot = InPlotArea(event->pos());
  setSelectionRectMode(inPlot && event->button() == Qt::LeftButton && !announcing_ ? QCP::srmCustom
                                                                                   : QCP::srmNone);
  // Legend clicks are told from the chart's own presses and releases, never
  // from the plot's click signal: its note of what a press hit outlives a
  // press that became a drag, and would turn a later click in the plot into
  // a legend click.
  legendPress_.reset();
  if (!announcing_ && OnLegend(event->pos())) legendPress_ = event->pos();
  emit Touched();
  if (event->button() == Qt::RightButton && !announcing_ && !OnLegend(event->pos())) {
    rightPress_ = event->pos();
    rightDragged_ = false;
    if (inPlot) {
      panStart_ = event->pos();
      panStartRange_ = xAxis->range();
    }
  }
  QCustomPlot::mousePressEvent(event);
}

void SatelliteChart::mouseMoveEvent(QMouseEvent* event) {
  emit Touched();
  if (legendPress_ && IsDrag(*legendPress_, event->pos())) legendPress_.reset();
  if (rightPress_ && (event->buttons() & Qt::RightButton) && IsDrag(*rightPress_, event->pos())) {
    rightDragged_ = true;
  }
  // A hand that shakes during a click does not move the axis.
  if (panStart_ && rightDragged_ && (event->buttons() & Qt::RightButton)) {
    xAxis->setRange(panStartRange_);
    PanTimeAxis(event->pos().x() - panStart_->x());
  }
  QCustomPlot::mouseMoveEvent(event);
}

void SatelliteChart::mouseReleaseEvent(QMouseEvent* event) {
  const bool menuClick =
      event->button() == Qt::RightButton && rightPress_ && !rightDragged_ && !announcing_;
  const bool legendClick = legendPress_.has_value() && !announcing_;
  legendPress_.reset();
  if (event->button() == Qt::RightButton) {
    panStart_.reset();
    rightPress_.reset();
  }
  QCustomPlot::mouseReleaseEvent(event);
  if (menuClick) emit MenuRequested(mapToGlobal(event->pos()));
  if (legendClick) Announce(&SatelliteChart::LegendClicked);
}

void SatelliteChart::wheelEvent(QWheelEvent* event) {
  const QPoint position = event->position().toPoint();
  const int delta = event->angleDelta().y();
  if (!InPlotArea(position) || delta == 0 || announcing_) {
    QCustomPlot::wheelEvent(event);
    return;
  }
  ZoomTimeAxis(std::pow(kWheelZoomPerNotch, static_cast<double>(delta) / kWheelNotch),
               position.x());
  event->accept();
}

}  // namespace pelorin
