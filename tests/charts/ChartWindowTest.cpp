// The satellite windows on the screen: their look, their layout, and the
// wiring of activation, gestures and legend clicks to the handlers.

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <ctime>

#include "tests/windows/AppTests.h"
#include "tests/windows/DesktopSupport.h"
#include "windows/Application.h"

namespace pelorin::apptest {
namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr double kTen = 39979.0 + 10.0 / 24;  // 2009-06-15 10:00:00
constexpr int kHourSeconds = 3600;

// An hour of totals and satellite points, as an analysis leaves them.
void FillAnHour(TSatelliteWindow& window, int lowestTotal, int highestTotal) {
  for (int s = 0; s < kHourSeconds; ++s) {
    const double t = kTen + s * kSecond;
    window.Series1->AddPoint(t, lowestTotal + s % (highestTotal - lowestTotal + 1), "",
                             kColourBlue);
    for (const int prn : {3, 12, 24}) window.Series2->AddPoint(t, prn, "", kColourBlue);
    window.Series5->AddPoint(t, 12, "", kColourBlue);
  }
  window.Series3->AddPoint(kTen + 100 * kSecond, -1, "", kColourBlue);
}

// The window opened as its button opens it, drawn and active.
void Open(TSatelliteWindow& window) {
  window.OpenLaidOut();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.Chart1->replot();
  window.Chart2->replot();
}

void Activate(TSatelliteWindow& window) {
  QEvent activation(QEvent::WindowActivate);
  QApplication::sendEvent(&window, &activation);
}

QPoint LegendItemCentre(SatelliteChart* chart, int item) {
  return chart->legend->item(item)->outerRect().center();
}

// The plot pixels from `first` to `last` seconds after 10:00, full height.
QRect TimeRectangle(SatelliteChart* chart, double first, double last) {
  const QRect area = chart->axisRect()->rect();
  const int left = qRound(chart->xAxis->coordToPixel(kTen + first * kSecond));
  const int right = qRound(chart->xAxis->coordToPixel(kTen + last * kSecond));
  return QRect(QPoint(left, area.top() + 5), QPoint(right, area.bottom() - 5));
}

void Drag(QWidget* chart, Qt::MouseButton button, QPoint from, QPoint to) {
  QTest::mousePress(chart, button, {}, from);
  QTest::mouseMove(chart, (from + to) / 2);
  QTest::mouseMove(chart, to);
  QTest::mouseRelease(chart, button, {}, to);
}

// The three windows, the GPS window filled with an hour, opened and active.
struct OpenGpsWindow {
  OpenGpsWindow() {
    FillAnHour(Gps, 5, 9);
    Open(Gps);
    Activate(Gps);
  }
  ApplicationWindows Windows;
  TForm2& Gps = Windows.Form2;
};

double SpanSeconds(const QCPRange& range) {
  return range.size() / kSecond;
}

class ChartWindowTest : public QObject {
  Q_OBJECT

private slots:
  void ControlsCarryTheirNames() {
    ApplicationWindows windows;
    for (TSatelliteWindow* window : {static_cast<TSatelliteWindow*>(&windows.Form2),
                                     static_cast<TSatelliteWindow*>(&windows.Form3)}) {
      QCOMPARE(window->Chart1->objectName(), QStringLiteral("Chart1"));
      QCOMPARE(window->Chart2->objectName(), QStringLiteral("Chart2"));
      QCOMPARE(window->Chart1->parentWidget(), window);
      for (int n = 1; n <= kSeriesPerWindow; ++n) {
        QCOMPARE(window->Series(n).objectName(), QStringLiteral("Series%1").arg(n));
      }
      for (PointSeries* onChart1 : {window->Series1, window->Series3}) {
        QCOMPARE(onChart1->parentPlot(), window->Chart1);
      }
      for (PointSeries* onChart2 : {window->Series2, window->Series4, window->Series5}) {
        QCOMPARE(onChart2->parentPlot(), window->Chart2);
      }
      QVERIFY_THROWS_EXCEPTION(std::out_of_range, window->Series(6));
    }
  }

  // The design settings the handlers and the undo build on: fixed axes and
  // their ranges, the legend on the upper chart only, the design titles.
  void DesignSettings() {
    ApplicationWindows windows;
    TForm2& gps = windows.Form2;
    TForm3& gln = windows.Form3;
    QVERIFY(gps.Chart1->Left().Automatic());
    QCOMPARE(gps.Chart2->yAxis->range(), QCPRange(0, 33));
    QCOMPARE(gln.Chart1->yAxis->range(), QCPRange(0, 14));
    QCOMPARE(gln.Chart2->yAxis->range(), QCPRange(0, 25));
    for (TSatelliteWindow* window :
         {static_cast<TSatelliteWindow*>(&gps), static_cast<TSatelliteWindow*>(&gln)}) {
      QVERIFY(window->Chart2->Bottom().Automatic());
      QVERIFY(!window->Chart2->Left().Automatic());
      QCOMPARE(window->Chart2->Left().DesiredIncrement(), 1.0);
      QVERIFY(window->Chart1->legend->visible());
      QVERIFY(!window->Chart2->legend->visible());
      QCOMPARE(window->Chart1->legend->itemCount(), 2);
    }
    QCOMPARE(gps.Chart2->TitleLines(),
             QStringList({QString(),
                          QStringLiteral("GPS SV signals in CMR messages (magenta) vs GPS SVs "
                                         "tracked at rover (black)"),
                          QString()}));
    QCOMPARE(gln.Chart1->TitleLines(),
             QStringList({QStringLiteral("Total number of GLN satellite signals in CMR messages "
                                         "( as received at rover )")}));
    QCOMPARE(gln.Chart2->yAxis->label(), QStringLiteral("Glonass Orbit Slot Nos"));
    QCOMPARE(gps.Chart2->xAxis->label(), QStringLiteral("GPS Time ( yy/mm/dd hh:mm:ss )"));
  }

  void LayoutFollowsTheClientHeight_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("upper");
    QTest::newRow("700") << 700 << 233;
    QTest::newRow("600") << 600 << 200;
  }

  void LayoutFollowsTheClientHeight() {
    QFETCH(int, height);
    QFETCH(int, upper);
    ApplicationWindows windows;
    windows.Form2.resize(900, height);
    windows.Form2.LayOutCharts();
    QCOMPARE(windows.Form2.Chart1->geometry(), QRect(0, 0, 900, upper));
    // Either rounding of the lower two thirds is fine.
    QCOMPARE(windows.Form2.Chart2->geometry().top(), upper);
    QVERIFY(qAbs(windows.Form2.Chart2->height() - 2 * height / 3) <= 1);
  }

  // The button maximises the window and lays the charts out from the client
  // height it then has; a second press brings it to the front laid out again.
  void ButtonOpensTheWindowMaximisedAndLaidOut() {
    ApplicationWindows windows;
    windows.Form1.State().Store.SelectedLogPath = "/logs/rover.ZEL";
    windows.Form1.State().Store.Type3Count = 2;
    QTest::mouseClick(windows.Form1.SpeedButton3, Qt::LeftButton);
    TForm3& gln = windows.Form3;
    QVERIFY(gln.isVisible());
    QVERIFY(gln.windowState().testFlag(Qt::WindowMaximized));
    const int height = gln.height();
    QCOMPARE(gln.Chart1->geometry(), QRect(0, 0, gln.frameGeometry().width(), height / 3));
    QVERIFY(qAbs(gln.Chart2->geometry().bottom() + 1 - height) <= 2);

    gln.Chart1->setGeometry(0, 0, 10, 10);
    QTest::mouseClick(windows.Form1.SpeedButton3, Qt::LeftButton);
    QCOMPARE(gln.Chart1->height(), height / 3);
    QVERIFY(windows.Form2.isHidden());
  }

  void ActivationFitsTheTotalsInBothWindows() {
    ApplicationWindows windows;
    FillAnHour(windows.Form2, 5, 9);
    FillAnHour(windows.Form3, 3, 7);
    Open(windows.Form2);
    Activate(windows.Form2);
    QCOMPARE(windows.Form2.Chart1->yAxis->range(), QCPRange(4, 10));
    QVERIFY(!windows.Form2.Chart1->Left().Automatic());
    QCOMPARE(windows.Form2.Chart1->TitleLines(),
             QStringList({QString(),
                          QStringLiteral("Total Number of GPS Satellites Found in CMR Messages"),
                          QString()}));
    Open(windows.Form3);
    Activate(windows.Form3);
    QCOMPARE(windows.Form3.Chart1->yAxis->range(), QCPRange(2, 8));
    QCOMPARE(windows.Form3.Chart1->TitleLines()[1],
             QStringLiteral("Total number of GLN satellites found in CMR messages"));
  }

  // A click anywhere on the legend switches the view: series, left axis and
  // title; coming back to the window shows the same view, its marks drawn.
  void LegendClicksCycleTheViews() {
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    QTest::mouseClick(gps.Chart1, Qt::LeftButton, {}, LegendItemCentre(gps.Chart1, 0));
    QCOMPARE(open.Windows.Form1.State().GpsLegendClickCount, 1);
    QVERIFY(!gps.Series1->Active());
    QVERIFY(!gps.Series1->visible());
    QVERIFY(gps.Series3->visible());
    QVERIFY(!gps.Chart1->yAxis->visible());
    QCOMPARE(gps.Chart1->yAxis->range(), QCPRange(-2, 0));
    QCOMPARE(gps.Chart1->TitleLines(), QStringList({QString()}));

    Activate(gps);
    QCOMPARE(open.Windows.Form1.State().GpsLegendClickCount, 1);
    QCOMPARE(gps.Chart1->yAxis->range(), QCPRange(-2, 0));
    QCOMPARE(gps.Chart1->TitleLines(), QStringList({QString()}));
    QVERIFY(!gps.Chart1->yAxis->visible());
    QVERIFY(gps.Series3->visible());
    gps.Chart1->replot();
    const QImage image = gps.Chart1->grab().toImage();
    const QPoint mark(qRound(gps.Chart1->xAxis->coordToPixel(kTen + 100 * kSecond)),
                      qRound(gps.Chart1->yAxis->coordToPixel(-1)));
    QCOMPARE(image.pixelColor(mark), QColor(Qt::red));

    // Another entry, another button: still a legend click.
    QTest::mouseClick(gps.Chart1, Qt::RightButton, {}, LegendItemCentre(gps.Chart1, 1));
    QCOMPARE(open.Windows.Form1.State().GpsLegendClickCount, 2);
    QVERIFY(gps.Series1->visible());
    QVERIFY(!gps.Series3->visible());
    QVERIFY(gps.Chart1->yAxis->visible());
    QCOMPARE(open.Windows.Form1.State().GlnLegendClickCount, 0);
    Activate(gps);
    QCOMPARE(gps.Chart1->yAxis->range(), QCPRange(4, 10));
    QCOMPARE(gps.Chart1->TitleLines()[1],
             QStringLiteral("Total Number of GPS Satellites Found in CMR Messages"));
  }

  void GlnLegendHasItsOwnCounterAndTitles() {
    ApplicationWindows windows;
    TForm3& gln = windows.Form3;
    FillAnHour(gln, 3, 7);
    Open(gln);
    QTest::mouseClick(gln.Chart1, Qt::LeftButton, {}, LegendItemCentre(gln.Chart1, 0));
    QCOMPARE(windows.Form1.State().GlnLegendClickCount, 1);
    QCOMPARE(windows.Form1.State().GpsLegendClickCount, 0);
    QCOMPARE(gln.Chart1->TitleLines()[1], QStringLiteral("CMR messages are not available"));
    QVERIFY(gln.Series3->visible());
  }

  // A press inside the plot draws a rectangle, never a legend click.
  void ClickInsideThePlotIsNoLegendClick() {
    ApplicationWindows windows;
    FillAnHour(windows.Form2, 5, 9);
    Open(windows.Form2);
    QTest::mouseClick(windows.Form2.Chart1, Qt::LeftButton, {},
                      windows.Form2.Chart1->axisRect()->rect().center());
    QCOMPARE(windows.Form1.State().GpsLegendClickCount, 0);
  }

  // A legend click is a press and a release on the legend without a drag
  // between them. A drag that began on the legend clicks nothing, then or at
  // the next click elsewhere; a hand that shakes a little still clicks.
  void LegendClickIsAPressAndReleaseWithoutADrag() {
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    const std::int32_t& clicks = open.Windows.Form1.State().GpsLegendClickCount;
    const QPoint entry = LegendItemCentre(gps.Chart1, 0);
    const QPoint plot = gps.Chart1->axisRect()->rect().center();
    Drag(gps.Chart1, Qt::LeftButton, entry, plot);
    QCOMPARE(clicks, 0);
    QTest::mouseClick(gps.Chart1, Qt::LeftButton, {}, plot);
    QCOMPARE(clicks, 0);
    Drag(gps.Chart1, Qt::LeftButton, entry, entry + QPoint(1, 1));
    QCOMPARE(clicks, 1);
  }

  // Dragging towards the lower right zooms both axes to the rectangle, and
  // the handler puts the totals range back; towards the upper left undoes it.
  void DragZoomsAndDragBackUndoes() {
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    const QRect rect = TimeRectangle(gps.Chart1, 600, 1200);
    Drag(gps.Chart1, Qt::LeftButton, rect.topLeft(), rect.bottomRight());
    QVERIFY(qAbs(SpanSeconds(gps.Chart1->xAxis->range()) - 600) < 10);
    QCOMPARE(gps.Chart1->yAxis->range(), QCPRange(4, 10));
    const QCPRange lowerChartRange = gps.Chart2->xAxis->range();
    QVERIFY(qAbs(SpanSeconds(lowerChartRange) - kHourSeconds) < 2);

    Drag(gps.Chart1, Qt::LeftButton, rect.bottomRight(), rect.topLeft());
    gps.Chart1->replot();
    QVERIFY(qAbs(SpanSeconds(gps.Chart1->xAxis->range()) - kHourSeconds) < 2);
    QCOMPARE(gps.Chart1->yAxis->range(), QCPRange(4, 10));
    QCOMPARE(gps.Chart2->xAxis->range(), lowerChartRange);
  }

  // A zoom of the lower chart under 10 s grows by 5 s each side with labels
  // every 4 s; the increment outlives a wide zoom and an undo. The upper
  // chart keeps its range.
  void ShortZoomOfTheLowerChartWidens() {
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    const QCPRange upperRange = gps.Chart1->xAxis->range();
    gps.Chart2->ZoomToRectangle(TimeRectangle(gps.Chart2, 600, 660));
    gps.Chart2->replot();
    QCOMPARE(gps.Chart2->Bottom().DesiredIncrement(), 0.0);

    const QRect seven = TimeRectangle(gps.Chart2, 610, 617);
    const double zoomed = gps.Chart2->xAxis->pixelToCoord(seven.left());
    gps.Chart2->ZoomToRectangle(seven);
    QVERIFY(qAbs(SpanSeconds(gps.Chart2->xAxis->range()) - 17) < 0.5);
    QVERIFY(qAbs((zoomed - gps.Chart2->xAxis->range().lower) / kSecond - 5) < 1e-3);
    QCOMPARE(qRound(gps.Chart2->Bottom().DesiredIncrement() / kSecond), 4);
    gps.Chart2->replot();
    const QVector<double> ticks = gps.Chart2->xAxis->tickVector();
    QVERIFY(ticks.size() >= 4);
    QCOMPARE(qRound((ticks[1] - ticks[0]) / kSecond), 4);

    const QRect eleven = TimeRectangle(gps.Chart2, 605, 616);
    gps.Chart2->ZoomToRectangle(eleven);
    QVERIFY(qAbs(SpanSeconds(gps.Chart2->xAxis->range()) - 11) < 0.5);
    gps.Chart2->UndoZoom();
    gps.Chart2->replot();
    QCOMPARE(qRound(gps.Chart2->Bottom().DesiredIncrement() / kSecond), 4);
    QCOMPARE(gps.Chart2->yAxis->range(), QCPRange(0, 33));
    const QVector<double> wide = gps.Chart2->xAxis->tickVector();
    QVERIFY(wide.size() >= 2);
    QCOMPARE(qRound((wide[1] - wide[0]) / kSecond) % 4, 0);
    QCOMPARE(gps.Chart1->xAxis->range(), upperRange);
  }

  void WheelZoomsTheTimeAxisAndRunsTheZoomHandler() {
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    gps.Chart1->yAxis->setRange(0, 100);
    const QPoint centre = gps.Chart1->axisRect()->rect().center();
    QWheelEvent wheel(centre, gps.Chart1->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(gps.Chart1, &wheel);
    QVERIFY(SpanSeconds(gps.Chart1->xAxis->range()) < kHourSeconds * 0.9);
    QCOMPARE(gps.Chart1->yAxis->range(), QCPRange(4, 10));
  }

  void RightDragPansTheTimeAxisOnly() {
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    const QCPRange before = gps.Chart2->xAxis->range();
    const QPoint start = gps.Chart2->axisRect()->rect().center();
    Drag(gps.Chart2, Qt::RightButton, start, start + QPoint(50, 40));
    const QCPRange after = gps.Chart2->xAxis->range();
    QVERIFY(after.lower < before.lower);
    QVERIFY(qAbs(after.size() - before.size()) < 1e-9);
    QCOMPARE(gps.Chart2->yAxis->range(), QCPRange(0, 33));
  }

  // Closing only hides: the points, the zoom and the view stay for the next
  // opening, which lays the window out again.
  void ClosedWindowKeepsPointsAndRanges() {
    ApplicationWindows windows;
    windows.Form1.State().Store.SelectedLogPath = "/logs/rover.ZEL";
    windows.Form1.State().Store.Type0Count = 3600;
    TForm2& gps = windows.Form2;
    FillAnHour(gps, 5, 9);
    QTest::mouseClick(windows.Form1.SpeedButton2, Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(&gps));
    gps.Chart2->ZoomToRectangle(TimeRectangle(gps.Chart2, 300, 900));
    const QCPRange zoomed = gps.Chart2->xAxis->range();
    gps.close();
    QVERIFY(gps.isHidden());
    QTest::mouseClick(windows.Form1.SpeedButton2, Qt::LeftButton);
    QVERIFY(gps.isVisible());
    QCOMPARE(gps.Series2->Points().Size(), std::size_t{3 * kHourSeconds});
    QCOMPARE(gps.Chart2->xAxis->range(), zoomed);
  }

  // After a zoom in the missing-epochs view, a log that cannot be analysed
  // changes nothing; a log of another day is shown whole at once, in the
  // totals view with the labels' own steps, and an undo stays on it.
  void SecondLogAfterAZoomShowsTheNewLog() {
    QTemporaryDir logs;
    testdata::RoverLogOptions options;
    options.Seconds = 120;
    options.FillerBytesPerEpoch = 16;
    const std::string first = WriteLog(logs, "first.ZEL", testdata::MakeRoverLog(options));
    options.Day = 16;
    options.StartMsOfDay = 14 * kHourSeconds * 1000;
    options.Seconds = 90;
    const std::string second = WriteLog(logs, "second.ZEL", testdata::MakeRoverLog(options));
    const std::string broken = WriteLog(logs, "broken.ZEL", testdata::Bytes(64, 0x5A));

    Windows windows;
    SharedState& state = windows.Form.State();
    OpenAndWait(windows.Form, first);
    windows.Form.SpeedButton2Click();
    TForm2& gps = windows.All.Form2;
    QVERIFY(QTest::qWaitForWindowExposed(&gps));
    QTest::mouseClick(gps.Chart1, Qt::LeftButton, {}, LegendItemCentre(gps.Chart1, 0));
    gps.Chart1->ZoomToRectangle(TimeRectangle(gps.Chart1, 30, 60));
    const QRect seven = TimeRectangle(gps.Chart2, 40, 47);
    const int middle = gps.Chart2->axisRect()->rect().center().y();
    gps.Chart2->ZoomToRectangle(QRect(seven.left(), middle - 20, seven.width(), 40));
    QVERIFY(gps.Chart2->Bottom().DesiredIncrement() > 0);
    state.GlnLegendClickCount = 1;
    const QCPRange zoomed = gps.Chart1->xAxis->range();

    OpenAndWait(windows.Form, broken);
    QCOMPARE(windows.Form.LastOutcome(), std::optional(AnalysisOutcome::StoppedAtFatal));
    QCOMPARE(state.GpsLegendClickCount, 1);
    QCOMPARE(gps.Chart1->xAxis->range(), zoomed);

    OpenAndWait(windows.Form, second);
    QCOMPARE(windows.Form.LastOutcome(), std::optional(AnalysisOutcome::Completed));
    QCOMPARE(state.GpsLegendClickCount, 0);
    QCOMPARE(state.GlnLegendClickCount, 0);
    // No replot asked for here: the open window was drawn with the new ranges.
    bool found = false;
    const QCPRange totalsKeys = gps.Series1->getKeyRange(found);
    QVERIFY(found);
    QVERIFY(totalsKeys.lower > kTen + 1);
    QCOMPARE(gps.Chart1->xAxis->range(), totalsKeys);
    const QCPRange satelliteKeys = gps.Series2->getKeyRange(found);
    QVERIFY(gps.Chart2->xAxis->range().contains(satelliteKeys.lower));
    QVERIFY(gps.Chart2->xAxis->range().contains(satelliteKeys.upper));
    QVERIFY(SpanSeconds(gps.Chart2->xAxis->range()) < 100);
    QCOMPARE(gps.Chart2->Bottom().DesiredIncrement(), 0.0);
    QCOMPARE(gps.Chart2->yAxis->range(), QCPRange(0, 33));
    QVERIFY(gps.Series1->visible());
    const QCPRange totalsFit(gps.Series1->MinYValue() - 1, gps.Series1->MaxYValue() + 1);
    QCOMPARE(gps.Chart1->yAxis->range(), totalsFit);

    for (SatelliteChart* chart : {gps.Chart1, gps.Chart2}) chart->UndoZoom();
    gps.Chart1->replot();
    gps.Chart2->replot();
    QCOMPARE(gps.Chart1->xAxis->range(), totalsKeys);
    QCOMPARE(gps.Chart1->yAxis->range(), totalsFit);
    QVERIFY(gps.Chart2->xAxis->range().contains(satelliteKeys.lower));
    QCOMPARE(gps.Chart2->yAxis->range(), QCPRange(0, 33));
  }

  // Markers are drawn in the layout's fills, one per pixel position: the
  // tracked dot sits in the magenta square of a satellite in the corrections.
  void MarkersInTheirFillsOnePerPixel() {
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    const QImage image = gps.Chart2->grab().toImage();
    const QRect area = gps.Chart2->axisRect()->rect();
    const int middle = area.center().x();
    const int prn3 = qRound(gps.Chart2->yAxis->coordToPixel(3));
    const int prn12 = qRound(gps.Chart2->yAxis->coordToPixel(12));
    QCOMPARE(image.pixelColor(middle, prn3), QColor(0xFF, 0x00, 0xFF));
    QCOMPARE(image.pixelColor(middle, prn12), QColor(Qt::black));
    QCOMPARE(image.pixelColor(middle, prn12 + 4), QColor(0xFF, 0x00, 0xFF));
    QVERIFY(gps.Series2->MarkersDrawn() <= std::size_t(3 * (area.width() + 12)));
    QVERIFY(gps.Series2->MarkersDrawn() >= std::size_t(3 * (area.width() - 2)));
  }

  // One message after the first gives one point: the time axis still shows it.
  void LonePointGetsARange() {
    ApplicationWindows windows;
    TForm2& gps = windows.Form2;
    gps.Series1->AddPoint(kTen, 6, "", kColourBlue);
    gps.Series2->AddPoint(kTen, 6, "", kColourBlue);
    Open(gps);
    QVERIFY(gps.Chart1->xAxis->range().contains(kTen));
    QVERIFY(gps.Chart1->xAxis->range().size() > 0);
    QVERIFY(gps.Chart2->xAxis->range().contains(kTen));
  }

  // The labels count GPS time on its own clock, whatever the user's zone.
  void LabelsIgnoreTheLocalTimeZone() {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    OpenGpsWindow open;
    TForm2& gps = open.Gps;
    gps.Chart2->Bottom().SetMinMax(kTen, kTen + 600 * kSecond);
    gps.Chart2->replot();
    const QVector<QString> labels = gps.Chart2->xAxis->tickVectorLabels();
    if (zone.isNull()) {
      qunsetenv("TZ");
    } else {
      qputenv("TZ", zone);
    }
    tzset();
    QVERIFY(!labels.isEmpty());
    QCOMPARE(labels.first(), QStringLiteral(" 09/06/15 10:00:00  "));
  }
};

}  // namespace

int RunChartWindowTests(int argc, char** argv) {
  ChartWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace pelorin::apptest

#include "ChartWindowTest.moc"
