// The Qt toolkit as the core drives it: controls by name, hints that can be
// switched off, title-bar buttons, the modal boxes and the busy cursor.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include "tests/windows/AppTests.h"
#include "widgets/QtToolkit.h"
#include "windows/MainUnit.h"

namespace pelorin::apptest {
namespace {

class ToolkitTest : public QObject {
  Q_OBJECT

private slots:
  void TextReachesEditsLabelsAndTheCaption() {
    TForm1 form;
    QtToolkit& toolkit = form.Toolkit();
    toolkit.SetText("Edit2", "Type 0: 3600");
    toolkit.SetText("Label3", "Offsets!");
    toolkit.SetText("Form1", "Caption");
    QCOMPARE(form.Edit2->text(), QStringLiteral("Type 0: 3600"));
    QCOMPARE(form.Label3->text(), QStringLiteral("Offsets!"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Caption"));
  }

  // A file name longer than the bottom line must show its beginning.
  void LongTextShowsItsStart() {
    TForm1 form;
    form.Toolkit().SetText("Edit100", "Selected file: " + std::string(300, 'x') + ".ZEL");
    QCOMPARE(form.Edit100->cursorPosition(), 0);
  }

  void TextsFromReceivedBytes() {
    QCOMPARE(ToQString("Z\xC3\xBCrich"), QStringLiteral("Z\u00FCrich"));
    // Not UTF-8: one character per byte.
    QCOMPARE(ToQString("\xC4\xD6 BASE"), QStringLiteral("\u00C4\u00D6 BASE"));
    // One text, both kinds: the valid UTF-8 kept, the stray byte as Latin-1.
    QCOMPARE(ToQString("Z\xC3\xBCrich \xE9t\xE9"), QStringLiteral("Z\u00FCrich \u00E9t\u00E9"));
    using namespace std::string_view_literals;
    QCOMPARE(ToQString("AB\0CD"sv), QStringLiteral("AB"));
    QCOMPARE(ToQString(""), QString());
  }

  void UnknownControlIsReportedAndIgnored() {
    TForm1 form;
    QTest::ignoreMessage(QtWarningMsg, "No control named \"Edit999\"");
    form.Toolkit().SetText("Edit999", "x");
  }

  void HintDisplaySwitchesOffAndOn() {
    TForm1 form;
    QtToolkit& toolkit = form.Toolkit();
    toolkit.SetShowHint("Edit1", false);
    QCOMPARE(form.Edit1->toolTip(), QString());
    toolkit.SetShowHint("Edit1", true);
    QCOMPARE(form.Edit1->toolTip(), QStringLiteral("X-coordinate"));

    toolkit.SetShowHint("Edit7", false);
    toolkit.SetHint("Edit7", "ell.ht (m): 100.000");
    QCOMPARE(form.Edit7->toolTip(), QString());
    toolkit.SetShowHint("Edit7", true);
    QCOMPARE(form.Edit7->toolTip(), QStringLiteral("ell.ht (m): 100.000"));
    toolkit.SetHint("Edit7", "ell.ht (m): 5.000");
    QCOMPARE(form.Edit7->toolTip(), QStringLiteral("ell.ht (m): 5.000"));
  }

  void AlignedPanelCoversTheWholeClientArea() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QtToolkit& toolkit = form.Toolkit();
    toolkit.AlignToClient("Panel2");
    toolkit.SetVisible("Panel2", true);
    QCOMPARE(form.Panel2->geometry(), form.rect());
    for (const QPoint point : {QPoint(100, 60), QPoint(300, 200), QPoint(10, 285)}) {
      const QWidget* hit = form.childAt(point);
      QVERIFY(hit == form.Panel2 || form.Panel2->isAncestorOf(hit));
    }
    toolkit.SetVisible("Panel2", false);
    QVERIFY(!form.Panel2->isVisible());
  }

  void BorderIconsComeAndGoWithoutHidingTheWindow() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint position = form.pos();
    QtToolkit& toolkit = form.Toolkit();
    QCOMPARE(toolkit.GetBorderIcons(), (BorderIcons{true, true, false, false}));

    toolkit.SetBorderIcons({});
    QCOMPARE(toolkit.GetBorderIcons(), BorderIcons{});
    QVERIFY(form.isVisible());
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(form.pos(), position);

    toolkit.SetBorderIcons({true, true, true, false});
    QVERIFY(form.isVisible());
    QVERIFY(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(toolkit.GetBorderIcons(), (BorderIcons{true, true, false, false}));
  }

  void BorderIconsOfAHiddenWindowLeaveItHidden() {
    TForm1 form;
    form.Toolkit().SetBorderIcons({});
    QVERIFY(form.isHidden());
  }

  void CentreMainWindow() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.move(0, 0);
    form.Toolkit().CentreMainWindow();
    const QRect screen = form.screen()->geometry();
    const QRect frame = form.frameGeometry();
    QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 1);
  }

  void MessageBoxIcons_data() {
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("icon");
    QTest::newRow("stop") << 0x10 << int(QMessageBox::Critical);
    QTest::newRow("exclamation") << 0x30 << int(QMessageBox::Warning);
    QTest::newRow("information") << 0x40 << int(QMessageBox::Information);
  }

  void MessageBoxIcons() {
    QFETCH(int, flag);
    QFETCH(int, icon);
    TForm1 form;
    ModalBoxCatcher catcher;
    form.Toolkit().MessageBox("Cannot find absolute time in selected file!", "Fatal error",
                              static_cast<MessageIcon>(flag));
    QCOMPARE(catcher.Seen.size(), std::size_t{1});
    QCOMPARE(catcher.Seen[0].Title, QStringLiteral("Fatal error"));
    QCOMPARE(catcher.Seen[0].Text, QStringLiteral("Cannot find absolute time in selected file!"));
    QCOMPARE(int(catcher.Seen[0].Icon), icon);
    QCOMPARE(catcher.Seen[0].Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }

  void PlainMessageCarriesTheApplicationTitle() {
    TForm1 form;
    ModalBoxCatcher catcher;
    form.Toolkit().ShowMessage("Epoch 12:\ttotals differ");
    QCOMPARE(catcher.Seen.size(), std::size_t{1});
    QCOMPARE(catcher.Seen[0].Title, QStringLiteral("Pelorin"));
    QCOMPARE(catcher.Seen[0].Text, QStringLiteral("Epoch 12:\ttotals differ"));
    QCOMPARE(catcher.Seen[0].Icon, QMessageBox::NoIcon);
    QCOMPARE(catcher.Seen[0].Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }

  void MessageHookReplacesTheBoxes() {
    TForm1 form;
    std::vector<ShownMessage> recorded;
    form.Toolkit().SetMessageHook(
        [&](const ShownMessage& message) { recorded.push_back(message); });
    ModalBoxCatcher catcher;
    form.Toolkit().MessageBox("w", "Warning", MessageIcon::Exclamation);
    form.Toolkit().ShowMessage("plain");
    QTest::qWait(20);
    QVERIFY(catcher.Seen.empty());
    QCOMPARE(recorded.size(), std::size_t{2});
    QVERIFY((recorded[0] == ShownMessage{"w", "Warning", MessageIcon::Exclamation}));
    QVERIFY((recorded[1] == ShownMessage{"plain", std::nullopt, std::nullopt}));
  }

  // The scan may ask for the busy cursor more than once; one restore must
  // bring the normal cursor back, and a toolkit that goes away restores it.
  void BusyCursorIsSetOnceAndRestored() {
    {
      TForm1 form;
      QtToolkit& toolkit = form.Toolkit();
      toolkit.SetBusyCursor(true);
      toolkit.SetBusyCursor(true);
      QVERIFY(QApplication::overrideCursor());
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      toolkit.SetBusyCursor(false);
      QCOMPARE(QApplication::overrideCursor(), nullptr);
      toolkit.SetBusyCursor(false);
      QCOMPARE(QApplication::overrideCursor(), nullptr);
      toolkit.SetBusyCursor(true);
    }
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  // Without a test runner the toolkit runs OpenDialog1 itself.
  void DefaultRunnerRunsOpenDialog1() {
    TForm1 form;
    bool shown = false;
    QTimer::singleShot(50, form.OpenDialog1, [&form, &shown] {
      shown = form.OpenDialog1->isVisible();
      form.OpenDialog1->reject();
    });
    QCOMPARE(form.Toolkit().RunOpenDialog(), std::nullopt);
    QVERIFY(shown);
  }
};

}  // namespace

int RunToolkitTests(int argc, char** argv) {
  ToolkitTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace pelorin::apptest

#include "ToolkitTest.moc"
