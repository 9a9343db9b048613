// The main window's handlers driven by clicks: the open button through the
// dialog seam, the chart buttons, the count boxes and the station panel, and
// exceptions that escape a handler.

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <stdexcept>

#include "tests/support/RoverLog.h"
#include "tests/windows/AppTests.h"
#include "tests/windows/DesktopSupport.h"
#include "windows/Application.h"

namespace pelorin::apptest {
namespace {

// The three windows with the dialog answering `path` and the boxes recorded.
struct Session {
  ApplicationWindows Windows;
  TForm1& Form = Windows.Form1;
  std::vector<ShownMessage> Messages;
  std::optional<std::string> DialogAnswer;

  Session() {
    Form.Toolkit().SetMessageHook(
        [this](const ShownMessage& message) { Messages.push_back(message); });
    Form.Toolkit().SetDialogRunner([this] { return DialogAnswer; });
    Form.show();
  }

  void Open(std::optional<std::string> path) {
    DialogAnswer = std::move(path);
    QTest::mouseClick(Form.SpeedButton1, Qt::LeftButton);
    WaitForAnalysis(Form);
  }

  bool PanelCoversTheWindow() const {
    return Form.Panel2->isVisible() && Form.Panel2->geometry() == Form.rect();
  }
};

class Thrower : public QObject {
public:
  explicit Thrower(bool standard) : standard_(standard) {}
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    if (standard_) throw std::runtime_error("Access violation at address 0");
    throw 42;
  }

private:
  bool standard_;
};

class HandlerTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(logDirectory_.isValid()); }

  void CancelBeforeAnyFileChangesNothing() {
    Session session;
    session.Open(std::nullopt);
    QVERIFY(session.Form.Edit100->isHidden());
    QVERIFY(session.Form.State().Store.SelectedLogPath.empty());
    QVERIFY(session.Messages.empty());
  }

  void ChosenFileIsNamedOnTheBottomLine() {
    Session session;
    const std::string path = WriteLog(logDirectory_, "junk.ZEL", testdata::ToBytes("no log here"));
    ModalBoxCatcher catcher;
    session.Open(path);
    QVERIFY(session.Form.Edit100->isVisible());
    QCOMPARE(session.Form.Edit100->text(), QStringLiteral("Selected file: junk.ZEL"));
    QCOMPARE(session.Form.State().Store.SelectedLogPath, path);
    // The analysis stops with its boxes, and they went to the hook.
    QVERIFY(!session.Messages.empty());
    QCOMPARE(session.Messages.back().Caption, std::optional<std::string>("Fatal error"));
    QVERIFY(catcher.Seen.empty());
  }

  void AnalysedLogOpensEveryView() {
    testdata::RoverLogOptions options;
    options.Seconds = 60;
    const std::string path = WriteLog(logDirectory_, "rover.ZEL", testdata::MakeRoverLog(options));
    Session session;
    session.Open(path);
    const DecodedStore& store = session.Form.State().Store;
    QVERIFY(store.Type0Count > 0);
    QVERIFY(store.Type1Count > 0);
    QCOMPARE(session.Form.Edit2->text(), QStringLiteral("Type 0: %1").arg(store.Type0Count));
    QVERIFY(!session.Windows.Form2.Series1->Points().Empty());

    QTest::mouseClick(session.Form.SpeedButton2, Qt::LeftButton);
    QVERIFY(session.Windows.Form2.isVisible());
    QTest::mouseClick(session.Form.SpeedButton3, Qt::LeftButton);
    QCOMPARE(session.Windows.Form3.isVisible(), store.Type3Count > 0);

    QTest::mouseClick(session.Form.Edit3, Qt::LeftButton);
    QVERIFY(session.PanelCoversTheWindow());
    QVERIFY(session.Form.Edit1->text().startsWith(QStringLiteral("      ")));
    QVERIFY(session.Form.Edit1->toolTip().startsWith(QStringLiteral("lat: ")));
    QCOMPARE(session.Form.Toolkit().GetBorderIcons(), BorderIcons{});
    QVERIFY(session.Form.isVisible());

    QTest::mouseClick(session.Form.SpeedButton4, Qt::LeftButton);
    QVERIFY(!session.Form.Panel2->isVisible());
    QCOMPARE(session.Form.Toolkit().GetBorderIcons(), (BorderIcons{true, true, false, false}));
    QVERIFY(session.Form.isVisible());
  }

  // The analysis runs on a thread of its own: its boxes come in the order it
  // raises them while the window, its progress bar up, still shows the log
  // before; its results come only once it ends.
  void BoxesComeInOrderBeforeTheResults() {
    Session session;
    session.Open(WriteRover("first.ZEL", 20));
    const QString before = session.Form.Edit2->text();
    struct Seen {
      ShownMessage Message;
      QString Counts;
      bool ProgressShown = false;
    };
    std::vector<Seen> seen;
    session.Form.Toolkit().SetMessageHook([&session, &seen](const ShownMessage& message) {
      seen.push_back({message, session.Form.Edit2->text(), session.Form.ProgressBar->isVisible()});
    });
    session.Open(WriteTroubledRover("second.ZEL", 30));
    const AnalysisResult& result = *session.Form.State().LastResult;
    QCOMPARE(seen.size(), std::size_t{2});
    for (std::size_t k = 0; k < seen.size(); ++k) {
      QCOMPARE(seen[k].Message, result.Messages[k]);
      QCOMPARE(seen[k].Counts, before);
      QVERIFY(seen[k].ProgressShown);
    }
    QCOMPARE(session.Form.Edit2->text(), QStringLiteral("Type 0: %1").arg(result.Store.Type0Count));
    QVERIFY(session.Form.Edit2->text() != before);
    QVERIFY(session.Form.ProgressBar->isHidden());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // Cancel, while the analysis waits for its first box to be dismissed:
  // the window is as it was before the open.
  void CancelLeavesTheWindowAsBeforeTheOpen() {
    Session session;
    session.Open(WriteRover("kept.ZEL", 20));
    const QString counts = session.Form.Edit2->text();
    const std::shared_ptr<const AnalysisResult> kept = session.Form.State().LastResult;
    const std::size_t points = session.Windows.Form2.Series1->Points().Size();
    session.Form.Toolkit().SetMessageHook([&session](const ShownMessage&) {
      QTest::mouseClick(session.Form.CancelButton, Qt::LeftButton);
    });
    session.Open(WriteTroubledRover("stopped.ZEL", 40));
    QCOMPARE(session.Form.Edit100->text(), QStringLiteral("Selected file: kept.ZEL"));
    QCOMPARE(session.Form.Edit2->text(), counts);
    QCOMPARE(session.Form.State().LastResult, kept);
    QCOMPARE(session.Windows.Form2.Series1->Points().Size(), points);
    QVERIFY(session.Form.State().Store.SelectedLogPath.ends_with("kept.ZEL"));
    QVERIFY(session.Form.ProgressBar->isHidden());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // A chart window opens only for a chosen file with messages of its kind.
  void ChartButtonsWaitForAFileWithTheirMessages() {
    Session session;
    DecodedStore& store = session.Form.State().Store;
    store.Type0Count = 12;
    QTest::mouseClick(session.Form.SpeedButton2, Qt::LeftButton);
    QVERIFY(session.Windows.Form2.isHidden());

    store.SelectedLogPath = "/logs/gps-only.ZEL";
    QTest::mouseClick(session.Form.SpeedButton3, Qt::LeftButton);
    QVERIFY(session.Windows.Form3.isHidden());
    QTest::mouseClick(session.Form.SpeedButton2, Qt::LeftButton);
    QVERIFY(session.Windows.Form2.isVisible());
  }

  void CountBoxesWithoutMessagesIgnoreClicks() {
    Session session;
    for (QLineEdit* box : {session.Form.Edit3, session.Form.Edit4, session.Form.Edit8}) {
      QTest::mouseClick(box, Qt::LeftButton);
      QVERIFY2(!session.Form.Panel2->isVisible(), qPrintable(box->objectName()));
    }
    QCOMPARE(session.Form.Toolkit().GetBorderIcons(), (BorderIcons{true, true, false, false}));
  }

  void CountBoxClicksOpenThePanel_data() {
    QTest::addColumn<QString>("box");
    QTest::newRow("type 2") << QStringLiteral("Edit4");
    QTest::newRow("station info") << QStringLiteral("Edit8");
  }

  void CountBoxClicksOpenThePanel() {
    QFETCH(QString, box);
    Session session;
    DecodedStore& store = session.Form.State().Store;
    store.Type2Count = 1;
    store.CmrPlusCount = 1;
    QTest::mouseClick(session.Form.findChild<QLineEdit*>(box), Qt::LeftButton);
    QVERIFY(session.PanelCoversTheWindow());
  }

  // Type 1 and the station information disagree: the type 1 box shows the
  // type 1 position, the description box prefers the station information.
  void TwoViewsShowTheirOwnSources() {
    using namespace testdata;
    const CoordinatesMm type1{1'126'674'412, -4'357'871'711, 4'503'860'481, 1'500, 25, -40};
    const CoordinatesMm info{-2'694'892'462, -4'293'083'000, 3'857'878'000, 2'000, 0, 0};
    Bytes stream;
    for (int k = 0; k < 5; ++k) {
      stream = Concat({stream, CmrFrame(ObsMessage({2, 0, 0, k * 1000, {{5}}, {}})),
                       CmrFrame(Type1Message(2, 9, type1)),
                       CmrFrame(Type2Message(2, 9, "SHORT", "COGO", "LONG ID"))});
    }
    StationInfoContent content{9, info, "SHORT", "COGO", "LONG ID"};
    for (const Bytes& page : StationInfoPages(2, StationInfoBlock(content), 60)) {
      stream = Concat({stream, page});
    }
    ZelLog log;
    log.HeadText().ReceiverDate(2009, 6, 15).ReceiverTime(36'000'000).Echo(stream);
    Session session;
    session.Open(WriteLog(logDirectory_, "two-views.ZEL", log.bytes()));
    // The log has no rover epochs: only the epoch scan, after the station
    // passes, complains.
    QCOMPARE(session.Messages.size(), std::size_t{1});
    QCOMPARE(session.Messages[0].Caption, std::optional<std::string>("Bad input file"));

    QTest::mouseClick(session.Form.Edit3, Qt::LeftButton);
    QVERIFY(session.PanelCoversTheWindow());
    QCOMPARE(session.Form.Edit1->text(), QStringLiteral("      1126674.412"));
    QCOMPARE(session.Form.Edit9->text(), QStringLiteral("      1.500"));
    QCOMPARE(session.Form.Edit11->text(), QStringLiteral("      -0.040"));
    QCOMPARE(session.Form.Edit1->toolTip(), QStringLiteral("lat:  45 : 12 : 34.5678"));
    QCOMPARE(session.Form.Edit6->toolTip(), QStringLiteral("lon: -75 : 30 : 15.4321"));
    QCOMPARE(session.Form.Edit7->toolTip(), QStringLiteral("ell.ht (m): 100.000"));
    QCOMPARE(session.Form.Edit14->text(), QStringLiteral("SHORT"));
    QTest::mouseClick(session.Form.SpeedButton4, Qt::LeftButton);
    QVERIFY(!session.Form.Panel2->isVisible());

    QTest::mouseClick(session.Form.Edit4, Qt::LeftButton);
    QVERIFY(session.PanelCoversTheWindow());
    QCOMPARE(session.Form.Edit1->text(), QStringLiteral("      -2694892.462"));
    QCOMPARE(session.Form.Edit9->text(), QStringLiteral("      2.000"));
  }

  // Only a left click is a click.
  void RightClickOnACountBoxIsNoClick() {
    Session session;
    session.Form.State().Store.Type1Count = 1;
    QTest::mouseClick(session.Form.Edit3, Qt::RightButton);
    QVERIFY(!session.Form.Panel2->isVisible());
  }

  void ExceptionInAHandlerIsShownAndTheLoopGoesOn_data() {
    QTest::addColumn<bool>("standard");
    QTest::addColumn<QString>("text");
    QTest::newRow("std::exception") << true << QStringLiteral("Access violation at address 0");
    QTest::newRow("anything else") << false << QString();
  }

  void ExceptionInAHandlerIsShownAndTheLoopGoesOn() {
    QFETCH(bool, standard);
    QFETCH(QString, text);
    TForm1 form;
    Thrower thrower(standard);
    ModalBoxCatcher catcher;
    QEvent event(QEvent::User);
    QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
    QCOMPARE(catcher.Seen.size(), std::size_t{1});
    QCOMPARE(catcher.Seen[0].Title, QStringLiteral("Pelorin"));
    QCOMPARE(catcher.Seen[0].Text, text);
    QCOMPARE(catcher.Seen[0].Icon, QMessageBox::Critical);
  }

private:
  std::string WriteRover(const char* name, int seconds) {
    testdata::RoverLogOptions options;
    options.Seconds = seconds;
    options.FillerBytesPerEpoch = 16;
    return WriteLog(logDirectory_, name, testdata::MakeRoverLog(options));
  }
  // A rover log without the head's CMR flag and cut inside its last record:
  // two warnings, and the analysis goes on.
  std::string WriteTroubledRover(const char* name, int seconds) {
    testdata::RoverLogOptions options;
    options.Seconds = seconds;
    options.FillerBytesPerEpoch = 16;
    testdata::Bytes log = testdata::MakeRoverLog(options);
    const std::string text(log.begin(), log.end());
    const auto flag = text.find("{{off,on,");
    log[flag + 8] = 'x';
    log.resize(log.size() - 5);
    return WriteLog(logDirectory_, name, log);
  }

  QTemporaryDir logDirectory_;
};

}  // namespace

int RunHandlerTests(int argc, char** argv) {
  HandlerTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace pelorin::apptest

#include "HandlerTest.moc"
