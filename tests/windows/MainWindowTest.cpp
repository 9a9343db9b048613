// The main window as the user first sees it: places, texts, hints, colours,
// what is hidden, where the focus goes, and the open dialog it will run.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "tests/windows/AppTests.h"
#include "widgets/OpenDialog.h"
#include "windows/Application.h"

namespace pelorin::apptest {
namespace {

QColor PixelAt(QWidget& window, int x, int y) {
  return window.grab().toImage().pixelColor(x, y);
}

class MainWindowTest : public QObject {
  Q_OBJECT

private slots:
  void WindowFrame() {
    TForm1 form;
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.windowTitle(), QStringLiteral(" Analyzing CMR messages enclosed in ZEL file"));
    QCOMPARE(form.minimumSize(), QSize(624, 291));
    QCOMPARE(form.maximumSize(), QSize(624, 291));
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
  }

  void CentredOnScreenAtStart() {
    TForm1 form;
    const QRect screen = form.screen()->geometry();
    QCOMPARE(form.pos(), QPoint(screen.x() + (screen.width() - 624) / 2,
                                screen.y() + (screen.height() - 291) / 2));
  }

  void ControlGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    const struct {
      const char* Name;
      QRect Geometry;
    } controls[] = {
        {"SpeedButton1", {23, 14, 176, 116}},
        {"SpeedButton2", {224, 16, 174, 114}},
        {"SpeedButton3", {429, 17, 173, 113}},
        {"Panel1", {21, 149, 583, 110}},
        {"Label1", {147, 7, 288, 24}},
        {"Edit2", {31, 34, 121, 27}},
        {"Edit3", {164, 34, 121, 27}},
        {"Edit4", {297, 34, 121, 27}},
        {"Edit5", {431, 34, 121, 27}},
        {"Edit8", {162, 72, 259, 24}},
        {"Edit100", {0, 274, 625, 21}},
        {"Panel2", {650, -1, 630, 292}},
        {"Image1", {0, 0, 19, 19}},
        {"EditFudge", {650, 65, 24, 21}},
        {"Label2", {239, 6, 146, 20}},
        {"Label3", {297, 68, 60, 20}},
        {"Label4", {29, 38, 13, 16}},
        {"Label5", {240, 38, 12, 16}},
        {"Label6", {449, 38, 11, 16}},
        {"Label7", {112, 101, 26, 16}},
        {"Label8", {258, 101, 42, 16}},
        {"Label9", {419, 100, 44, 16}},
        {"Label10", {14, 156, 124, 16}},
        {"Label11", {205, 156, 144, 16}},
        {"Label12", {68, 201, 105, 16}},
        {"Label13", {409, 156, 78, 16}},
        {"Label14", {264, 201, 99, 16}},
        {"Edit1", {44, 30, 123, 24}},
        {"Edit6", {255, 30, 123, 24}},
        {"Edit7", {463, 30, 123, 24}},
        {"Edit9", {139, 90, 80, 24}},
        {"Edit10", {299, 90, 80, 24}},
        {"Edit11", {462, 90, 80, 24}},
        {"Edit12", {138, 148, 35, 24}},
        {"Edit13", {353, 148, 35, 24}},
        {"Edit14", {174, 192, 58, 24}},
        {"Edit15", {490, 150, 108, 24}},
        {"Edit16", {367, 192, 185, 24}},
        {"SpeedButton4", {268, 237, 94, 41}},
    };
    for (const auto& control : controls) {
      QTest::newRow(control.Name) << QString::fromLatin1(control.Name) << control.Geometry;
    }
  }

  // Positions are relative to the control's container: the form, Panel1 or Panel2.
  void ControlGeometry() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TForm1 form;
    auto* control = form.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
  }

  void ContainersOfControls() {
    TForm1 form;
    for (QWidget* onCountPanel :
         {static_cast<QWidget*>(form.Label1), static_cast<QWidget*>(form.Edit2),
          static_cast<QWidget*>(form.Edit3), static_cast<QWidget*>(form.Edit4),
          static_cast<QWidget*>(form.Edit5), static_cast<QWidget*>(form.Edit8)}) {
      QCOMPARE(onCountPanel->parentWidget(), form.Panel1);
    }
    QCOMPARE(form.Edit100->parentWidget(), &form);
    const auto onStationPanel =
        form.Panel2->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(onStationPanel.size(), 13 + 11 + 1);
    QVERIFY(onStationPanel.contains(form.SpeedButton4));
  }

  void TextsAndHints_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    const struct {
      const char* Name;
      const char* Text;
      const char* Hint;
    } controls[] = {
        {"Label1", " CMR messages found in file:", ""},
        {"Edit2", " Type 0: ", "GPS observable packages"},
        {"Edit3", " Type 1: ", "Reference station coordinates ( click here to view them )"},
        {"Edit4", " Type 2: ", "Reference station description"},
        {"Edit5", " Type 3: ", "GLONASS observable packages"},
        {"Edit8", "            Scrolling Station Info:", "Total number of sub-packets"},
        {"Edit100", " SELECTED FILE:", "Selected file"},
        {"EditFudge", "EditFudge", ""},
        {"Label2", " Base coordinates", "in meters"},
        {"Label3", "Offsets", "in meters"},
        {"Label4", "X:", ""},
        {"Label5", "Y:", ""},
        {"Label6", "Z:", ""},
        {"Label7", "UP: ", ""},
        {"Label8", "EAST: ", ""},
        {"Label9", "NORT: ", ""},
        {"Label10", "Numeric station ID: ", ""},
        {"Label11", "Numeric antenna type:", ""},
        {"Label12", "Short station ID: ", ""},
        {"Label13", "COGO code:", ""},
        {"Label14", "Long station ID:", ""},
        {"Edit1", "", "X-coordinate"},
        {"Edit6", "", "Y-coordinate"},
        {"Edit7", "", "Z-coordinate"},
        {"Edit9", "", "Antenna height"},
        {"Edit10", "", "East offset"},
        {"Edit11", "", "North offset"},
        {"Edit12", "", ""},
        {"Edit16", "", ""},
    };
    for (const auto& control : controls) {
      QTest::newRow(control.Name) << QString::fromLatin1(control.Name)
                                  << QString::fromLatin1(control.Text)
                                  << QString::fromLatin1(control.Hint);
    }
  }

  void TextsAndHints() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    TForm1 form;
    QWidget* control = form.findChild<QWidget*>(name);
    QVERIFY(control);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      QCOMPARE(edit->text(), text);
    } else {
      QCOMPARE(qobject_cast<QLabel*>(control)->text(), text);
    }
    QCOMPARE(control->toolTip(), hint);
  }

  void BoxesForValuesAreReadOnly() {
    TForm1 form;
    for (QLineEdit* box :
         {form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit8, form.Edit100, form.Edit1,
          form.Edit6, form.Edit7, form.Edit9, form.Edit10, form.Edit11}) {
      QVERIFY2(box->isReadOnly(), qPrintable(box->objectName()));
    }
  }

  void HiddenAtStart() {
    ApplicationWindows windows;
    TForm1& form = windows.Form1;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.Panel2->isVisible());
    QVERIFY(!form.Edit100->isVisible());
    QVERIFY(!form.Image1->isVisible());
    QVERIFY(form.Panel1->isVisible());
    QVERIFY(form.SpeedButton1->isVisible());
    QVERIFY(!windows.Form2.isVisible());
    QVERIFY(!windows.Form3.isVisible());
  }

  // The client area is blue, the count panel a lighter blue, the glyph
  // buttons white and the count boxes light blue: the window paints them.
  void PaintedColours() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(PixelAt(form, 10, 140), QColor(0x00, 0x5E, 0xBB));
    QCOMPARE(PixelAt(form, 21 + 300, 149 + 102), QColor(0x00, 0x65, 0xCA));
    QCOMPARE(PixelAt(form, 23 + 10, 14 + 60), QColor(Qt::white));
    QCOMPARE(PixelAt(form, 224 + 170, 16 + 10), QColor(Qt::white));
    QCOMPARE(PixelAt(form, 21 + 31 + 115, 149 + 34 + 22), QColor(0xCC, 0xE6, 0xFF));
  }

  void StationPanelPaintsItsColours() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Toolkit().AlignToClient("Panel2");
    form.Toolkit().SetVisible("Panel2", true);
    QCOMPARE(PixelAt(form, 5, 140), QColor(0x00, 0x5E, 0xBB));
    QCOMPARE(PixelAt(form, 44 + 115, 30 + 12), QColor(0, 0, 160));
    QCOMPARE(PixelAt(form, 174 + 50, 192 + 12), QColor(0x00, 0x00, 0x80));
    QCOMPARE(form.Label2->palette().color(QPalette::WindowText), QColor(0x00, 0xFF, 0xFF));
  }

  // The fonts must resolve to ones as narrow as the layout was made for:
  // a wide fallback clips the panel caption and the counts.
  void TextsFitTheirBoxes() {
    TForm1 form;
    const auto fits = [](const QWidget* control, const QString& text, int roomPx) {
      return QFontMetrics(control->font()).horizontalAdvance(text) <= roomPx;
    };
    QVERIFY(fits(form.Label1, form.Label1->text(), form.Label1->width()));
    QVERIFY(fits(form.Edit2, QStringLiteral("Type 0: 36000"), form.Edit2->width() - 8));
    QVERIFY(fits(form.Edit8, QStringLiteral("         Scrolling Station Info: 3600"),
                 form.Edit8->width() - 8));
    QVERIFY(fits(form.Label11, form.Label11->text(), form.Label11->width() + 4));
  }

  void EditFudgeTakesTheFocusThenTheCountBoxesFollow() {
    TForm1 form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.EditFudge);
    for (QLineEdit* next : {form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit8}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), next);
    }
  }

  void GlyphButtonsNeverTakeTheFocus() {
    TForm1 form;
    for (QToolButton* button :
         {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3, form.SpeedButton4}) {
      QCOMPARE(button->focusPolicy(), Qt::NoFocus);
      QVERIFY(!button->icon().isNull());
    }
    QCOMPARE(form.SpeedButton4->iconSize(), QSize(91, 37));
  }

  void OpenDialog() {
    TForm1 form;
    QCOMPARE(form.OpenDialog1->objectName(), QStringLiteral("OpenDialog1"));
    QCOMPARE(
        form.OpenDialog1->windowTitle(),
        QStringLiteral("Select ZEL file with enclosed ( \"wrapped-echoed\" ) CMR/CMR+ messages"));
    QCOMPARE(
        form.OpenDialog1->property("Filter").toString(),
        QStringLiteral("ZEL files|*.ZEL; *vrd;|*.bin, *.log and *.dat files |*.bin; *.log; *.dat;|"
                       "All files|*.*"));
    // "*.*" as all files: the names without a dot too.
    QCOMPARE(form.OpenDialog1->nameFilters(),
             QStringList({QStringLiteral("ZEL files (*.ZEL *vrd)"),
                          QStringLiteral("*.bin, *.log and *.dat files (*.bin *.log *.dat)"),
                          QStringLiteral("All files (*)")}));
    // The tests run from a directory without the demo log, as an installed program.
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/demo.ZEL")));
    QCOMPARE(form.OpenDialog1->InitialDir(), QDir::homePath());
  }

  void NameFiltersFromClassicFilter() {
    QCOMPARE(QtNameFilters(QString()), QStringList());
    // A description without patterns, and a trailing description with none at all, are dropped.
    QCOMPARE(QtNameFilters(QStringLiteral("Empty| ; |Logs|*.log|Orphan")),
             QStringList({QStringLiteral("Logs (*.log)")}));
    QCOMPARE(QtNameFilters(QStringLiteral("Two|*.a;*.b")),
             QStringList({QStringLiteral("Two (*.a *.b)")}));
    QCOMPARE(QtNameFilters(QStringLiteral("All|*.*; *|Some|a*.*")),
             QStringList({QStringLiteral("All (*)"), QStringLiteral("Some (a*.*)")}));
  }

  void FormCreateSetsTheRunUp() {
    TForm1 form;
    const std::string directory = form.State().Store.ProgramDirectory;
    QCOMPARE(QString::fromStdString(directory),
             QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    QCOMPARE(ApplicationTitle(), QStringLiteral("Pelorin"));
    QVERIFY(!QApplication::windowIcon().isNull());
    QVERIFY(!form.Image1->pixmap().isNull());
    QCOMPARE(form.State().GpsLegendClickCount, 0);
    QCOMPARE(form.State().GlnLegendClickCount, 0);
    QVERIFY(form.State().Store.SelectedLogPath.empty());
    // The application title must not leak into the captions.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
  }

  void SatelliteWindows() {
    ApplicationWindows windows;
    QCOMPARE(windows.Form2.objectName(), QStringLiteral("Form2"));
    QCOMPARE(windows.Form2.windowTitle(), QStringLiteral(" GPS satellite data"));
    QCOMPARE(windows.Form3.objectName(), QStringLiteral("Form3"));
    QCOMPARE(windows.Form3.windowTitle(),
             QStringLiteral(" GLONASS Satellites Found in Received CMR Messages"));
    for (QWidget* window :
         {static_cast<QWidget*>(&windows.Form2), static_cast<QWidget*>(&windows.Form3)}) {
      QVERIFY(window->isHidden());
      QVERIFY(window->isWindow());
      const Qt::WindowFlags flags = window->windowFlags();
      QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
      QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
      QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    }
  }

  // Form1 is the main window: closing it ends the message loop even while a
  // satellite window is open, and closing a satellite window does not.
  void OnlyTheMainWindowEndsTheLoop() {
    ApplicationWindows windows;
    windows.Form1.show();
    windows.Form2.show();
    windows.Form3.show();
    bool mainWindowClosed = false;
    QTimer::singleShot(0, &windows.Form2, [&] { windows.Form2.close(); });
    QTimer::singleShot(50, &windows.Form1, [&] {
      mainWindowClosed = true;
      windows.Form1.close();
    });
    QTimer::singleShot(5000, qApp, [] { QApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(mainWindowClosed);
  }
};

}  // namespace

int RunMainWindowTests(int argc, char** argv) {
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace pelorin::apptest

#include "MainWindowTest.moc"
