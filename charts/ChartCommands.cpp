#include "charts/ChartCommands.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>

#include "charts/ChartExport.h"
#include "charts/SatelliteChart.h"
#include "widgets/SaveDialog.h"

namespace pelorin {
namespace {

const QStringList kImageFilters = {QStringLiteral("PNG image (*.png)"),
                                   QStringLiteral("PDF document (*.pdf)")};
const QStringList kCsvFilters = {QStringLiteral("CSV file (*.csv)")};

}  // namespace

ChartCommands::ChartCommands(QWidget& owner, std::vector<ChartEntry> charts, bool offersLinkReport,
                             Qt::ShortcutContext context)
    : QObject(&owner), window_(owner), context_(context), charts_(std::move(charts)) {
  lastTouched_ = charts_.empty() ? nullptr : charts_.front().Chart;
  SaveImageAction = NewAction("SaveImageAction", QStringLiteral("Save chart as image…"),
                              QKeySequence(Qt::CTRL | Qt::Key_S));
  SavePointsAction = NewAction("SavePointsAction", QStringLiteral("Save points as CSV…"),
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  CopyImageAction = NewAction("CopyImageAction", QStringLiteral("Copy image"),
                              QKeySequence(Qt::CTRL | Qt::Key_C));
  UndoZoomAction =
      NewAction("UndoZoomAction", QStringLiteral("Undo zoom"), QKeySequence(Qt::Key_Escape));
  connect(SaveImageAction, &QAction::triggered, this, [this] {
    if (SatelliteChart* chart = Target()) SaveImage(*chart);
  });
  connect(SavePointsAction, &QAction::triggered, this, [this] {
    if (SatelliteChart* chart = Target()) SavePoints(*chart);
  });
  connect(CopyImageAction, &QAction::triggered, this, [this] {
    if (SatelliteChart* chart = Target()) CopyImage(*chart);
  });
  connect(UndoZoomAction, &QAction::triggered, this, [this] {
    if (SatelliteChart* chart = Target()) chart->UndoZoom();
  });

  Menu = new QMenu(&window_);
  Menu->setObjectName(QStringLiteral("ChartMenu"));
  Menu->addActions({SaveImageAction, SavePointsAction, CopyImageAction});
  Menu->addSeparator();
  Menu->addAction(UndoZoomAction);
  if (offersLinkReport) {
    LinkReportAction = NewAction("LinkReportAction", QStringLiteral("Link report"),
                                 QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(LinkReportAction, &QAction::triggered, this, &ChartCommands::LinkReportRequested);
    Menu->addSeparator();
    Menu->addAction(LinkReportAction);
  }

  for (const ChartEntry& entry : charts_) {
    SatelliteChart* chart = entry.Chart;
    connect(chart, &SatelliteChart::Touched, this, [this, chart] { lastTouched_ = chart; });
    connect(chart, &SatelliteChart::MenuRequested, this,
            [this, chart](const QPoint& position) { OpenMenu(chart, position); });
  }
}

QAction* ChartCommands::NewAction(const char* name, const QString& text, const QKeySequence& keys) {
  auto* action = new QAction(text, &window_);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(keys);
  action->setShortcutContext(context_);
  window_.addAction(action);
  return action;
}

QAction* ChartCommands::AddSaveAction(const char* name, const QString& text,
                                      const QKeySequence& keys) {
  QAction* action = NewAction(name, text, keys);
  Menu->insertAction(CopyImageAction, action);
  return action;
}

SatelliteChart* ChartCommands::Target() const {
  return lastTouched_;
}

void ChartCommands::OpenMenu(SatelliteChart* chart, const QPoint& globalPosition) {
  lastTouched_ = chart;
  Menu->popup(globalPosition);
}

QString ChartCommands::FileStemOf(const SatelliteChart* chart) const {
  for (const ChartEntry& entry : charts_) {
    if (entry.Chart == chart) return entry.FileStem;
  }
  return QStringLiteral("chart");
}

void ChartCommands::SaveImage(SatelliteChart& chart) {
  SaveWithDialog(
      &window_, QStringLiteral("Save chart as image"), FileStemOf(&chart) + QStringLiteral(".png"),
      kImageFilters,
      [this, &chart](const QString& path) { return SaveChartImage(chart, path, protectedLog_); });
}

void ChartCommands::SavePoints(SatelliteChart& chart) {
  SaveWithDialog(
      &window_, QStringLiteral("Save points as CSV"), FileStemOf(&chart) + QStringLiteral(".csv"),
      kCsvFilters,
      [this, &chart](const QString& path) { return SaveChartPoints(chart, path, protectedLog_); });
}

void ChartCommands::CopyImage(SatelliteChart& chart) {
  QGuiApplication::clipboard()->setImage(ChartImage(chart));
}

}  // namespace pelorin
