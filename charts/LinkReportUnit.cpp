#include "charts/LinkReportUnit.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "charts/PointSeries.h"
#include "charts/SatelliteChart.h"
#include "cmr/Analysis.h"
#include "log/DateTime.h"
#include "report/LinkTables.h"
#include "report/SolutionTables.h"
#include "report/VerdictText.h"
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
// The solution chart takes a third of the height of each of the others.
constexpr int kSolutionChartStretch = 1;
constexpr int kChartStretch = 3;
constexpr int kSolutionChartMinHeightPx = 120;
constexpr int kLegendFontPx = 11;
// The solution's bands fill 0..1 of the value axis; the room above and
// below shows the outages of the corrections behind them.
constexpr double kBandMargin = 0.3;
// An epoch's band reaches the next epoch when it follows within this many
// of the log's usual epoch intervals, and one interval long otherwise.
constexpr double kLongestStepShare = 1.5;
// A chosen loss of the fix is shown with at least this much time either side.
constexpr double kLossMarginSeconds = 30;
constexpr double kSmallestAgeLimitSeconds = 1;
constexpr double kLargestAgeLimitSeconds = 600;
constexpr int kMostCommonSatellites = 64;
constexpr double kLongestOutageLimitSeconds = 86'400;
// Where the limits and the clock are remembered.
const char* const kMaxAgeKey = "linkReport/maxAge";
const char* const kMinCommonKey = "linkReport/minCommon";
const char* const kMinAvailableKey = "linkReport/minAvailable";
const char* const kMaxOutageKey = "linkReport/maxOutage";
const char* const kClockKey = "linkReport/clock";
const QString kClockTitles[] = {QStringLiteral("GPS time"), QStringLiteral("UTC"),
                                QStringLiteral("Local time")};
const char* const kBandsLayer = "bands";

const QColor kChartBackground(0xE8, 0xF0, 0xFF);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kFuchsia(0xFF, 0x00, 0xFF);
const QColor kGreen(0x00, 0x99, 0x00);
const QColor kOutageShade(0xF2, 0xC8, 0xC8);
const QColor kLossMarkerColour(0xC0, 0x00, 0x00);

struct SolutionBandLook {
  const char* Name;
  const char* Legend;
  QColor Fill;
};
// In the order of TLinkReportForm::SolutionBands.
const SolutionBandLook kSolutionBandLooks[TLinkReportForm::kSolutionBands] = {
    {"SolutionFixed", "RTK fixed", QColor(0x00, 0xA0, 0x00)},
    {"SolutionFloat", "RTK float", QColor(0xFF, 0xA0, 0x00)},
    {"SolutionCodeDifferential", "Code differential", QColor(0x20, 0x60, 0xE0)},
    {"SolutionStandalone", "Standalone", QColor(0xE0, 0x20, 0x20)},
    {"SolutionNone", "No solution", QColor(0xA0, 0xA0, 0xA0)},
    {"SolutionOther", "Other", QColor(0x90, 0x30, 0xB0)},
};

const QString kTimeAxisTitles[] = {QStringLiteral("GPS Time ( yy/mm/dd hh:mm:ss )"),
                                   QStringLiteral("GLN System Time ( yy/mm/dd hh:mm:ss )")};
const char* const kTableFileStems[] = {"link-summary", "link-gaps", "link-satellites",
                                       "link-solution", "link-fix-losses"};

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

// Runs of time filled on a fixed value axis: the graph steps up to 1 at each
// start and down to 0 at each end, and its brush fills what lies under 1, so
// that a day of epochs draws as a few polygons, not as thousands of items.
class BandGraph : public QCPGraph {
public:
  BandGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const char* name, const QColor& fill)
      : QCPGraph(keyAxis, valueAxis) {
    setObjectName(QString::fromLatin1(name));
    setLineStyle(QCPGraph::lsStepLeft);
    setPen(Qt::NoPen);
    setBrush(fill);
  }

protected:
  // The whole icon filled: the graph has no line to show.
  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override {
    painter->fillRect(rect, brush());
  }
};

struct TimeRun {
  double Start = 0;
  double End = 0;
};

// Sorted, and those that overlap or touch joined.
void JoinRuns(std::vector<TimeRun>& runs) {
  std::sort(runs.begin(), runs.end(),
            [](const TimeRun& a, const TimeRun& b) { return a.Start < b.Start; });
  std::size_t kept = 0;
  for (const TimeRun& run : runs) {
    if (kept > 0 && run.Start <= runs[kept - 1].End) {
      runs[kept - 1].End = std::max(runs[kept - 1].End, run.End);
    } else {
      runs[kept++] = run;
    }
  }
  runs.resize(kept);
}

void SetBands(QCPGraph& graph, const std::vector<TimeRun>& runs) {
  QVector<double> keys;
  QVector<double> values;
  keys.reserve(static_cast<qsizetype>(runs.size() * 2));
  values.reserve(keys.capacity());
  for (const TimeRun& run : runs) {
    keys << run.Start << run.End;
    values << 1 << 0;
  }
  graph.setData(keys, values, true);
}

// A time of the window: GPS time, or GLONASS system time for system 1.
double ShownTime(double gpsTime, int system) {
  return system == 1 ? gpsTime + GpsToGlonassOffsetDays(gpsTime) : gpsTime;
}

// The bands come in the order of the solution types' ranks; every type of
// another number shares the last.
std::size_t BandOf(const RoverEpoch& epoch) {
  constexpr int kOtherBand = static_cast<int>(TLinkReportForm::kSolutionBands) - 1;
  const int rank = SolutionRank(epoch.HasPosition ? epoch.Solution : kNoSolution);
  return static_cast<std::size_t>(std::min(rank, kOtherBand));
}

// The usual step from one epoch to the next, in days: the median of the
// steps forward; a second when there is none.
double UsualEpochStep(const LargeVector<RoverEpoch>& epochs) {
  std::vector<double> steps;
  steps.reserve(epochs.size());
  for (std::size_t i = 1; i < epochs.size(); ++i) {
    const double step = epochs[i].Time - epochs[i - 1].Time;
    if (step > 0) steps.push_back(step);
  }
  if (steps.empty()) return kOneSecondDays;
  const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
  std::nth_element(steps.begin(), middle, steps.end());
  return *middle;
}

// Each epoch from its time to the next epoch's, runs of one type joined, per
// band, in GPS time.
std::array<std::vector<TimeRun>, TLinkReportForm::kSolutionBands> SolutionRuns(
    const LargeVector<RoverEpoch>& epochs) {
  std::array<std::vector<TimeRun>, TLinkReportForm::kSolutionBands> runs;
  const double step = UsualEpochStep(epochs);
  for (std::size_t i = 0; i < epochs.size(); ++i) {
    const double start = epochs[i].Time;
    const double next = i + 1 < epochs.size() ? epochs[i + 1].Time : start;
    const double end =
        next > start && next - start <= step * kLongestStepShare ? next : start + step;
    std::vector<TimeRun>& band = runs[BandOf(epochs[i])];
    if (!band.empty() && band.back().End == start) {
      band.back().End = end;
    } else {
      band.push_back({start, end});
    }
  }
  // A log whose time steps back may overlap its own runs.
  for (std::vector<TimeRun>& band : runs) JoinRuns(band);
  return runs;
}

}  // namespace

TLinkReportForm::TLinkReportForm(const SharedState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state) {
  const QSettings settings;
  limits_.MaxAgeSeconds = settings.value(kMaxAgeKey, limits_.MaxAgeSeconds).toDouble();
  limits_.MinCommonSatellites = settings.value(kMinCommonKey, limits_.MinCommonSatellites).toInt();
  limits_.MinAvailablePercent =
      settings.value(kMinAvailableKey, limits_.MinAvailablePercent).toDouble();
  limits_.MaxOutageSeconds = settings.value(kMaxOutageKey, limits_.MaxOutageSeconds).toDouble();
  clock_ = report::ClockNamed(settings.value(kClockKey).toString().toStdString())
               .value_or(report::Clock::Gps);
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
  SolutionTable = NewTable("SolutionTable", QStringLiteral("Solution"));
  FixLossesTable = NewTable("FixLossesTable", QStringLiteral("Fix losses"));
  FixLossesTable->setToolTip(QStringLiteral("Click a loss to see it on the charts"));
  connect(FixLossesTable, &QTableWidget::cellClicked, this,
          [this](int row, int) { ShowFixLoss(row); });

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
    for (QTableWidget* table : TableWidgets()) table->addAction(action);
  }
  connect(CopyTableAction, &QAction::triggered, this, [this] { CopyTable(CurrentTable()); });
  connect(SaveTableAction, &QAction::triggered, this, [this] { SaveTable(CurrentTable()); });

  CopyTableButton = new QPushButton(QStringLiteral("Copy table"), pane);
  CopyTableButton->setObjectName(QStringLiteral("CopyTableButton"));
  SaveTableButton = new QPushButton(QStringLiteral("Save table as CSV…"), pane);
  SaveTableButton->setObjectName(QStringLiteral("SaveTableButton"));
  connect(CopyTableButton, &QPushButton::clicked, CopyTableAction, &QAction::trigger);
  connect(SaveTableButton, &QPushButton::clicked, SaveTableAction, &QAction::trigger);

  SavePdfAction = new QAction(QStringLiteral("Save link report as PDF…"), this);
  SavePdfAction->setObjectName(QStringLiteral("SavePdfAction"));
  SavePdfAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  addAction(SavePdfAction);
  SavePdfButton = new QPushButton(SavePdfAction->text(), pane);
  SavePdfButton->setObjectName(QStringLiteral("SavePdfButton"));
  connect(SavePdfAction, &QAction::triggered, this, &TLinkReportForm::PdfRequested);
  connect(SavePdfButton, &QPushButton::clicked, SavePdfAction, &QAction::trigger);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(CopyTableButton);
  buttons->addWidget(SaveTableButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Tables, 1);
  layout->addLayout(buttons);
  layout->addLayout(BuildLimitsRow(pane));
  return pane;
}

// The limits and the clock under the tables, each box with its label.
QLayout* TLinkReportForm::BuildLimitsRow(QWidget* pane) {
  auto* row = new QHBoxLayout;
  const auto add = [pane, row](const QString& label, QWidget* box, const QString& tip) {
    box->setToolTip(tip);
    auto* text = new QLabel(label, pane);
    text->setBuddy(box);
    row->addWidget(text);
    row->addWidget(box);
  };
  const auto seconds = [pane](const char* name, double least, double most, double value) {
    auto* box = new QDoubleSpinBox(pane);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(least, most);
    box->setDecimals(1);
    box->setValue(value);
    // Typing judges once, when done, not at every digit.
    box->setKeyboardTracking(false);
    return box;
  };
  MaxAgeBox = seconds("MaxAgeBox", kSmallestAgeLimitSeconds, kLargestAgeLimitSeconds,
                      limits_.MaxAgeSeconds);
  add(QStringLiteral("Age limit (s):"), MaxAgeBox,
      QStringLiteral("Corrections older than this at the rover are not usable; a loss of the RTK "
                     "fix while they were counts against missing corrections"));
  MinCommonBox = new QSpinBox(pane);
  MinCommonBox->setObjectName(QStringLiteral("MinCommonBox"));
  MinCommonBox->setRange(1, kMostCommonSatellites);
  MinCommonBox->setValue(limits_.MinCommonSatellites);
  MinCommonBox->setKeyboardTracking(false);
  add(QStringLiteral("Common:"), MinCommonBox,
      QStringLiteral("The fewest satellites both in the corrections and tracked at the rover"));
  MinAvailableBox = seconds("MinAvailableBox", 1, 100, limits_.MinAvailablePercent);
  add(QStringLiteral("Available (%):"), MinAvailableBox,
      QStringLiteral("The least share of the time with usable corrections"));
  MaxOutageBox = seconds("MaxOutageBox", 1, kLongestOutageLimitSeconds, limits_.MaxOutageSeconds);
  add(QStringLiteral("Outage (s):"), MaxOutageBox,
      QStringLiteral("The longest outage of the corrections"));
  ClockBox = new QComboBox(pane);
  ClockBox->setObjectName(QStringLiteral("ClockBox"));
  for (const QString& title : kClockTitles) ClockBox->addItem(title);
  ClockBox->setCurrentIndex(static_cast<int>(clock_));
  // Placed beside the system, above the charts.
  ClockBox->setToolTip(
      QStringLiteral("The clock of the times in the tables; the charts keep theirs"));
  row->addStretch(1);
  connect(MaxAgeBox, &QDoubleSpinBox::valueChanged, this, &TLinkReportForm::SetLimits);
  connect(MinCommonBox, &QSpinBox::valueChanged, this, &TLinkReportForm::SetLimits);
  connect(MinAvailableBox, &QDoubleSpinBox::valueChanged, this, &TLinkReportForm::SetLimits);
  connect(MaxOutageBox, &QDoubleSpinBox::valueChanged, this, &TLinkReportForm::SetLimits);
  connect(ClockBox, &QComboBox::currentIndexChanged, this, &TLinkReportForm::SetClock);
  return row;
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

  SolutionChart = NewChart("SolutionChart", pane, QStringLiteral("Rover solution"), QString());
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
  BuildSolutionChart();
  for (std::size_t i = 0; i < OutageBands.size(); ++i) {
    SatelliteChart* chart = TimeCharts()[i];
    // Behind the grid and the points, across the whole height of the plot.
    chart->addLayer(QString::fromLatin1(kBandsLayer), chart->layer(QStringLiteral("grid")),
                    QCustomPlot::limBelow);
    chart->yAxis2->setRange(0, 1);
    OutageBands[i] = new BandGraph(chart->xAxis, chart->yAxis2, "Outages", kOutageShade);
    OutageBands[i]->setLayer(QString::fromLatin1(kBandsLayer));
    LossMarkers[i] = new QCPItemStraightLine(chart);
    LossMarkers[i]->setObjectName(QStringLiteral("LossMarker"));
    LossMarkers[i]->setPen(QPen(kLossMarkerColour, 2, Qt::DashLine));
    LossMarkers[i]->setVisible(false);
  }
  for (std::size_t i = 0; i < NoCorrectionsTexts.size(); ++i) {
    SatelliteChart* chart = i == 0 ? AgeChart : CommonChart;
    auto* text = new QCPItemText(chart);
    text->setObjectName(QStringLiteral("NoCorrectionsText"));
    text->position->setType(QCPItemPosition::ptAxisRectRatio);
    text->position->setCoords(0.5, 0.5);
    text->setFont(ArialFont(kTitleFontPx, true));
    text->setColor(kNavy);
    text->setVisible(false);
    NoCorrectionsTexts[i] = text;
  }
  ShareTimeAxis();
  connect(SystemBox, &QComboBox::currentIndexChanged, this, &TLinkReportForm::ShowSystem);

  Commands = new ChartCommands(*pane,
                               {{SolutionChart, QStringLiteral("link-solution")},
                                {AgeChart, QStringLiteral("link-age")},
                                {CommonChart, QStringLiteral("link-common")}},
                               false, Qt::WidgetWithChildrenShortcut);

  auto* systemRow = new QHBoxLayout;
  systemRow->addWidget(new QLabel(QStringLiteral("System:"), pane));
  systemRow->addWidget(SystemBox);
  auto* clockLabel = new QLabel(QStringLiteral("Clock:"), pane);
  clockLabel->setBuddy(ClockBox);
  systemRow->addSpacing(kRowPaddingPx * 2);
  systemRow->addWidget(clockLabel);
  systemRow->addWidget(ClockBox);
  systemRow->addStretch(1);
  systemRow->addWidget(SavePdfButton);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(systemRow);
  layout->addWidget(SolutionChart, kSolutionChartStretch);
  layout->addWidget(AgeChart, kChartStretch);
  layout->addWidget(CommonChart, kChartStretch);
  return pane;
}

// A strip of bands, one per run of epochs of one solution type, on a value
// axis of its own that no gesture changes.
void TLinkReportForm::BuildSolutionChart() {
  SolutionChart->setMinimumHeight(kSolutionChartMinHeightPx);
  SolutionChart->Left().SetMinMax(-kBandMargin, 1 + kBandMargin);
  SolutionChart->yAxis->setTicks(false);
  SolutionChart->yAxis->setTickLabels(false);
  SolutionChart->yAxis->grid()->setVisible(false);
  SolutionChart->yAxis->grid()->setSubGridVisible(false);
  for (std::size_t i = 0; i < SolutionBands.size(); ++i) {
    const SolutionBandLook& look = kSolutionBandLooks[i];
    SolutionBands[i] =
        new BandGraph(SolutionChart->xAxis, SolutionChart->yAxis, look.Name, look.Fill);
    SolutionBands[i]->setName(QString::fromLatin1(look.Legend));
    SolutionBands[i]->addToLegend();
  }
  SolutionChart->PlaceLegendAtTop();
  SolutionChart->legend->setFont(ArialFont(kLegendFontPx, true));
  SolutionChart->legend->setIconSize(kLegendFontPx * 2, kLegendFontPx);
  // A zoom to a rectangle drawn on the strip moves its time axis only.
  connect(SolutionChart, &SatelliteChart::Zoomed, this,
          [this] { SolutionChart->Left().RestoreOwnRange(); });
}

// A zoom, a pan or an undo on one chart moves the time axes of the others.
void TLinkReportForm::ShareTimeAxis() {
  for (SatelliteChart* chart : TimeCharts()) {
    connect(chart->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this, chart](const QCPRange& range) { FollowTimeAxis(chart, range); });
    connect(chart, &SatelliteChart::ZoomUndone, this, [this, chart] { UndoZoomOfOthers(chart); });
  }
}

void TLinkReportForm::FollowTimeAxis(const SatelliteChart* from, const QCPRange& range) {
  if (followingTime_) return;
  QScopedValueRollback<bool> guard(followingTime_, true);
  for (SatelliteChart* chart : TimeCharts()) {
    if (chart != from && chart->xAxis->range() != range) chart->Bottom().ShowRange(range);
  }
}

void TLinkReportForm::UndoZoomOfOthers(const SatelliteChart* from) {
  if (followingTime_) return;
  QScopedValueRollback<bool> guard(followingTime_, true);
  for (SatelliteChart* chart : TimeCharts()) {
    if (chart != from) chart->UndoZoom();
  }
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

void TLinkReportForm::TakeLastAnalysis() {
  if (!shownOnce_ || link_ != state_.LastLink() || rover_ != state_.LastRover()) {
    ShowLastAnalysis();
  }
}

void TLinkReportForm::Open() {
  TakeLastAnalysis();
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
  rover_ = state_.LastRover();
  solution_ = state_.LastSolution();
  verdict_ = state_.LastResult ? state_.LastResult->Judged : nullptr;
  markedLoss_.reset();
  SourceLabel->setText(
      link_
          ? QStringLiteral("Link report of %1")
                .arg(ToQString(FileNameOf(state_.Store.SelectedLogPath)))
          : QStringLiteral("No link report: no log has been analysed as far as its CMR messages."));
  SetLimits();
  ShowSystem(SystemBox->currentIndex());
}

// The analysis judged the day against the limits its request named; the
// window's own limits, where they differ, judge it again.
void TLinkReportForm::SetLimits() {
  limits_ = {MaxAgeBox->value(), MinCommonBox->value(), MinAvailableBox->value(),
             MaxOutageBox->value()};
  QSettings settings;
  settings.setValue(kMaxAgeKey, limits_.MaxAgeSeconds);
  settings.setValue(kMinCommonKey, limits_.MinCommonSatellites);
  settings.setValue(kMinAvailableKey, limits_.MinAvailablePercent);
  settings.setValue(kMaxOutageKey, limits_.MaxOutageSeconds);

  const LinkLimits asked = verdict_ ? verdict_->Limits : LinkLimits{};
  const bool solutionAsAnalysed = limits_.MaxAgeSeconds == asked.MaxAgeSeconds &&
                                  limits_.MinCommonSatellites == asked.MinCommonSatellites;
  shownSolution_ = solution_;
  if (solution_ && rover_ && link_ && !solutionAsAnalysed) {
    shownSolution_ = std::make_shared<const SolutionReport>(
        MeasureSolution(*rover_, *link_, limits_.ForSolution()));
  }
  shownVerdict_ = verdict_;
  if (verdict_ && rover_ && link_ &&
      !(solutionAsAnalysed && limits_.MinAvailablePercent == asked.MinAvailablePercent &&
        limits_.MaxOutageSeconds == asked.MaxOutageSeconds)) {
    shownVerdict_ = std::make_shared<const Verdict>(
        JudgeLink(MeasureFigures(*link_, *rover_, shownSolution_.get(), limits_), limits_));
  }
  setWindowTitle(shownVerdict_ ? QStringLiteral("Link report: %1")
                                     .arg(ToQString(std::string(GradeText(shownVerdict_->Grade))))
                               : QStringLiteral("Link report"));
  FillTables();
}

void TLinkReportForm::SetClock(int clock) {
  if (clock < 0 || clock > 2) return;
  clock_ = static_cast<report::Clock>(clock);
  QSettings().setValue(kClockKey, ToQString(std::string(report::ClockName(clock_))));
  FillTables();
  emit ClockChosen(clock);
}

void TLinkReportForm::FillTables() {
  const LinkReport empty;
  const LinkReport& link = link_ ? *link_ : empty;
  tables_[0] = LinkSummaryTable(link, clock_);
  if (shownVerdict_) tables_[0] = WithVerdictRow(std::move(tables_[0]), *shownVerdict_, clock_);
  tables_[1] = LinkGapsTable(link, clock_);
  tables_[2] = LinkSatellitesTable(link);
  if (shownSolution_) {
    tables_[3] = SolutionSummaryTable(*shownSolution_, clock_);
    tables_[4] = pelorin::FixLossesTable(*shownSolution_, clock_);
  } else {
    tables_[3] = NoSolutionSummaryTable();
    tables_[4] = pelorin::FixLossesTable(SolutionReport{}, clock_);
  }
  const auto widgets = TableWidgets();
  for (std::size_t k = 0; k < widgets.size(); ++k) FillTable(widgets[k], tables_[k]);
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
  }
  ShowSolutionBands(system);
  ShowOutages(system);
  ShowLossMarkers(system);
  ShowNoCorrections(system);
  FitTimeSpan();
  // Another system or another log: all of it in view.
  QScopedValueRollback<bool> guard(followingTime_, true);
  for (SatelliteChart* chart : TimeCharts()) chart->UndoZoom();
}

void TLinkReportForm::ShowSolutionBands(int system) {
  const bool shown = solution_ && rover_;
  SolutionChart->ClearTitle();
  SolutionChart->AppendTitleLine(shown ? "Rover solution" : "No rover solution in this log");
  SolutionChart->legend->setVisible(shown);
  SolutionChart->xAxis->setVisible(shown);
  SolutionChart->yAxis->setVisible(shown);
  const auto runs =
      shown ? SolutionRuns(rover_->Epochs) : std::array<std::vector<TimeRun>, kSolutionBands>{};
  for (std::size_t i = 0; i < SolutionBands.size(); ++i) {
    std::vector<TimeRun> band = runs[i];
    for (TimeRun& run : band) run = {ShownTime(run.Start, system), ShownTime(run.End, system)};
    SetBands(*SolutionBands[i], band);
  }
  OutageBands[0]->setVisible(shown);
}

// A system without corrections says so, instead of showing empty axes.
void TLinkReportForm::ShowNoCorrections(int system) {
  const auto heard = [this](std::size_t s) {
    return link_ && link_->Systems[s].Span.First.has_value();
  };
  const bool none = !heard(static_cast<std::size_t>(system));
  const QString text = !heard(0) && !heard(1) ? QStringLiteral("no corrections in this log")
                                              : QStringLiteral("no %1 corrections in this log")
                                                    .arg(QString::fromLatin1(kSystemNames[system]));
  const std::array<SatelliteChart*, 2> charts{AgeChart, CommonChart};
  for (std::size_t i = 0; i < charts.size(); ++i) {
    NoCorrectionsTexts[i]->setText(text);
    NoCorrectionsTexts[i]->setVisible(none && link_);
    for (QCPAxis* axis : {charts[i]->xAxis, charts[i]->yAxis}) axis->setVisible(!none);
    charts[i]->legend->setVisible(!none && charts[i] == CommonChart);
  }
}

// Each outage from its first missing second to the end of its last.
void TLinkReportForm::ShowOutages(int system) {
  std::vector<TimeRun> runs;
  if (link_) {
    for (const LinkGap& gap : CorrectionOutages(*link_)) {
      runs.push_back({ShownTime(gap.Start, system), ShownTime(gap.End + kOneSecondDays, system)});
    }
  }
  JoinRuns(runs);
  SetBands(*OutageBands[0], runs);
  // One set of points for the three charts.
  for (std::size_t i = 1; i < OutageBands.size(); ++i) {
    OutageBands[i]->setData(OutageBands[0]->data());
  }
}

void TLinkReportForm::ShowLossMarkers(int system) {
  for (QCPItemStraightLine* marker : LossMarkers) {
    marker->setVisible(markedLoss_.has_value());
    if (!markedLoss_) continue;
    const double time = ShownTime(*markedLoss_, system);
    marker->point1->setCoords(time, 0);
    marker->point2->setCoords(time, 1);
  }
  for (SatelliteChart* chart : TimeCharts()) chart->MarkChanged();
}

// All three charts span the same time: every point, band and outage of any.
void TLinkReportForm::FitTimeSpan() {
  std::optional<QCPRange> span;
  for (SatelliteChart* chart : TimeCharts()) {
    for (int i = 0; i < chart->plottableCount(); ++i) {
      QCPAbstractPlottable* plottable = chart->plottable(i);
      if (!plottable->visible()) continue;
      bool found = false;
      const QCPRange keys = plottable->getKeyRange(found);
      if (!found) continue;
      if (span) {
        span->expand(keys);
      } else {
        span = keys;
      }
    }
  }
  // A single moment still needs a range to sit in.
  if (span && !(span->size() > 0)) {
    const double margin = kLossMarginSeconds * kOneSecondDays;
    span = QCPRange(span->lower - margin, span->upper + margin);
  }
  for (SatelliteChart* chart : TimeCharts()) chart->SetTimeSpan(span);
}

void TLinkReportForm::ShowFixLoss(int row) {
  if (!shownSolution_ || row < 0 || row >= static_cast<int>(shownSolution_->Losses.size())) return;
  const FixLoss& loss = shownSolution_->Losses[static_cast<std::size_t>(row)];
  // A fix not regained stays lost to the last epoch.
  double end = loss.Start;
  if (loss.Seconds) {
    end += *loss.Seconds * kOneSecondDays;
  } else if (rover_ && !rover_->Epochs.empty()) {
    end = std::max(end, rover_->Epochs.back().Time);
  }
  const double margin = std::max(kLossMarginSeconds * kOneSecondDays, end - loss.Start);
  const int system = SystemBox->currentIndex();
  markedLoss_ = loss.Start;
  ShowLossMarkers(system);
  const QCPRange range(ShownTime(loss.Start - margin, system), ShownTime(end + margin, system));
  QScopedValueRollback<bool> guard(followingTime_, true);
  for (SatelliteChart* chart : TimeCharts()) chart->Bottom().ShowRange(range);
}

std::array<SatelliteChart*, 3> TLinkReportForm::TimeCharts() const {
  return {SolutionChart, AgeChart, CommonChart};
}

std::array<QTableWidget*, TLinkReportForm::kTableCount> TLinkReportForm::TableWidgets() const {
  return {SummaryTable, GapsTable, SatellitesTable, SolutionTable, FixLossesTable};
}

QTableWidget* TLinkReportForm::CurrentTable() const {
  auto* table = qobject_cast<QTableWidget*>(Tables->currentWidget());
  return table ? table : SummaryTable;
}

const TextTable& TLinkReportForm::TableOf(const QTableWidget* table) const {
  const auto widgets = TableWidgets();
  const auto found = std::find(widgets.begin(), widgets.end(), table);
  if (found == widgets.end()) throw std::invalid_argument("not a table of the link report");
  return tables_[static_cast<std::size_t>(found - widgets.begin())];
}

void TLinkReportForm::CopyTable(const QTableWidget* table) {
  QGuiApplication::clipboard()->setText(Text(TabText(TableOf(table))));
}

void TLinkReportForm::SaveTable(const QTableWidget* table) {
  const auto widgets = TableWidgets();
  const auto index =
      static_cast<std::size_t>(std::find(widgets.begin(), widgets.end(), table) - widgets.begin());
  const std::string csv = CsvText(TableOf(table));
  SaveWithDialog(this, QStringLiteral("Save table as CSV"),
                 QString::fromLatin1(kTableFileStems[index]) + QStringLiteral(".csv"),
                 {QStringLiteral("CSV file (*.csv)")}, [this, &csv](const QString& path) {
                   return SaveStreamAtomically(path, protectedLog_,
                                               [&csv](std::ostream& out) { out << csv; });
                 });
}

}  // namespace pelorin
