// The link report window on built logs whose gaps are known: its tables
// against the core's link report, its charts against the per-second counts,
// the system switch, following the next analysis, and the tables' exports.

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>

#include "report/LinkTables.h"
#include "report/LinkText.h"
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

class LinkReportWindowTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(files_.isValid()); }

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
  // at their times, as the core measured them; GLONASS likewise on its clock.
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
    QCOMPARE(Cell(window.GapsTable, 2, 1), Text(link.Systems[1].Gaps[0].Start));

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
    QVERIFY(Shows(summary, LinkSummaryTable(link)));

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
    QCOMPARE(FileBytes(path).toStdString(), CsvText(LinkSummaryTable(link)));
    QVERIFY(FileBytes(path).startsWith("Measure,GPS,GLONASS\nFirst message,"));
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
