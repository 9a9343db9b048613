#include "windows/Application.h"

#include <QLocale>
#include <QMessageBox>
#include <clocale>
#include <exception>

#include "widgets/QtToolkit.h"
#include "widgets/SaveDialog.h"
#include "windows/PrintableLinkReport.h"

namespace pelorin {

void ShowException(const QString& message) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

#ifndef PELORIN_VERSION
#define PELORIN_VERSION "unknown"
#endif

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("pelorin"));
  setApplicationVersion(QStringLiteral(PELORIN_VERSION));
  setDesktopFileName(QStringLiteral("pelorin"));
  QLocale::setDefault(QLocale::c());
  // QApplication takes the user's locale for the C library too; the core
  // formats its numbers with it.
  std::setlocale(LC_NUMERIC, "C");
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowException(ToQString(error.what()));
  } catch (...) {
    ShowException(QString());
  }
  return false;
}

ApplicationWindows::ApplicationWindows() {
  Form1.SetSatelliteWindows(&Form2, &Form3);
  const std::string& selectedLog = Form1.State().Store.SelectedLogPath;
  Form2.ProtectLog(selectedLog);
  Form3.ProtectLog(selectedLog);
  LinkReportForm.ProtectLog(selectedLog);
  const auto openLinkReport = [this] { LinkReportForm.Open(); };
  QObject::connect(&Form1, &TForm1::LinkReportRequested, &LinkReportForm, openLinkReport);
  QObject::connect(&Form2, &TSatelliteWindow::LinkReportRequested, &LinkReportForm, openLinkReport);
  QObject::connect(&Form3, &TSatelliteWindow::LinkReportRequested, &LinkReportForm, openLinkReport);
  QObject::connect(&Form1, &TForm1::Analysed, &LinkReportForm, &TLinkReportForm::FollowAnalysis);
  // The satellite windows' exports tell times on the clock chosen in the link report.
  const auto tellTimesOn = [this](int clock) {
    Form2.SetClock(static_cast<report::Clock>(clock));
    Form3.SetClock(static_cast<report::Clock>(clock));
  };
  tellTimesOn(static_cast<int>(LinkReportForm.TimesOn()));
  QObject::connect(&LinkReportForm, &TLinkReportForm::ClockChosen, &Form2, tellTimesOn);
  QObject::connect(&LinkReportForm, &TLinkReportForm::PdfRequested, &LinkReportForm, [this] {
    SaveWithDialog(&LinkReportForm, QStringLiteral("Save link report as PDF"),
                   QStringLiteral("link-report.pdf"), {QStringLiteral("PDF file (*.pdf)")},
                   [this](const QString& path) { return SaveLinkReportPdf(*this, path); });
  });
}

}  // namespace pelorin
