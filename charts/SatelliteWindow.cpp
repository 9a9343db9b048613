#include "charts/SatelliteWindow.h"

#include <QAction>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <optional>
#include <stdexcept>

#include "report/SatelliteSeconds.h"
#include "widgets/Fonts.h"
#include "widgets/QtToolkit.h"
#include "widgets/SaveDialog.h"

namespace pelorin {
namespace {

constexpr int kTitleFontPx = 16;
constexpr int kAxisFontPx = 13;
constexpr int kWindowFontPx = 11;

constexpr std::array<PointSeries * TSatelliteWindow::*, kSeriesPerWindow> kSeriesMembers = {
    &TSatelliteWindow::Series1, &TSatelliteWindow::Series2, &TSatelliteWindow::Series3,
    &TSatelliteWindow::Series4, &TSatelliteWindow::Series5};

void ApplyAxisLook(ChartAxisAdapter& adapter, const AxisLook& look) {
  QCPAxis* axis = adapter.Axis();
  const QFont font = ArialFont(kAxisFontPx, true);
  axis->setTickLabelFont(font);
  axis->setLabelFont(font);
  axis->setTickLabelColor(Qt::black);
  axis->setLabelColor(look.TitleColour);
  axis->setLabel(look.Title);
  adapter.SetDesiredIncrement(look.DesiredIncrement);
  if (look.Automatic) {
    adapter.SetAutomatic(true);
  } else {
    adapter.SetMinMax(look.Minimum, look.Maximum);
  }
}

void Place(QWidget* widget, const ChartPlacement& placement) {
  widget->setGeometry(placement.Left, placement.Top, placement.Width, placement.Height);
}

const QString kSaveSatellitesCaption = QStringLiteral("Save satellites per second as CSV");

enum class SaveRange { Zoomed, WholeLog, NotAnswered };

SaveRange AskSaveRange(QWidget* parent) {
  QMessageBox box(QMessageBox::Question, kSaveSatellitesCaption,
                  QStringLiteral("The chart is zoomed. Save the seconds of the zoomed range, or "
                                 "of the whole log?"),
                  QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("SaveRangeBox"));
  QPushButton* zoomed = box.addButton(QStringLiteral("Zoomed range"), QMessageBox::AcceptRole);
  zoomed->setObjectName(QStringLiteral("ZoomedRangeButton"));
  QPushButton* whole = box.addButton(QStringLiteral("Whole log"), QMessageBox::AcceptRole);
  whole->setObjectName(QStringLiteral("WholeLogButton"));
  box.setDefaultButton(zoomed);
  box.exec();
  if (box.clickedButton() == zoomed) return SaveRange::Zoomed;
  if (box.clickedButton() == whole) return SaveRange::WholeLog;
  return SaveRange::NotAnswered;
}

}  // namespace

TSatelliteWindow::TSatelliteWindow(const SatelliteWindowLook& look, std::int32_t& legendClickCount,
                                   QWidget* parent)
    : QWidget(parent, FixedWindowFlags(BorderIcons{.SystemMenu = true})) {
  setObjectName(look.Name);
  setWindowTitle(look.Caption);
  setFont(SansSerifFont(kWindowFontPx));
  // Closing a satellite window only hides it; the main window alone ends the run.
  setAttribute(Qt::WA_QuitOnClose, false);

  Chart1 = BuildChart(QStringLiteral("Chart1"), look.Chart1);
  Chart2 = BuildChart(QStringLiteral("Chart2"), look.Chart2);
  for (const SeriesLook& series : look.Series) BuildSeries(series);
  Chart1->setToolTip(Chart1->toolTip() +
                     QStringLiteral("\nClick the legend: totals or missing epochs"));

  views_ = std::make_unique<SatelliteViews>(*look.Views, *Chart1, *Chart2, *Series1, *Series3,
                                            legendClickCount);
  connect(Chart1, &SatelliteChart::Zoomed, this, &TSatelliteWindow::Chart1Zoom);
  connect(Chart1, &SatelliteChart::ZoomUndone, this, &TSatelliteWindow::Chart1UndoZoom);
  connect(Chart1, &SatelliteChart::LegendClicked, this, &TSatelliteWindow::Chart1ClickLegend);
  connect(Chart2, &SatelliteChart::Zoomed, this, &TSatelliteWindow::Chart2Zoom);

  Commands = new ChartCommands(*this,
                               {{Chart1, look.FileStem + QStringLiteral("-totals")},
                                {Chart2, look.FileStem + QStringLiteral("-satellites")}},
                               true);
  connect(Commands, &ChartCommands::LinkReportRequested, this,
          &TSatelliteWindow::LinkReportRequested);
  system_ = look.System;
  fileStem_ = look.FileStem;
  SaveSatellitesAction =
      Commands->AddSaveAction("SaveSatellitesAction", kSaveSatellitesCaption + QStringLiteral("…"),
                              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  connect(SaveSatellitesAction, &QAction::triggered, this,
          &TSatelliteWindow::SaveSatellitesPerSecond);
  CentreOnScreen(this);
  hide();
}

TSatelliteWindow::~TSatelliteWindow() = default;

SatelliteChart* TSatelliteWindow::BuildChart(const QString& name, const ChartLook& look) {
  auto* chart = new SatelliteChart(name, this, look.BottomSteps);
  chart->setBackground(look.Background);
  // No back wall: the plot area shows the chart's own colour.
  chart->axisRect()->setBackground(Qt::NoBrush);
  QFont titleFont = ArialFont(kTitleFontPx, true);
  titleFont.setItalic(true);
  chart->SetTitleLook(titleFont, look.TitleColour);
  for (const QString& line : look.DesignTitle) chart->AppendTitleLine(line.toStdString());
  ApplyAxisLook(chart->Bottom(), look.Bottom);
  ApplyAxisLook(chart->Left(), look.Left);
  if (look.ShowsLegend) {
    chart->PlaceLegendAtTop();
    chart->legend->setFont(ArialFont(kAxisFontPx, true));
    chart->legend->setTextColor(Qt::black);
  } else {
    chart->legend->setVisible(false);
  }
  return chart;
}

PointSeries* TSatelliteWindow::BuildSeries(const SeriesLook& look) {
  SatelliteChart* chart = look.Chart == 1 ? Chart1 : Chart2;
  auto* series = new PointSeries(*chart, look.Marker);
  series->setObjectName(QStringLiteral("Series%1").arg(look.Number));
  series->setName(look.Title);
  // Drawn with the marker fills alone; the colour names the series.
  series->setPen(QPen(look.Colour));
  if (look.InLegend) series->addToLegend();
  this->*kSeriesMembers.at(static_cast<std::size_t>(look.Number - 1)) = series;
  return series;
}

PointSeries& TSatelliteWindow::Series(int number) {
  if (number < 1 || number > kSeriesPerWindow) throw std::out_of_range("series number");
  return *(this->*kSeriesMembers[static_cast<std::size_t>(number - 1)]);
}

// The chart the command acts on is zoomed when its time axis no longer
// follows the points; an undo gives it back to them.
void TSatelliteWindow::SaveSatellitesPerSecond() {
  std::optional<WindowTimeRange> range;
  // The seconds are the lower chart's: its zoom is the range in question,
  // whichever chart the command came from.
  if (!Chart2->Bottom().Automatic()) {
    const QCPRange shown = Chart2->xAxis->range();
    switch (AskSaveRange(this)) {
      case SaveRange::Zoomed:
        range = WindowTimeRange{shown.lower, shown.upper};
        break;
      case SaveRange::WholeLog:
        break;
      case SaveRange::NotAnswered:
        return;
    }
  }
  SaveWithDialog(
      this, kSaveSatellitesCaption, fileStem_ + QStringLiteral("-satellites-per-second.csv"),
      {QStringLiteral("CSV file (*.csv)")}, [this, range](const QString& path) {
        // The points as they stand once the dialog is closed: an analysis
        // may have ended while it was up.
        const SatelliteSeriesPoints points{Series2->Points().Sorted(), Series4->Points().Sorted(),
                                           Series5->Points().Sorted()};
        return SaveStreamAtomically(path, Commands->ProtectedLog(),
                                    [this, &points, range](std::ostream& out) {
                                      WriteSatelliteSecondsCsv(out, system_, points, range, clock_);
                                    });
      });
}

void TSatelliteWindow::OpenLaidOut() {
  setWindowState(windowState() | Qt::WindowMaximized);
  // The screen size is the outer size, frame included. Where no window
  // manager places a maximised window, it goes to the screen's corner.
  const QRect screenArea = screen()->geometry();
  const QSize frame = frameGeometry().size() - size();
  resize(screenArea.width() - frame.width(), height());
  resize(width(), screenArea.height() - frame.height());
  move(screenArea.topLeft());
  // An explicit size ends Qt's maximised state; the window stays maximised.
  setWindowState(windowState() | Qt::WindowMaximized);
  LayOutCharts();
  show();
  raise();
  activateWindow();
}

void TSatelliteWindow::LayOutCharts() {
  const SatelliteLayout layout = LayOutSatelliteCharts(height(), frameGeometry().width());
  Place(Chart1, layout.Chart1);
  Place(Chart2, layout.Chart2);
}

// The window system decides the final size of a maximised window; the
// charts follow the client height it gives.
void TSatelliteWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutCharts();
}

bool TSatelliteWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QWidget::event(event);
}

void TSatelliteWindow::ShowNewAnalysis() {
  views_->ShowNewAnalysis();
  if (!isVisible()) return;
  Chart1->Repaint();
  Chart2->Repaint();
}

void TSatelliteWindow::FormActivate() {
  views_->FormActivate();
}

void TSatelliteWindow::Chart1Zoom() {
  views_->Chart1Zoom();
}

void TSatelliteWindow::Chart1UndoZoom() {
  views_->Chart1UndoZoom();
}

void TSatelliteWindow::Chart1ClickLegend() {
  views_->Chart1ClickLegend();
}

void TSatelliteWindow::Chart2Zoom() {
  views_->Chart2Zoom();
}

}  // namespace pelorin
