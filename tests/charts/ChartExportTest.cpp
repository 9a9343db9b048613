// The chart windows' context menu and keys on an analysed log: the points
// as CSV against the report's JSON points of the same log, the chart as an
// image, the undo and the link report; a right-button drag still pans.

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QImage>
#include <QMenu>
#include <charconv>

#include "log/DateTime.h"
#include "report/Clock.h"
#include "report/Report.h"
#include "tests/windows/AppTests.h"
#include "tests/windows/DesktopSupport.h"

namespace pelorin::apptest {
namespace {

struct CsvRow {
  QString Series;
  QString Time;
  QString X;
  QString Y;
  QString Shown;
};

std::vector<CsvRow> ReadPointsCsv(const QString& path) {
  QStringList lines = QString::fromUtf8(FileBytes(path)).split(QLatin1Char('\n'));
  std::vector<CsvRow> rows;
  if (lines.isEmpty() || lines.takeFirst() != QStringLiteral("series,time,x,y,shown")) return rows;
  for (const QString& line : lines) {
    const QStringList f = line.split(QLatin1Char(','));
    if (f.size() == 5) rows.push_back({f[0], f[1], f[2], f[3], f[4]});
  }
  return rows;
}

// The report's points of one series, in the chart's order: by X, points at
// one X in the order they came.
std::vector<std::pair<double, double>> ReportPoints(const QJsonObject& report, const char* window,
                                                    const QString& series) {
  std::vector<std::pair<double, double>> points;
  const QJsonArray all = report[QStringLiteral("series")][QLatin1String(window)][series].toArray();
  for (const QJsonValue& point : all) {
    points.emplace_back(point[0].toDouble(), point[1].toDouble());
  }
  std::stable_sort(points.begin(), points.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return points;
}

double Parsed(const QString& text) {
  const std::string bytes = text.toStdString();
  double value = 0;
  std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
  return value;
}

void RightClick(QWidget* chart, QPoint at) {
  QTest::mousePress(chart, Qt::RightButton, {}, at);
  QTest::mouseRelease(chart, Qt::RightButton, {}, at);
}

QPoint PlotCentre(SatelliteChart* chart) {
  return chart->axisRect()->rect().center();
}

QStringList CsvLines(const QString& path) {
  return QString::fromUtf8(FileBytes(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// While alive, answers the satellite save's question of which seconds with
// the button named `button`, noting the buttons each question offered.
class RangeQuestionAnswer : public QObject {
public:
  explicit RangeQuestionAnswer(QString button) : button_(std::move(button)) {
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start(5);
  }
  std::vector<QStringList> Offered;

private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->objectName() != QStringLiteral("SaveRangeBox")) return;
    QStringList texts;
    for (const QAbstractButton* one : box->buttons()) texts << one->text();
    Offered.push_back(texts);
    if (auto* chosen = box->findChild<QAbstractButton*>(button_)) chosen->click();
  }

  QString button_;
  QTimer timer_;
};

class ChartExportTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    QVERIFY(files_.isValid());
    rover_ = WriteRoverLog(files_, "rover.ZEL", 120, {30, 31, 32, 90});
  }

  void init() {
    windows_ = std::make_unique<Windows>();
    OpenAndWait(windows_->Form, rover_);
    windows_->Form.SpeedButton2Click();
    gps().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&gps()));
  }

  void cleanup() { windows_.reset(); }

  void RightClickOpensTheMenu() {
    RightClick(gps().Chart2, PlotCentre(gps().Chart2));
    QMenu* menu = gps().Commands->Menu;
    QVERIFY(menu->isVisible());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator())
        texts << action->text() + QLatin1Char('|') + action->shortcut().toString();
    }
    QCOMPARE(texts,
             QStringList({QStringLiteral("Save chart as image…|Ctrl+S"),
                          QStringLiteral("Save points as CSV…|Ctrl+Shift+S"),
                          QStringLiteral("Save satellites per second as CSV…|Ctrl+Alt+S"),
                          QStringLiteral("Copy image|Ctrl+C"), QStringLiteral("Undo zoom|Esc"),
                          QStringLiteral("Link report|Ctrl+L")}));
    QCOMPARE(gps().Commands->Target(), gps().Chart2);
    menu->close();
  }

  // A drag with the right button pans and opens nothing; a right-click on
  // the legend is a legend click, not a menu.
  void DragsAndLegendClicksOpenNoMenu() {
    SatelliteChart* chart = gps().Chart2;
    const QCPRange before = chart->xAxis->range();
    const QPoint start = PlotCentre(chart);
    QTest::mousePress(chart, Qt::RightButton, {}, start);
    QTest::mouseMove(chart, start + QPoint(30, 0));
    QTest::mouseMove(chart, start + QPoint(60, 0));
    QTest::mouseRelease(chart, Qt::RightButton, {}, start + QPoint(60, 0));
    QVERIFY(chart->xAxis->range().lower < before.lower);
    QVERIFY(!gps().Commands->Menu->isVisible());

    SatelliteChart* upper = gps().Chart1;
    const int clicks = windows_->Form.State().GpsLegendClickCount;
    RightClick(upper, upper->legend->item(0)->outerRect().center());
    QCOMPARE(windows_->Form.State().GpsLegendClickCount, clicks + 1);
    QVERIFY(!gps().Commands->Menu->isVisible());
  }

  // Every point of every series of each chart, as the report's JSON holds
  // them for the same log: the same doubles, in the same shortest form.
  void PointsCsvEqualsTheReportsPoints_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("chart");
    QTest::newRow("GPS totals") << 0 << 1;
    QTest::newRow("GPS satellites") << 0 << 2;
    QTest::newRow("GLONASS satellites") << 1 << 2;
  }

  void PointsCsvEqualsTheReportsPoints() {
    QFETCH(int, window);
    QFETCH(int, chart);
    TSatelliteWindow& shown =
        window == 0 ? static_cast<TSatelliteWindow&>(gps()) : windows_->All.Form3;
    if (window == 1) windows_->Form.SpeedButton3Click();
    SatelliteChart* target = chart == 1 ? shown.Chart1 : shown.Chart2;
    RightClick(target, PlotCentre(target));
    const QString path = files_.filePath(QStringLiteral("points.csv"));
    SaveDialogAnswers answers(path);
    shown.Commands->SavePointsAction->trigger();
    shown.Commands->Menu->close();
    QCOMPARE(answers.Suggested.size(), 1);
    QCOMPARE(answers.Suggested[0],
             QStringLiteral("%1-%2.csv")
                 .arg(window == 0 ? "gps" : "gln", chart == 1 ? "totals" : "satellites"));

    const std::vector<CsvRow> rows = ReadPointsCsv(path);
    const QJsonObject report = ReportJson(rover_);
    const char* key = window == 0 ? "gps" : "gln";
    const QJsonObject active =
        report[QStringLiteral("series")][QStringLiteral("active")][key].toObject();
    std::size_t row = 0;
    for (const PointSeries* series : target->AllSeries()) {
      const QString name = series->objectName();
      const auto expected = ReportPoints(report, key, name);
      QVERIFY2(!expected.empty() || name == QStringLiteral("Series4"), qPrintable(name));
      for (const auto& [x, y] : expected) {
        QVERIFY(row < rows.size());
        const CsvRow& csv = rows[row++];
        QCOMPARE(csv.Series, name);
        QCOMPARE(Parsed(csv.X), x);
        QCOMPARE(csv.X.toStdString(), report::JsonNumber(x));
        QCOMPARE(csv.Y.toStdString(), report::JsonNumber(y));
        QCOMPARE(csv.Shown,
                 active[name].toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        QCOMPARE(csv.Time.left(10), QStringLiteral("2009-06-15"));
      }
    }
    QCOMPARE(row, rows.size());
  }

  void ChartImageIsTheChartAsShown() {
    SatelliteChart* chart = gps().Chart1;
    RightClick(chart, PlotCentre(chart));
    const QString png = files_.filePath(QStringLiteral("chart.png"));
    {
      SaveDialogAnswers answers(png);
      gps().Commands->SaveImageAction->trigger();
      QCOMPARE(answers.Suggested, QStringList(QStringLiteral("gps-totals.png")));
    }
    const QImage image(png);
    QCOMPARE(image.size(), chart->size());
    // The chart's own colour, not an empty picture.
    QCOMPARE(image.pixelColor(2, 2), QColor(0xFF, 0xCD, 0x9B));

    const QString pdf = files_.filePath(QStringLiteral("chart.pdf"));
    {
      SaveDialogAnswers answers(pdf);
      gps().Commands->SaveImageAction->trigger();
    }
    const QByteArray document = FileBytes(pdf);
    QVERIFY(document.startsWith("%PDF"));
    QVERIFY(document.size() > 1000);

    QGuiApplication::clipboard()->clear();
    gps().Commands->CopyImageAction->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().size(), chart->size());
    gps().Commands->Menu->close();
  }

  // A save that cannot be made says why and leaves nothing behind.
  void FailedSaveIsTold() {
    const QString path = files_.filePath(QStringLiteral("no-such-folder/chart.png"));
    SaveDialogAnswers answers(path);
    ModalBoxCatcher catcher;
    gps().Commands->SaveImage(*gps().Chart2);
    QCOMPARE(catcher.Seen.size(), std::size_t{1});
    QCOMPARE(catcher.Seen[0].Title, QStringLiteral("Warning"));
    QVERIFY(catcher.Seen[0].Text.startsWith(QStringLiteral("Cannot save chart.png: ")));
    QVERIFY(!QFile::exists(path));
  }

  // Keys act on the chart the pointer was last over: Escape undoes its
  // zoom, Ctrl+Shift+S saves its points; Ctrl+L opens the link report.
  void KeysActOnTheChartThePointerWasOver() {
    QCOMPARE(gps().Commands->Target(), gps().Chart1);
    SatelliteChart* chart = gps().Chart2;
    // The pointer passing over the chart, no button held.
    QMouseEvent move(QEvent::MouseMove, PlotCentre(chart), chart->mapToGlobal(PlotCentre(chart)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    QCOMPARE(gps().Commands->Target(), chart);
    const QRect area = chart->axisRect()->rect();
    chart->ZoomToRectangle(QRect(area.center(), area.center() + QPoint(40, 40)));
    QVERIFY(!chart->Bottom().Automatic());
    QTest::keyClick(&gps(), Qt::Key_Escape);
    QVERIFY(chart->Bottom().Automatic());
    QCOMPARE(chart->yAxis->range(), QCPRange(0, 33));

    const QString path = files_.filePath(QStringLiteral("keys.csv"));
    {
      SaveDialogAnswers answers(path);
      QTest::keyClick(&gps(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
      QCOMPARE(answers.Suggested, QStringList(QStringLiteral("gps-satellites.csv")));
    }
    QVERIFY(QFile::exists(path));

    QVERIFY(!windows_->All.LinkReportForm.isVisible());
    QTest::keyClick(&gps(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(windows_->All.LinkReportForm.isVisible());
  }

  // Both windows save their satellites second by second, from the menu or
  // the keys. Only a zoomed chart asks which seconds: the zoomed range gives
  // the seconds in view, the whole log the same file as unzoomed.
  void SatellitesPerSecondCsv_data() {
    QTest::addColumn<int>("window");
    QTest::newRow("GPS") << 0;
    QTest::newRow("GLONASS") << 1;
  }

  void SatellitesPerSecondCsv() {
    QFETCH(int, window);
    TSatelliteWindow& shown =
        window == 0 ? static_cast<TSatelliteWindow&>(gps()) : windows_->All.Form3;
    if (window == 1) windows_->Form.SpeedButton3Click();
    shown.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&shown));
    QAction* action = shown.findChild<QAction*>(QStringLiteral("SaveSatellitesAction"));
    QVERIFY(action && action == shown.SaveSatellitesAction);
    QVERIFY(shown.Commands->Menu->actions().contains(action));

    const QString whole = files_.filePath(QStringLiteral("whole.csv"));
    {
      SaveDialogAnswers answers(whole);
      RangeQuestionAnswer answer(QStringLiteral("WholeLogButton"));
      QTest::keyClick(&shown, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
      QVERIFY(answer.Offered.empty());
      QCOMPARE(
          answers.Suggested,
          QStringList(
              QStringLiteral("%1-satellites-per-second.csv").arg(window == 0 ? "gps" : "gln")));
    }
    const QStringList rows = CsvLines(whole);
    QVERIFY(rows.size() > 100);
    QCOMPARE(rows.first(), QStringLiteral("time,system,satellite,in corrections,with L2,tracked"));
    QCOMPARE(rows[1].section(QLatin1Char(','), 1, 1), window == 0 ? "GPS" : "GLONASS");

    SatelliteChart* chart = shown.Chart2;
    RightClick(chart, PlotCentre(chart));
    shown.Commands->Menu->close();
    const QRect area = chart->axisRect()->rect();
    chart->ZoomToRectangle(QRect(QPoint(area.left() + area.width() / 4, area.top()),
                                 QPoint(area.left() + area.width() / 2, area.bottom())));
    const QCPRange range = chart->xAxis->range();
    const QString zoomed = files_.filePath(QStringLiteral("zoomed.csv"));
    {
      SaveDialogAnswers answers(zoomed);
      RangeQuestionAnswer answer(QStringLiteral("ZoomedRangeButton"));
      action->trigger();
      QCOMPARE(answer.Offered, std::vector<QStringList>({{QStringLiteral("Zoomed range"),
                                                          QStringLiteral("Whole log")}}));
    }
    const QStringList inView = CsvLines(zoomed);
    QVERIFY(inView.size() > 2 && inView.size() < rows.size());
    const auto gpsText = [window](double x) {
      return QString::fromStdString(
          report::ClockText(window == 0 ? x : GlonassToGpsTime(x), report::Clock::Gps));
    };
    for (const QString& row : inView.mid(1)) {
      const QString time = row.section(QLatin1Char(','), 0, 0);
      QVERIFY2(time >= gpsText(range.lower) && time <= gpsText(range.upper), qPrintable(row));
    }

    // The whole log again, on the clock another window would set.
    shown.SetClock(report::Clock::Utc);
    const QString utc = files_.filePath(QStringLiteral("utc.csv"));
    {
      SaveDialogAnswers answers(utc);
      RangeQuestionAnswer answer(QStringLiteral("WholeLogButton"));
      action->trigger();
      QCOMPARE(answer.Offered.size(), std::size_t{1});
    }
    const QStringList onUtc = CsvLines(utc);
    QCOMPARE(onUtc.size(), rows.size());
    const auto dateTime = [](const QString& row) {
      return QDateTime::fromString(row.section(QLatin1Char(','), 0, 0),
                                   QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    QCOMPARE(dateTime(onUtc[1]).secsTo(dateTime(rows[1])), 15);
    QCOMPARE(onUtc[1].section(QLatin1Char(','), 1), rows[1].section(QLatin1Char(','), 1));
  }

  void NoSaveWritesOverTheLog() {
    const QByteArray before = FileBytes(QString::fromStdString(rover_));
    SaveDialogAnswers answers(QString::fromStdString(rover_));
    gps().Chart2->UndoZoom();  // the whole log, without the question of a zoomed chart
    ModalBoxCatcher catcher;
    gps().Commands->SavePoints(*gps().Chart1);
    gps().SaveSatellitesPerSecond();
    QCOMPARE(catcher.Seen.size(), std::size_t{2});
    QCOMPARE(FileBytes(QString::fromStdString(rover_)), before);
  }

private:
  TForm2& gps() { return windows_->All.Form2; }

  QTemporaryDir files_;
  std::string rover_;
  std::unique_ptr<Windows> windows_;
};

}  // namespace

int RunChartExportTests(int argc, char** argv) {
  ChartExportTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace pelorin::apptest

#include "ChartExportTest.moc"
