// The link report window on built logs whose gaps are known: its tables
// against the core's link report, its charts against the per-second counts,
// the system switch, following the next analysis, and the tables' exports;
// on logs with the rover's solution, the solution strip, the charts' shared
// time axis, the fix losses leading the charts, and the age limit.

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>

#include "charts/SatelliteChart.h"
#include "cmr/RoverSolution.h"
#include "log/DateTime.h"
#include "report/LinkTables.h"
#include "report/LinkText.h"
#include "report/SolutionTables.h"
#include "report/VerdictText.h"
#include "tests/windows/AppTests.h"
#include "tests/windows/DesktopSupport.h"

namespace pelorin::apptest {
namespace {

constexpr double kTen = 39979.0 + 10.0 / 24;  // 2009-06-15 10:00:00, the logs' start
constexpr double kSecond = 1.0 / 86400;

QString Cell(const QTableWidget* table, int row, int column) {
  const QTableWidgetItem* item = table->item(row, column);
  return item ? item->text() : QString();
}

QString Text(double dateTime) {
  return QString::fromStdString(report::DateTimeText(dateTime));
}

// The row of the summary that names `measure`, or -1.
int RowOf(const QTableWidget* table, const QString& measure) {
  for (int row = 0; row < table->rowCount(); ++row) {
    if (Cell(table, row, 0) == measure) return row;
  }
  return -1;
}

// Every cell of a table widget as the text table it shows.
bool Shows(const QTableWidget* widget, const TextTable& table) {
  if (widget->rowCount() != static_cast<int>(table.Rows.size())) return false;
  for (int row = 0; row < widget->rowCount(); ++row) {
    const auto& cells = table.Rows[static_cast<std::size_t>(row)];
    for (std::size_t column = 0; column < cells.size(); ++column) {
      if (Cell(widget, row, int(column)).toStdString() != cells[column]) return false;
    }
  }
  return true;
}

// Three minutes of a rover with its solution: no corrections in seconds 60
// to 74, where the fix falls to float (62), then standalone (70), float (75)
// and comes back (78); corrections 1 to 8 s old in seconds 101 to 108, the
// fix falling to float at 106 (6 s old) until 112; code differential from 170.
std::string WriteSolutionLog(const QTemporaryDir& directory, const char* name) {
  testdata::RoverLogOptions options;
  options.Seconds = 180;
  options.FillerBytesPerEpoch = 16;
  options.WritePositions = true;
  for (int second = 60; second < 75; ++second) options.Gaps.insert(second);
  for (int second = 101; second < 109; ++second) options.LateSeconds[second] = 8;
  options.SolutionFrom = {{62, kRtkFloat},         {70, kStandalone}, {75, kRtkFloat},
                          {78, kRtkFixed},         {106, kRtkFloat},  {112, kRtkFixed},
                          {170, kCodeDifferential}};
  return WriteLog(directory, name, testdata::MakeRoverLog(options));
}

constexpr int kFloatAt106 = 1;  // its row among the losses

QCPGraph* Band(const TLinkReportForm& window, const char* name) {
  return window.SolutionChart->findChild<QCPGraph*>(QString::fromLatin1(name));
}

bool SameTimeAxis(const TLinkReportForm& window, const QCPRange& range) {
  for (const SatelliteChart* chart : {window.SolutionChart, window.AgeChart, window.CommonChart}) {
    if (chart->xAxis->range() != range) return false;
  }
  return true;
}

class LinkReportWindowTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(files_.isValid()); }
  // Each test from the limits and clock of a first run.
  void init() { QSettings().clear(); }

  // The verdict heads the summary and names the window; the limits judge the
  // day again as they change, and a window opened later remembers them.
  void LimitsJudgeTheDayAgainAndAreRemembered() {
    Windows windows;
    OpenAndWait(windows.Form, WriteRoverLog(files_, "verdict.ZEL", 900, {100, 101, 102, 103}));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    QCOMPARE(window.windowTitle(), QStringLiteral("Link report: good"));
    QCOMPARE(Cell(window.SummaryTable, 0, 0), QStringLiteral("Verdict"));
    QVERIFY(Cell(window.SummaryTable, 0, 1).startsWith(QStringLiteral("good: ")));

    window.MaxOutageBox->setValue(3.5);  // the outage of 4 s misses it by a fifth or less
    QCOMPARE(window.windowTitle(), QStringLiteral("Link report: marginal"));
    window.MaxOutageBox->setValue(2);
    QCOMPARE(window.windowTitle(), QStringLiteral("Link report: poor"));
    QVERIFY(Cell(window.SummaryTable, 0, 1).contains(QStringLiteral("(limit 2 s)")));
    window.MinCommonBox->setValue(20);
    QVERIFY(
        Cell(window.SummaryTable, 0, 1).contains(QStringLiteral("common satellites median 16")));

    window.ClockBox->setCurrentIndex(1);  // UTC: 15 s behind GPS time in 2009
    const QTableWidget* gaps = window.GapsTable;
    QCOMPARE(Cell(gaps, 0, 1),
             QString::fromStdString(report::ClockText(kTen + 100 * kSecond, report::Clock::Utc)));
    QCOMPARE(Cell(gaps, 0, 1), QStringLiteral("2009-06-15 10:01:25"));
    // The satellite windows' exports follow.
    QCOMPARE(windows.All.Form2.TimesOn(), report::Clock::Utc);
    QCOMPARE(windows.All.Form3.TimesOn(), report::Clock::Utc);

    TLinkReportForm later(windows.Form.State());
    QCOMPARE(later.MaxOutageBox->value(), 2.0);
    QCOMPARE(later.MinCommonBox->value(), 20);
    QCOMPARE(later.ClockBox->currentIndex(), 1);
  }

  // "Save link report as PDF…" writes the document the window shows: the
  // verdict first, the file and station on every page, the fix losses.
  void SavesTheLinkReportAsAPdf() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
      QSKIP("pdftotext (poppler-utils) is not installed");
    }
    Windows windows;
    OpenAndWait(windows.Form, WriteRoverLog(files_, "print.ZEL", 900, {100, 101}));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    window.ShowFixLoss(0);  // no loss: nothing moves
    window.AgeChart->ZoomTimeAxis(0.5, window.AgeChart->axisRect()->center().x());
    const QCPRange zoomed = window.AgeChart->xAxis->range();
    const QString path = files_.filePath(QStringLiteral("print.pdf"));
    SaveDialogAnswers answers(path);
    window.SavePdfButton->click();
    // Printing leaves the window as the user left it.
    QCOMPARE(window.AgeChart->xAxis->range(), zoomed);
    QCOMPARE(answers.Suggested, QStringList(QStringLiteral("link-report.pdf")));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30'000));
    const QString pages = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(pages.contains(QStringLiteral("Verdict: good: usable corrections 100 %")));
    const int pageCount = static_cast<int>(pages.count(QLatin1Char('\f')));
    QVERIFY(pageCount >= 2);
    QCOMPARE(static_cast<int>(pages.count(QStringLiteral("print.ZEL"))), pageCount);
    QCOMPARE(static_cast<int>(pages.count(QStringLiteral("Reference station: 7 (PELO"))),
             pageCount);
    QVERIFY(pages.contains(QStringLiteral("Fix losses")));
  }

  // A log that carries no correction at all: the charts say so, and show no
  // time axis from the 19th century.
  void ALogWithoutCorrectionsSaysSoOnTheCharts() {
    Windows windows;
    testdata::RoverLogOptions options;
    options.Seconds = 60;
    options.FillerBytesPerEpoch = 16;
    for (int second = 0; second < 60; ++second) options.Gaps.insert(second);
    OpenAndWait(windows.Form, WriteLog(files_, "silent.ZEL", testdata::MakeRoverLog(options)));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    for (const QCPItemText* text : window.NoCorrectionsTexts) {
      QVERIFY(text->visible());
      QCOMPARE(text->text(), QStringLiteral("no corrections in this log"));
    }
    QVERIFY(!window.AgeChart->xAxis->visible());
    QVERIFY(!window.CommonChart->xAxis->visible());
  }

  void BeforeAnyAnalysisItSaysSo() {
    Windows windows;
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& link = windows.All.LinkReportForm;
    QVERIFY(link.isVisible());
    QCOMPARE(link.objectName(), QStringLiteral("LinkReportForm"));
    QVERIFY(link.SourceLabel->text().startsWith(QStringLiteral("No link report")));
    QCOMPARE(link.GapsTable->rowCount(), 0);
    QCOMPARE(Cell(link.SummaryTable, 0, 1), QStringLiteral("none"));
    QVERIFY(link.AgeSeries->Points().Empty());
  }

  // GPS misses seconds 20 and 21, then 60 to 64: two gaps, 2 s and 5 s,
  // at their times, as the core measured them; GLONASS's on the same clock.
  void TablesShowTheCoresLinkReport() {
    Windows windows;
    const std::string log = WriteRoverLog(files_, "gaps.ZEL", 120, {20, 21, 60, 61, 62, 63, 64});
    OpenAndWait(windows.Form, log);
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    const LinkReport& link = *windows.Form.State().LastLink();
    QCOMPARE(window.SourceLabel->text(), QStringLiteral("Link report of gaps.ZEL"));

    const SystemLink& gps = link.Systems[0];
    QCOMPARE(gps.Gaps.size(), std::size_t{2});
    QCOMPARE(window.GapsTable->rowCount(), int(gps.Gaps.size() + link.Systems[1].Gaps.size()));
    QCOMPARE(Cell(window.GapsTable, 0, 0), QStringLiteral("GPS"));
    QCOMPARE(Cell(window.GapsTable, 0, 1), Text(kTen + 20 * kSecond));
    QCOMPARE(Cell(window.GapsTable, 0, 2), Text(kTen + 21 * kSecond));
    QCOMPARE(Cell(window.GapsTable, 0, 3), QStringLiteral("2"));
    QCOMPARE(Cell(window.GapsTable, 1, 3), QStringLiteral("5"));
    QCOMPARE(Cell(window.GapsTable, 2, 0), QStringLiteral("GLONASS"));
    QCOMPARE(Cell(window.GapsTable, 2, 1), Text(GlonassToGpsTime(link.Systems[1].Gaps[0].Start)));
    QCOMPARE(Cell(window.GapsTable, 2, 1), Cell(window.GapsTable, 0, 1));

    const QTableWidget* summary = window.SummaryTable;
    QCOMPARE(Cell(summary, RowOf(summary, QStringLiteral("First message")), 1), Text(kTen));
    QCOMPARE(Cell(summary, RowOf(summary, QStringLiteral("Seconds with a message")), 1),
             QString::number(gps.Span.Seconds));
    QCOMPARE(Cell(summary, RowOf(summary, QStringLiteral("Longest gap (s)")), 1),
             QStringLiteral("5 from ") + Text(kTen + 60 * kSecond));
    // A value of the whole link spans both systems' columns.
    const int badFrames = RowOf(summary, QStringLiteral("Bad frames"));
    QCOMPARE(Cell(summary, badFrames, 1), QString::number(link.Integrity.BadFrames));
    QCOMPARE(summary->columnSpan(badFrames, 1), 2);
    const Verdict& verdict = *windows.Form.State().LastResult->Judged;
    QVERIFY(Shows(summary,
                  report::WithVerdictRow(LinkSummaryTable(link), verdict, report::Clock::Gps)));

    QCOMPARE(window.SatellitesTable->rowCount(),
             int(gps.Satellites.size() + link.Systems[1].Satellites.size()));
    QCOMPARE(Cell(window.SatellitesTable, 0, 1), QString::number(gps.Satellites[0].Id));
    QCOMPARE(Cell(window.SatellitesTable, 0, 2), QString::number(gps.Satellites[0].Tracked));
    QVERIFY(Shows(window.SatellitesTable, LinkSatellitesTable(link)));
  }

  // The charts hold a point per dated message and three per common second,
  // of the system chosen, on that system's clock.
  void ChartsFollowTheChosenSystem() {
    Windows windows;
    OpenAndWait(windows.Form, WriteRoverLog(files_, "charts.ZEL", 60, {10}));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    const LinkReport& link = *windows.Form.State().LastLink();
    for (const int system : {0, 1}) {
      window.SystemBox->setCurrentIndex(system);
      const SystemLink& shown = link.Systems[std::size_t(system)];
      QVERIFY(!shown.Common.empty());
      QCOMPARE(window.AgeSeries->Points().Size(), shown.AgeOverTime.size());
      QCOMPARE(window.CommonSeries->Points().Size(), shown.Common.size());
      const ChartPoint first = window.TrackedSeries->Points().Sorted().front();
      QCOMPARE(first.X, shown.Common.front().Time);
      QCOMPARE(first.Y, double(shown.Common.front().Tracked));
      QCOMPARE(window.CommonChart->xAxis->label(),
               system == 0 ? QStringLiteral("GPS Time ( yy/mm/dd hh:mm:ss )")
                           : QStringLiteral("GLN System Time ( yy/mm/dd hh:mm:ss )"));
      // Every marker inside the value axis.
      const QCPRange values = window.CommonChart->yAxis->range();
      QVERIFY(values.lower < window.CorrectedSeries->MinYValue());
      QVERIFY(values.upper > window.TrackedSeries->MaxYValue());
    }
  }

  void FollowsTheNextAnalysis() {
    Windows windows;
    OpenAndWait(windows.Form, WriteRoverLog(files_, "first.ZEL", 60, {10}));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    QCOMPARE(window.GapsTable->rowCount(), 2);
    OpenAndWait(windows.Form, WriteRoverLog(files_, "second.ZEL", 60, {10, 30, 50}));
    QCOMPARE(window.SourceLabel->text(), QStringLiteral("Link report of second.ZEL"));
    QCOMPARE(window.GapsTable->rowCount(), 6);
    QCOMPARE(window.CommonSeries->Points().Size(),
             windows.Form.State().LastLink()->Systems[0].Common.size());
  }

  void TablesCopyAndSaveAsShown() {
    Windows windows;
    OpenAndWait(windows.Form, WriteRoverLog(files_, "tables.ZEL", 60, {10}));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    const LinkReport& link = *windows.Form.State().LastLink();

    window.Tables->setCurrentWidget(window.GapsTable);
    window.CopyTableButton->click();
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), TabText(LinkGapsTable(link)));

    window.Tables->setCurrentWidget(window.SummaryTable);
    const QString path = files_.filePath(QStringLiteral("summary.csv"));
    SaveDialogAnswers answers(path);
    window.SaveTableAction->trigger();
    QCOMPARE(answers.Suggested, QStringList(QStringLiteral("link-summary.csv")));
    const Verdict& verdict = *windows.Form.State().LastResult->Judged;
    QCOMPARE(FileBytes(path).toStdString(),
             CsvText(report::WithVerdictRow(LinkSummaryTable(link), verdict, report::Clock::Gps)));
    QVERIFY(FileBytes(path).startsWith("Measure,GPS,GLONASS\nVerdict,"));
  }

  // A band per run of one solution type, not per epoch, and the outages on
  // every chart, on the shown system's clock; the next log without a
  // solution empties the strip.
  void SolutionStripBandsTheRunsOfEachType() {
    Windows windows;
    OpenAndWait(windows.Form, WriteSolutionLog(files_, "strip.ZEL"));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    const std::size_t outages = CorrectionOutages(*windows.Form.State().LastLink()).size();
    QCOMPARE(window.SolutionChart->TitleLines(), QStringList(QStringLiteral("Rover solution")));
    QVERIFY(window.SolutionChart->legend->visible());
    // Fixed to 62, 78 to 106, 112 to 170: a step up and a step down each.
    QCOMPARE(Band(window, "SolutionFixed")->dataCount(), 6);
    QCOMPARE(Band(window, "SolutionFloat")->dataCount(), 6);
    QCOMPARE(Band(window, "SolutionStandalone")->dataCount(), 2);
    QCOMPARE(Band(window, "SolutionCodeDifferential")->dataCount(), 2);
    QCOMPARE(Band(window, "SolutionNone")->dataCount(), 0);
    QCOMPARE(Band(window, "SolutionFloat")->data()->at(0)->key, kTen + 62 * kSecond);
    QVERIFY(outages > 0);
    for (const QCPGraph* band : window.OutageBands) {
      QCOMPARE(band->dataCount(), int(2 * outages));
      QCOMPARE(band->data()->at(0)->key, kTen + 60 * kSecond);
    }

    window.SystemBox->setCurrentIndex(1);
    const double glonass = GpsToGlonassOffsetDays(kTen);
    QCOMPARE(Band(window, "SolutionFixed")->data()->at(0)->key, kTen + glonass);
    QCOMPARE(window.OutageBands[2]->data()->at(0)->key, kTen + 60 * kSecond + glonass);

    OpenAndWait(windows.Form, WriteRoverLog(files_, "nosolution.ZEL", 60, {10}));
    QCOMPARE(window.SolutionChart->TitleLines(),
             QStringList(QStringLiteral("No rover solution in this log")));
    QVERIFY(!window.SolutionChart->legend->visible());
    for (const QCPGraph* band : window.SolutionBands) QCOMPARE(band->dataCount(), 0);
    QCOMPARE(window.FixLossesTable->rowCount(), 0);
    QCOMPARE(Cell(window.SolutionTable, 0, 1), QStringLiteral("none in this log"));
  }

  // A zoom, a pan or an undo on any chart moves all three time axes; a
  // rectangle on the strip leaves its bands their height.
  void ChartsShareOneTimeAxis() {
    Windows windows;
    OpenAndWait(windows.Form, WriteSolutionLog(files_, "axis.ZEL"));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    const QCPRange all = window.AgeChart->xAxis->range();
    QVERIFY(SameTimeAxis(window, all));
    QVERIFY(all.contains(kTen) && all.contains(kTen + 179 * kSecond));
    for (SatelliteChart* chart : {window.SolutionChart, window.AgeChart, window.CommonChart}) {
      chart->replot();
    }

    const QRect plot = window.AgeChart->axisRect()->rect();
    window.AgeChart->ZoomToRectangle(plot.adjusted(plot.width() / 4, 10, -plot.width() / 4, -10));
    const QCPRange zoomed = window.AgeChart->xAxis->range();
    QVERIFY(zoomed.size() < all.size() * 0.6);
    QVERIFY(SameTimeAxis(window, zoomed));

    window.CommonChart->PanTimeAxis(40);
    QVERIFY(window.CommonChart->xAxis->range() != zoomed);
    QVERIFY(SameTimeAxis(window, window.CommonChart->xAxis->range()));

    const QCPRange bands = window.SolutionChart->yAxis->range();
    const QRect strip = window.SolutionChart->axisRect()->rect();
    window.SolutionChart->ZoomToRectangle(strip.adjusted(strip.width() / 3, 5, -5, -5));
    QCOMPARE(window.SolutionChart->yAxis->range(), bands);
    QVERIFY(SameTimeAxis(window, window.SolutionChart->xAxis->range()));

    window.CommonChart->UndoZoom();
    QVERIFY(SameTimeAxis(window, all));
  }

  // A click on a loss of the fix shows it on every chart, its start marked.
  void AClickOnAFixLossShowsItOnEveryChart() {
    Windows windows;
    OpenAndWait(windows.Form, WriteSolutionLog(files_, "loss.ZEL"));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    const SolutionReport& solution = *windows.Form.State().LastSolution();
    QVERIFY(Shows(window.FixLossesTable, FixLossesTable(solution)));
    QCOMPARE(Cell(window.FixLossesTable, kFloatAt106, 0), Text(kTen + 106 * kSecond));
    const QCPRange all = window.AgeChart->xAxis->range();

    window.Tables->setCurrentWidget(window.FixLossesTable);
    QTableWidget* table = window.FixLossesTable;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(kFloatAt106, 1)).center());
    const double start = kTen + 106 * kSecond;
    for (const SatelliteChart* chart :
         {window.SolutionChart, window.AgeChart, window.CommonChart}) {
      const QCPRange shown = chart->xAxis->range();
      QVERIFY(shown.contains(start) && shown.contains(start + 6 * kSecond));
      QVERIFY(shown.size() < all.size() / 2);
    }
    for (const QCPItemStraightLine* marker : window.LossMarkers) {
      QVERIFY(marker->visible());
      QCOMPARE(marker->point1->key(), start);
    }
  }

  // The age limit measures the solution again: the float at 106, 6 s after
  // the last correction, counts against the corrections under a 3 s limit.
  void TheAgeLimitMeasuresAgain() {
    Windows windows;
    OpenAndWait(windows.Form, WriteSolutionLog(files_, "limit.ZEL"));
    windows.Form.LinkReportAction->trigger();
    TLinkReportForm& window = windows.All.LinkReportForm;
    const SharedState& state = windows.Form.State();
    QCOMPARE(window.MaxAgeBox->value(), 10.0);
    QCOMPARE(Cell(window.FixLossesTable, kFloatAt106, 3), QStringLiteral("at the rover"));

    window.MaxAgeBox->setValue(3);
    QCOMPARE(Cell(window.FixLossesTable, kFloatAt106, 3), QStringLiteral("corrections missing"));
    const SolutionReport measured = MeasureSolution(*state.LastRover(), *state.LastLink(),
                                                    {3, SolutionLimits{}.MinCommonSatellites});
    QVERIFY(Shows(window.FixLossesTable, FixLossesTable(measured)));
    QVERIFY(Shows(window.SolutionTable, SolutionSummaryTable(measured)));

    // The tables leave the window as shown.
    window.Tables->setCurrentWidget(window.FixLossesTable);
    window.CopyTableButton->click();
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), TabText(FixLossesTable(measured)));
    const QString path = files_.filePath(QStringLiteral("losses.csv"));
    SaveDialogAnswers answers(path);
    window.SaveTableAction->trigger();
    QCOMPARE(answers.Suggested, QStringList(QStringLiteral("link-fix-losses.csv")));
    QCOMPARE(FileBytes(path).toStdString(), CsvText(FixLossesTable(measured)));
  }

  // The chart windows open it too.
  void ChartWindowsOpenIt() {
    Windows windows;
    OpenAndWait(windows.Form, WriteRoverLog(files_, "open.ZEL", 30));
    windows.Form.SpeedButton3Click();
    windows.All.Form3.Commands->LinkReportAction->trigger();
    QVERIFY(windows.All.LinkReportForm.isVisible());
    QVERIFY(windows.All.LinkReportForm.SatellitesTable->rowCount() > 0);
  }

private:
  QTemporaryDir files_;
};

}  // namespace

int RunLinkReportWindowTests(int argc, char** argv) {
  LinkReportWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace pelorin::apptest

#include "LinkReportWindowTest.moc"
