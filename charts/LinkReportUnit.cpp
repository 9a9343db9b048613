#include "charts/LinkReportUnit.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "charts/PointSeries.h"
#include "charts/SatelliteChart.h"
#include "cmr/Analysis.h"
#include "report/LinkTables.h"
#include "widgets/Fonts.h"
#include "widgets/QtToolkit.h"
#include "widgets/SaveDialog.h"

namespace pelorin {
namespace {

constexpr int kTitleFontPx = 15;
constexpr int kAxisFontPx = 12;
constexpr int kWindowWidthPx = 1300;
constexpr int kWindowHeightPx = 800;
constexpr int kTablesPaneWidthPx = 660;
constexpr int kRowPaddingPx = 6;
// Room above and below the points of a chart: whole satellites, or a tenth
// of the ages' span and at least half a second.
constexpr double kCountMarginSatellites = 1;
constexpr double kAgeMarginShare = 0.1;
constexpr double kSmallestAgeMarginSeconds = 0.5;

const QColor kChartBackground(0xE8, 0xF0, 0xFF);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kFuchsia(0xFF, 0x00, 0xFF);
const QColor kGreen(0x00, 0x99, 0x00);

const QString kTimeAxisTitles[] = {QStringLiteral("GPS Time ( yy/mm/dd hh:mm:ss )"),
                                   QStringLiteral("GLN System Time ( yy/mm/dd hh:mm:ss )")};
const char* const kTableFileStems[] = {"link-summary", "link-gaps", "link-satellites"};

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// The value axis around all points of the chart with room to spare, so that
// no marker is cut at the edge; the undo of a zoom comes back to it.
void FitValueAxis(SatelliteChart& chart, std::initializer_list<const PointSeries*> series,
                  double smallestMargin, double marginShare) {
  bool any = false;
  double lowest = 0;
  double highest = 0;
  for (const PointSeries* one : series) {
    if (one->Points().Empty()) continue;
    lowest = any ? std::min(lowest, one->MinYValue()) : one->MinYValue();
    highest = any ? std::max(highest, one->MaxYValue()) : one->MaxYValue();
    any = true;
  }
  if (!any) {
    chart.Left().SetAutomatic(true);
    return;
  }
  const double margin = std::max(smallestMargin, (highest - lowest) * marginShare);
  chart.Left().SetMinMax(lowest - margin, highest + margin);
}

PointSeries* NewSeries(SatelliteChart& chart, const char* name, const MarkerLook& marker,
                       bool inLegend) {
  auto* series = new PointSeries(chart, marker);
  series->setObjectName(QString::fromLatin1(name));
  series->setName(QString::fromLatin1(name));
  series->setPen(QPen(marker.Fill));
  if (inLegend) series->addToLegend();
  return series;
}

}  // namespace

TLinkReportForm::TLinkReportForm(const SharedState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state) {
  setObjectName(QStringLiteral("LinkReportForm"));
  setWindowTitle(QStringLiteral("Link report"));
  // Closing it only hides it; the main window alone ends the run.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(kWindowWidthPx, kWindowHeightPx);

  SourceLabel = new QLabel(this);
  SourceLabel->setObjectName(QStringLiteral("SourceLabel"));
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(BuildTablesPane());
  splitter->addWidget(BuildChartsPane());
  splitter->setSizes({kTablesPaneWidthPx, kWindowWidthPx - kTablesPaneWidthPx});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(SourceLabel);
  layout->addWidget(splitter, 1);
  CentreOnScreen(this);
  hide();
}

TLinkReportForm::~TLinkReportForm() = default;

QWidget* TLinkReportForm::BuildTablesPane() {
  auto* pane = new QWidget(this);
  Tables = new QTabWidget(pane);
  Tables->setObjectName(QStringLiteral("Tables"));
  SummaryTable = NewTable("SummaryTable", QStringLiteral("Summary"));
  GapsTable = NewTable("GapsTable", QStringLiteral("Gaps"));
  SatellitesTable = NewTable("SatellitesTable", QStringLiteral("Satellites"));

  CopyTableAction = new QAction(QStringLiteral("Copy table"), Tables);
  CopyTableAction->setObjectName(QStringLiteral("CopyTableAction"));
  CopyTableAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  SaveTableAction = new QAction(QStringLiteral("Save table as CSV…"), Tables);
  SaveTableAction->setObjectName(QStringLiteral("SaveTableAction"));
  SaveTableAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  for (QAction* action : {CopyTableAction, SaveTableAction}) {
    // Only while a table has the focus: the charts have their own Ctrl+C and Ctrl+S.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    Tables->addAction(action);
    for (QTableWidget* table : {SummaryTable, GapsTable, SatellitesTable}) table->addAction(action);
  }
  connect(CopyTableAction, &QAction::triggered, this, [this] { CopyTable(CurrentTable()); });
  connect(SaveTableAction, &QAction::triggered, this, [this] { SaveTable(CurrentTable()); });

  CopyTableButton = new QPushButton(QStringLiteral("Copy table"), pane);
  CopyTableButton->setObjectName(QStringLiteral("CopyTableButton"));
  SaveTableButton = new QPushButton(QStringLiteral("Save table as CSV…"), pane);
  SaveTableButton->setObjectName(QStringLiteral("SaveTableButton"));
  connect(CopyTableButton, &QPushButton::clicked, CopyTableAction, &QAction::trigger);
  connect(SaveTableButton, &QPushButton::clicked, SaveTableAction, &QAction::trigger);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(CopyTableButton);
  buttons->addWidget(SaveTableButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Tables, 1);
  layout->addLayout(buttons);
  return pane;
}

QTableWidget* TLinkReportForm::NewTable(const char* name, const QString& tab) {
  auto* table = new QTableWidget(Tables);
  table->setObjectName(QString::fromLatin1(name));
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setAlternatingRowColors(true);
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + kRowPaddingPx);
  table->setContextMenuPolicy(Qt::ActionsContextMenu);
  table->horizontalHeader()->setStretchLastSection(true);
  Tables->addTab(table, tab);
  return table;
}

QWidget* TLinkReportForm::BuildChartsPane() {
  auto* pane = new QWidget(this);
  pane->setObjectName(QStringLiteral("ChartsPane"));
  SystemBox = new QComboBox(pane);
  SystemBox->setObjectName(QStringLiteral("SystemBox"));
  SystemBox->addItems({QString::fromLatin1(kSystemNames[0]), QString::fromLatin1(kSystemNames[1])});

  AgeChart = NewChart("AgeChart", pane, QStringLiteral("Age of the corrections at the rover"),
                      QStringLiteral("Age (s)"));
  CommonChart = NewChart("CommonChart", pane,
                         QStringLiteral("Satellites per second: in the corrections (magenta), "
                                        "tracked at the rover (black), in both (green)"),
                         QStringLiteral("Satellites"));
  CommonChart->Left().SetDesiredIncrement(1);
  AgeSeries = NewSeries(*AgeChart, "Age", {MarkerShape::Circle, 2, kNavy, {}}, false);
  CorrectedSeries =
      NewSeries(*CommonChart, "Corrected", {MarkerShape::Square, 3, kFuchsia, {}}, true);
  TrackedSeries = NewSeries(*CommonChart, "Tracked", {MarkerShape::Circle, 2, Qt::black, {}}, true);
  CommonSeries = NewSeries(*CommonChart, "Common", {MarkerShape::Diamond, 1, kGreen, {}}, true);
  CommonChart->PlaceLegendAtTop();
  CommonChart->legend->setFont(ArialFont(kAxisFontPx, true));
  connect(SystemBox, &QComboBox::currentIndexChanged, this, &TLinkReportForm::ShowSystem);

  Commands = new ChartCommands(
      *pane, {{AgeChart, QStringLiteral("link-age")}, {CommonChart, QStringLiteral("link-common")}},
      false, Qt::WidgetWithChildrenShortcut);

  auto* systemRow = new QHBoxLayout;
  systemRow->addWidget(new QLabel(QStringLiteral("System:"), pane));
  systemRow->addWidget(SystemBox);
  systemRow->addStretch(1);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(systemRow);
  layout->addWidget(AgeChart, 1);
  layout->addWidget(CommonChart, 1);
  return pane;
}

SatelliteChart* TLinkReportForm::NewChart(const char* name, QWidget* parent, const QString& title,
                                          const QString& valueTitle) {
  auto* chart = new SatelliteChart(QString::fromLatin1(name), parent, TimeSteps::DateTimeUnits);
  chart->setBackground(kChartBackground);
  chart->axisRect()->setBackground(Qt::NoBrush);
  // The chart takes the focus on a click, so that its keys act on it.
  chart->setFocusPolicy(Qt::ClickFocus);
  QFont titleFont = ArialFont(kTitleFontPx, true);
  titleFont.setItalic(true);
  chart->SetTitleLook(titleFont, kNavy);
  chart->AppendTitleLine(title.toStdString());
  const QFont axisFont = ArialFont(kAxisFontPx, true);
  for (QCPAxis* axis : {chart->xAxis, chart->yAxis}) {
    axis->setTickLabelFont(axisFont);
    axis->setLabelFont(axisFont);
  }
  chart->yAxis->setLabel(valueTitle);
  chart->legend->setVisible(false);
  return chart;
}

void TLinkReportForm::ProtectLog(const std::string& selectedLogPath) {
  protectedLog_ = &selectedLogPath;
  Commands->ProtectLog(&selectedLogPath);
}

void TLinkReportForm::Open() {
  if (!shownOnce_ || link_ != state_.LastLink()) ShowLastAnalysis();
  show();
  raise();
  activateWindow();
}

void TLinkReportForm::FollowAnalysis() {
  if (isVisible()) ShowLastAnalysis();
}

void TLinkReportForm::ShowLastAnalysis() {
  shownOnce_ = true;
  link_ = state_.LastLink();
  const LinkReport empty;
  const LinkReport& link = link_ ? *link_ : empty;
  SourceLabel->setText(
      link_
          ? QStringLiteral("Link report of %1")
                .arg(ToQString(FileNameOf(state_.Store.SelectedLogPath)))
          : QStringLiteral("No link report: no log has been analysed as far as its CMR messages."));
  tables_ = {LinkSummaryTable(link), LinkGapsTable(link), LinkSatellitesTable(link)};
  FillTable(SummaryTable, tables_[0]);
  FillTable(GapsTable, tables_[1]);
  FillTable(SatellitesTable, tables_[2]);
  ShowSystem(SystemBox->currentIndex());
}

void TLinkReportForm::FillTable(QTableWidget* widget, const TextTable& table) {
  widget->clearSpans();
  widget->setRowCount(0);
  const int columns = static_cast<int>(table.Header.size());
  widget->setColumnCount(columns);
  QStringList header;
  for (const std::string& title : table.Header) header << Text(title);
  widget->setHorizontalHeaderLabels(header);
  widget->setRowCount(static_cast<int>(table.Rows.size()));
  const auto fill = [&](bool spanned) {
    for (int row = 0; row < widget->rowCount(); ++row) {
      const auto& cells = table.Rows[static_cast<std::size_t>(row)];
      const int last = static_cast<int>(cells.size()) - 1;
      if ((last < columns - 1) != spanned) continue;
      for (int column = 0; column <= last; ++column) {
        auto* item = new QTableWidgetItem(Text(cells[static_cast<std::size_t>(column)]));
        // A value cut at the table's edge reads whole under the pointer.
        if (spanned) item->setToolTip(item->text());
        widget->setItem(row, column, item);
      }
      // A value of the whole link spans the columns of the systems.
      if (spanned && last > 0) widget->setSpan(row, last, 1, columns - last);
    }
  };
  // The columns fit the rows of their own; the spanning values do not widen them.
  fill(false);
  widget->resizeColumnsToContents();
  fill(true);
}

void TLinkReportForm::ShowSystem(int system) {
  if (system < 0 || system > 1) return;
  for (PointSeries* series : {AgeSeries, CorrectedSeries, TrackedSeries, CommonSeries}) {
    series->Clear();
  }
  if (link_) {
    const SystemLink& link = link_->Systems[static_cast<std::size_t>(system)];
    for (const AgeAt& age : link.AgeOverTime) AgeSeries->AddPoint(age.Time, age.Seconds, "", 0);
    for (const CommonSecond& second : link.Common) {
      CorrectedSeries->AddPoint(second.Time, second.Corrected, "", 0);
      TrackedSeries->AddPoint(second.Time, second.Tracked, "", 0);
      CommonSeries->AddPoint(second.Time, second.Common, "", 0);
    }
  }
  FitValueAxis(*AgeChart, {AgeSeries}, kSmallestAgeMarginSeconds, kAgeMarginShare);
  FitValueAxis(*CommonChart, {CorrectedSeries, TrackedSeries, CommonSeries}, kCountMarginSatellites,
               0);
  for (SatelliteChart* chart : {AgeChart, CommonChart}) {
    chart->xAxis->setLabel(kTimeAxisTitles[system]);
    // Another system or another log: all of it in view.
    chart->UndoZoom();
  }
}

QTableWidget* TLinkReportForm::CurrentTable() const {
  auto* table = qobject_cast<QTableWidget*>(Tables->currentWidget());
  return table ? table : SummaryTable;
}

const TextTable& TLinkReportForm::TableOf(const QTableWidget* table) const {
  if (table == SummaryTable) return tables_[0];
  if (table == GapsTable) return tables_[1];
  if (table == SatellitesTable) return tables_[2];
  throw std::invalid_argument("not a table of the link report");
}

void TLinkReportForm::CopyTable(const QTableWidget* table) {
  QGuiApplication::clipboard()->setText(Text(TabText(TableOf(table))));
}

void TLinkReportForm::SaveTable(const QTableWidget* table) {
  const int index = table == GapsTable ? 1 : table == SatellitesTable ? 2 : 0;
  const std::string csv = CsvText(TableOf(table));
  SaveWithDialog(this, QStringLiteral("Save table as CSV"),
                 QString::fromLatin1(kTableFileStems[index]) + QStringLiteral(".csv"),
                 {QStringLiteral("CSV file (*.csv)")}, [this, &csv](const QString& path) {
                   return SaveStreamAtomically(path, protectedLog_,
                                               [&csv](std::ostream& out) { out << csv; });
                 });
}

}  // namespace pelorin
