// The main window as a desktop program: a log from the command line or
// dropped on it, its context menu and keys, and where "contents.cmr" goes.

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

#include "app/CommandLine.h"
#include "tests/windows/AppTests.h"
#include "tests/windows/DesktopSupport.h"
#include "widgets/ContentsLocation.h"

namespace pelorin::apptest {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "pelorin");
  return ParseCommandLine(args);
}

void Drop(TForm1& form, QMimeData& data, bool& entered, bool& dropped) {
  QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  entered = enter.isAccepted();
  QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  dropped = drop.isAccepted();
}

QString HintOf(const QWidget* widget) {
  return widget->property("Hint").toString();
}

class DesktopTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    QVERIFY(logs_.isValid());
    rover_ = WriteRoverLog(logs_, "rover.ZEL", 90, {20, 21});
  }

  void CommandLineGivesOneLogHelpOrVersion() {
    QCOMPARE(Parse({}).What, Action::Run);
    QVERIFY(!Parse({}).Log);
    QCOMPARE(Parse({"day.ZEL"}).Log, std::optional<std::string>("day.ZEL"));
    QCOMPARE(Parse({"--", "-odd.ZEL"}).Log, std::optional<std::string>("-odd.ZEL"));
    // Help and the version win over any mistake, and are answered on stdout.
    QCOMPARE(Parse({"--bogus", "a", "b", "--version"}).What, Action::Version);
    QCOMPARE(Parse({"--version", "-h"}).What, Action::Help);
    for (const auto& wrong : std::vector<std::vector<std::string>>{
             {"--bogus"}, {""}, {"a.ZEL", "b.ZEL"}, {"-platform"}}) {
      QCOMPARE(Parse(wrong).What, Action::UsageError);
    }
    std::ostringstream out;
    std::ostringstream err;
    QCOMPARE(AnswerWithoutWindow(Parse({"--version"}), out, err), std::optional<int>(0));
    QCOMPARE(QString::fromStdString(out.str()),
             QStringLiteral("pelorin %1\n").arg(QCoreApplication::applicationVersion()));
    QCOMPARE(AnswerWithoutWindow(Parse({"--help"}), out, err), std::optional<int>(0));
    QVERIFY(out.str().find("usage: pelorin [LOG]") != std::string::npos);
    QVERIFY(err.str().empty());
    // A byte from a script never reaches the terminal as a control.
    QCOMPARE(AnswerWithoutWindow(Parse({"--\x1b[2J"}), out, err), std::optional<int>(2));
    QVERIFY(err.str().starts_with("pelorin: unknown option --\\x1B[2J\n"));
    QCOMPARE(AnswerWithoutWindow(Parse({"x.ZEL"}), out, err), std::nullopt);
    // The printable link report of a log, without a window.
    const CommandLine pdf = Parse({"--pdf", "day.pdf", "day.ZEL"});
    QCOMPARE(pdf.What, Action::Run);
    QCOMPARE(pdf.Pdf, std::optional<std::string>("day.pdf"));
    QCOMPARE(pdf.Log, std::optional<std::string>("day.ZEL"));
    QCOMPARE(Parse({"--pdf", "day.pdf"}).What, Action::UsageError);
    QCOMPARE(Parse({"day.ZEL", "--pdf"}).What, Action::UsageError);
  }

  // The command line's log runs the open button's analysis with the path as
  // the dialog's answer, once; the dialog itself never shows.
  void LogFromTheCommandLineIsAnalysedAsAChosenOne() {
    Windows windows;
    int dialogs = 0;
    windows.Form.Toolkit().SetDialogRunner([&dialogs] {
      ++dialogs;
      return std::optional<std::string>();
    });
    OpenAndWait(windows.Form, rover_);
    QCOMPARE(dialogs, 0);
    QCOMPARE(windows.Form.State().Store.SelectedLogPath, rover_);
    QCOMPARE(windows.Form.Edit100->text(), QStringLiteral("Selected file: rover.ZEL"));
    QVERIFY(windows.Form.State().Store.Type0Count > 0);
    QCOMPARE(windows.Form.LastOutcome(), std::optional(AnalysisOutcome::Completed));
    // The next press of the button asks the dialog again.
    QTest::mouseClick(windows.Form.SpeedButton1, Qt::LeftButton);
    WaitForAnalysis(windows.Form);
    QCOMPARE(dialogs, 1);
  }

  void MissingPathGetsTheMessagesOfAChosenOne() {
    const std::string missing = logs_.filePath(QStringLiteral("gone/rover.ZEL")).toStdString();
    Windows fromCommandLine;
    OpenAndWait(fromCommandLine.Form, missing);
    Windows fromDialog;
    fromDialog.Form.Toolkit().SetDialogRunner([&missing] { return std::optional(missing); });
    QTest::mouseClick(fromDialog.Form.SpeedButton1, Qt::LeftButton);
    WaitForAnalysis(fromDialog.Form);
    QVERIFY(!fromDialog.Messages.empty());
    QVERIFY(fromCommandLine.Messages == fromDialog.Messages);
    QCOMPARE(fromCommandLine.Form.Edit100->text(), fromDialog.Form.Edit100->text());
  }

  void DroppedFileIsAnalysed() {
    Windows windows;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(rover_))});
    bool entered = false;
    bool dropped = false;
    Drop(windows.Form, data, entered, dropped);
    QVERIFY(entered);
    QVERIFY(dropped);
    QTRY_COMPARE(windows.Form.State().Store.SelectedLogPath, rover_);
    QVERIFY(WaitForAnalysis(windows.Form));
    QCOMPARE(windows.Form.Edit100->text(), QStringLiteral("Selected file: rover.ZEL"));
  }

  // Of several, the first local file is analysed and the bottom line says
  // so; an address that is no local file is passed over.
  void OfSeveralDroppedFilesTheFirstIsAnalysed() {
    Windows windows;
    const std::string second = WriteRoverLog(logs_, "second.ZEL", 10);
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.com/remote.ZEL")),
                  QUrl::fromLocalFile(QString::fromStdString(rover_)),
                  QUrl::fromLocalFile(QString::fromStdString(second)),
                  QUrl::fromLocalFile(logs_.filePath(QStringLiteral("third.ZEL")))});
    bool entered = false;
    bool dropped = false;
    Drop(windows.Form, data, entered, dropped);
    QVERIFY(dropped);
    QTRY_COMPARE(windows.Form.State().Store.SelectedLogPath, rover_);
    QVERIFY(WaitForAnalysis(windows.Form));
    QCOMPARE(windows.Form.Edit100->text(),
             QStringLiteral("Selected file: rover.ZEL (first of 3 dropped files)"));
  }

  void WhatIsNoLocalFileIsRefusedSilently() {
    Windows windows;
    ModalBoxCatcher catcher;
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.com/rover.ZEL")),
                  QUrl(QStringLiteral("file://otherhost/logs/rover.ZEL"))});
    data.setText(QStringLiteral("/logs/rover.ZEL"));
    bool entered = true;
    bool dropped = true;
    Drop(windows.Form, data, entered, dropped);
    QVERIFY(!entered);
    QVERIFY(!dropped);
    QTest::qWait(20);
    QVERIFY(windows.Form.State().Store.SelectedLogPath.empty());
    QVERIFY(windows.Messages.empty());
    QVERIFY(catcher.Seen.empty());
    // A box takes no drop of its own: a file dropped on it is dropped on the window.
    QVERIFY(!windows.Form.Edit2->acceptDrops());
    QVERIFY(!windows.Form.EditFudge->acceptDrops());
  }

  void ContextMenuOffersTheCommandsWithTheirKeys() {
    Windows windows;
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(300, 60),
                            windows.Form.mapToGlobal(QPoint(300, 60)));
    QApplication::sendEvent(windows.Form.SpeedButton2, &event);
    QMenu* menu = windows.Form.ContextMenu;
    QVERIFY(menu->isVisible());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator()) texts << action->text();
    }
    QCOMPARE(texts,
             QStringList({QStringLiteral("Open log…"), QStringLiteral("Copy summary"),
                          QStringLiteral("Save CMR stream as…"), QStringLiteral("Link report")}));
    QCOMPARE(windows.Form.OpenLogAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(windows.Form.CopySummaryAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QCOMPARE(windows.Form.LinkReportAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    // Nothing to copy or save before an analysis.
    QVERIFY(!windows.Form.CopySummaryAction->isEnabled());
    QVERIFY(!windows.Form.SaveCmrStreamAction->isEnabled());
    menu->close();

    int dialogs = 0;
    windows.Form.Toolkit().SetDialogRunner([&dialogs] {
      ++dialogs;
      return std::optional<std::string>();
    });
    windows.Form.OpenLogAction->trigger();
    WaitForAnalysis(windows.Form);
    QCOMPARE(dialogs, 1);
  }

  // Ctrl+C with the focus in a box that has nothing selected copies the
  // report command's summary of the same log, boxes shown on the way included.
  void CopySummaryIsTheReportsSummary_data() {
    QTest::addColumn<bool>("rover");
    QTest::newRow("analysed log") << true;
    QTest::newRow("stopped at its messages") << false;
  }

  void CopySummaryIsTheReportsSummary() {
    QFETCH(bool, rover);
    const std::string path =
        rover ? rover_ : WriteLog(logs_, "junk.ZEL", testdata::ToBytes("no log here"));
    Windows windows;
    OpenAndWait(windows.Form, path);
    QVERIFY(windows.Form.CopySummaryAction->isEnabled());
    QCOMPARE(rover, windows.Messages.empty());
    QGuiApplication::clipboard()->clear();
    windows.Form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&windows.Form));
    windows.Form.EditFudge->setFocus();
    QTest::keyClick(windows.Form.EditFudge, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), ReportText(path, false));
  }

  // Text selected in a box is copied as the box copies it.
  void CtrlCWithASelectionCopiesTheSelection() {
    Windows windows;
    OpenAndWait(windows.Form, rover_);
    windows.Form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&windows.Form));
    windows.Form.EditFudge->setFocus();
    windows.Form.EditFudge->selectAll();
    QTest::keyClick(windows.Form.EditFudge, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("EditFudge"));
  }

  void SavedCmrStreamIsTheUnwrappedStream() {
    Windows windows;
    OpenAndWait(windows.Form, rover_);
    QVERIFY(windows.Form.SaveCmrStreamAction->isEnabled());
    const QString target = logs_.filePath(QStringLiteral("saved.cmr"));
    SaveDialogAnswers answers(target);
    windows.Form.SaveCmrStreamAction->trigger();
    QCOMPARE(answers.Suggested, QStringList(logs_.filePath(QStringLiteral("rover.cmr"))));
    const auto& stream = *windows.Form.State().LastCmrStream();
    QVERIFY(!stream.empty());
    QCOMPARE(FileBytes(target),
             QByteArray(reinterpret_cast<const char*>(stream.data()), qsizetype(stream.size())));
  }

  // The log is never written: chosen as the target (under another name
  // too), it is refused with a warning and left as it was.
  void CmrStreamNeverReplacesTheLog() {
    Windows windows;
    OpenAndWait(windows.Form, rover_);
    const QByteArray before = FileBytes(QString::fromStdString(rover_));
    const QString otherName = logs_.filePath(QStringLiteral("link.ZEL"));
    QVERIFY(QFile::link(QString::fromStdString(rover_), otherName));
    SaveDialogAnswers answers(otherName);
    ModalBoxCatcher catcher;
    windows.Form.SaveCmrStreamAction->trigger();
    QCOMPARE(catcher.Seen.size(), std::size_t{1});
    QCOMPARE(catcher.Seen[0].Title, QStringLiteral("Warning"));
    QVERIFY(catcher.Seen[0].Text.contains(QStringLiteral("log being analysed")));
    QCOMPARE(FileBytes(QString::fromStdString(rover_)), before);
    QVERIFY(QFileInfo(otherName).isSymLink());
  }

  // Where the program's directory cannot take "contents.cmr", it goes to
  // the user's data directory and the bottom line's hint says where.
  void UnwritableProgramDirectorySendsTheStreamToTheDataDirectory() {
    const QString file = logs_.filePath(QStringLiteral("not-a-directory"));
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    CheckDataDirectoryTakesTheStream(file.toStdString() + "/");
  }

  void ReadOnlyProgramDirectorySendsTheStreamToTheDataDirectory() {
    if (::geteuid() == 0) QSKIP("permissions do not bind the superuser");
    const QString directory = logs_.filePath(QStringLiteral("read-only"));
    QVERIFY(QDir().mkpath(directory));
    QVERIFY(::chmod(directory.toLocal8Bit().constData(), 0555) == 0);
    CheckDataDirectoryTakesTheStream(directory.toStdString() + "/");
    ::chmod(directory.toLocal8Bit().constData(), 0755);
  }

  void WritableProgramDirectoryKeepsTheStream() {
    QStandardPaths::setTestModeEnabled(true);
    const QString data = UserDataDirectory();
    QDir(data).removeRecursively();
    Windows windows;
    windows.Form.State().Store.ProgramDirectory = logs_.path().toStdString() + "/";
    OpenAndWait(windows.Form, rover_);
    const QString beside = logs_.filePath(QStringLiteral("contents.cmr"));
    QCOMPARE(HintOf(windows.Form.Edit100),
             QStringLiteral("Selected file\nCMR stream written to ") + beside);
    QVERIFY(QFile::exists(beside));
    QVERIFY(!QFile::exists(QDir(data).filePath(QStringLiteral("contents.cmr"))));
    QStandardPaths::setTestModeEnabled(false);
  }

private:
  void CheckDataDirectoryTakesTheStream(const std::string& programDirectory) {
    QStandardPaths::setTestModeEnabled(true);
    const QString data = UserDataDirectory();
    QDir(data).removeRecursively();
    QVERIFY(!ContentsWritableIn(programDirectory));
    Windows windows;
    windows.Form.State().Store.ProgramDirectory = programDirectory;
    OpenAndWait(windows.Form, rover_);
    const QString written = QDir(data).filePath(QStringLiteral("contents.cmr"));
    QCOMPARE(HintOf(windows.Form.Edit100),
             QStringLiteral("Selected file\nCMR stream written to ") + written);
    const auto& stream = *windows.Form.State().LastCmrStream();
    QCOMPARE(FileBytes(written),
             QByteArray(reinterpret_cast<const char*>(stream.data()), qsizetype(stream.size())));
    QDir(data).removeRecursively();
    QStandardPaths::setTestModeEnabled(false);
  }

  QTemporaryDir logs_;
  std::string rover_;
};

}  // namespace

int RunDesktopTests(int argc, char** argv) {
  DesktopTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace pelorin::apptest

#include "DesktopTest.moc"
