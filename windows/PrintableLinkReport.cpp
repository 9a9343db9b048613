#include "windows/PrintableLinkReport.h"

#include <QEventLoop>
#include <QTableWidget>

#include "cmr/Analysis.h"
#include "cmr/LogText.h"
#include "report/LinkTables.h"
#include "report/Report.h"
#include "report/VerdictText.h"
#include "widgets/QtToolkit.h"

namespace pelorin {
namespace {

// The charts are drawn at these sizes and scaled to the page's width.
const QSize kStripSize(1000, 260);
const QSize kChartSize(1000, 420);

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// "7 (PELO, BASE-NORTH-01)": the station number and what names it.
QString StationText(const DecodedStore& store) {
  QStringList names;
  for (const std::string* name : {&store.Type2ShortId, &store.Type2CogoCode}) {
    if (!name->empty()) names << Text(*name);
  }
  const QString number = QString::number(store.ReferenceStationId);
  return names.isEmpty() ? number : number + QStringLiteral(" (%1)").arg(names.join(", "));
}

// The day of the first correction, or of the rover's first epoch, on the clock chosen.
QString DateText(const Verdict* verdict, report::Clock clock) {
  if (!verdict || !verdict->Figures.FirstCorrection) return QStringLiteral("no date");
  const std::string first = report::ClockText(*verdict->Figures.FirstCorrection, clock);
  const std::string last = report::ClockText(*verdict->Figures.LastCorrection, clock);
  const std::string day = first.substr(0, 10);
  return Text(last.substr(0, 10) == day ? day : day + " to " + last.substr(0, 10));
}

}  // namespace

PdfDocument PrintableLinkReport(ApplicationWindows& windows) {
  TLinkReportForm& form = windows.LinkReportForm;
  // The window's tables, limits and clock, whether it was ever opened or
  // not; an open one is printed as the user left it.
  form.TakeLastAnalysis();
  const DecodedStore& store = windows.Form1.State().Store;
  const report::Clock clock = form.TimesOn();
  const Verdict* verdict = form.ShownVerdict();

  PdfDocument document;
  document.FileName = Text(FileNameOf(store.SelectedLogPath));
  document.Station = StationText(store);
  document.Date = DateText(verdict, clock);
  document.Title = QStringLiteral("Link report");
  const QString system = form.SystemBox->currentText();
  const QString clockTitle = Text(std::string(report::ClockTitle(clock)));
  if (verdict) {
    document.Blocks.push_back(PdfParagraph{
        QStringLiteral("Verdict: ") + Text(report::VerdictLine(*verdict, clock)), true});
  }
  const LinkReport empty;
  const LinkReport& link = form.ShownLink() ? *form.ShownLink() : empty;
  // The verdict stands above it already.
  document.Blocks.push_back(PdfTable{QStringLiteral("Summary (times on %1)").arg(clockTitle),
                                     LinkSummaryTable(link, clock)});
  document.Blocks.push_back(PdfTable{QStringLiteral("Gaps"), form.TableOf(form.GapsTable)});
  document.Blocks.push_back(
      PdfTable{QStringLiteral("Fix losses"), form.TableOf(form.FixLossesTable)});
  document.Blocks.push_back(PdfTable{QStringLiteral("Satellites tracked without corrections"),
                                     TrackedWithoutCorrectionsTable(link)});
  document.Blocks.push_back(
      PdfChart{QStringLiteral("Rover solution"), form.SolutionChart, kStripSize});
  document.Blocks.push_back(
      PdfChart{QStringLiteral("Age of the corrections at the rover (%1)").arg(system),
               form.AgeChart, kChartSize});
  document.Blocks.push_back(PdfChart{QStringLiteral("Satellites per second (%1)").arg(system),
                                     form.CommonChart, kChartSize});
  document.Blocks.push_back(
      PdfChart{QStringLiteral("GPS satellites"), windows.Form2.Chart2, kChartSize});
  document.Blocks.push_back(
      PdfChart{QStringLiteral("GLONASS satellites"), windows.Form3.Chart2, kChartSize});
  return document;
}

QString SaveLinkReportPdf(ApplicationWindows& windows, const QString& path) {
  QString error;
  if (WriteLinkReportPdf(path, PrintableLinkReport(windows), &error,
                         &windows.Form1.State().Store.SelectedLogPath)) {
    return {};
  }
  return error.isEmpty() ? QStringLiteral("the PDF could not be written") : error;
}

int WriteLinkReportWithoutWindow(ApplicationWindows& windows, const std::string& logPath,
                                 const QString& pdfPath, std::ostream& err) {
  TForm1& form = windows.Form1;
  // The boxes the window would show go to the terminal instead.
  form.Toolkit().SetMessageHook([&err](const ShownMessage& m) {
    err << "pelorin: " << (m.Caption ? PrintableLogText(*m.Caption) + ": " : std::string())
        << PrintableLogText(report::OnOneLine(m.Text)) << "\n";
  });
  bool analysed = false;
  QEventLoop loop;
  QObject::connect(&form, &TForm1::Analysed, &loop, [&analysed, &loop] {
    analysed = true;
    loop.quit();
  });
  form.OpenLog(logPath);
  if (!analysed) loop.exec();
  const auto outcome = form.LastOutcome();
  if (!outcome ||
      (*outcome != AnalysisOutcome::Completed && *outcome != AnalysisOutcome::ScanStopped)) {
    err << "pelorin: " << PrintableLogText(logPath)
        << ": the analysis stopped before the link report; no PDF written\n";
    return 1;
  }
  const QString error = SaveLinkReportPdf(windows, pdfPath);
  if (!error.isEmpty()) {
    err << "pelorin: cannot write " << PrintableLogText(pdfPath.toStdString()) << ": "
        << PrintableLogText(error.toStdString()) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace pelorin
