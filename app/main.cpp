// Pelorin: checks the CMR corrections a rover echoed into its ZEL log.

#include <QTimer>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "widgets/QtToolkit.h"
#include "windows/Application.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

// The open dialog gives a full path; so does the command line.
std::string FullPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.string();
}

// The log named on the command line, analysed once the window is up, so
// that its boxes have the window to stand over.
void OpenAtStart(pelorin::TForm1& form, const std::string& path) {
  QTimer::singleShot(0, &form, [&form, path] { form.OpenLog(path); });
}

void PerformScreenshotClick(pelorin::ApplicationWindows& windows, const QString& click) {
  pelorin::TForm1& form = windows.Form1;
  if (click == QStringLiteral("Edit3")) form.Edit3Click();
  if (click == QStringLiteral("Edit4")) form.Edit4Click();
  if (click == QStringLiteral("Edit8")) form.Edit8Click();
  if (click == QStringLiteral("SpeedButton2")) form.SpeedButton2Click();
  if (click == QStringLiteral("SpeedButton3")) form.SpeedButton3Click();
  if (click == QStringLiteral("Menu")) {
    form.ContextMenu->popup(form.mapToGlobal(QPoint(form.width() / 2, form.height() / 3)));
  }
  if (click == QStringLiteral("ChartMenu")) {
    pelorin::TSatelliteWindow& shown = windows.Form3.isVisible()
                                           ? static_cast<pelorin::TSatelliteWindow&>(windows.Form3)
                                           : windows.Form2;
    pelorin::SatelliteChart* chart = shown.Chart2;
    emit chart->MenuRequested(chart->mapToGlobal(chart->axisRect()->rect().center()));
  }
  if (click == QStringLiteral("LinkReport")) windows.LinkReportForm.Open();
}

// scripts/screenshot pictures a window after an analysis: PELORIN_OPEN_LOG
// names the log the open dialog gives once, PELORIN_CLICK what to do after
// it, several separated by commas: click a count box or chart button
// ("Edit3", "Edit4", "Edit8", "SpeedButton2", "SpeedButton3"), open the main
// window's menu ("Menu"), the menu of the open chart window's lower chart
// ("ChartMenu") or the link report ("LinkReport"). The program reads
// nothing else.
void ScheduleScreenshotActions(pelorin::ApplicationWindows& windows) {
  const char* log = std::getenv("PELORIN_OPEN_LOG");
  if (!log || !*log) return;
  const std::string path = log;
  const QStringList clicks = QString::fromLocal8Bit(std::getenv("PELORIN_CLICK"))
                                 .split(QLatin1Char(','), Qt::SkipEmptyParts);
  QTimer::singleShot(300, &windows.Form1, [&windows, path, clicks] {
    windows.Form1.OpenLog(path);
    for (const QString& click : clicks) PerformScreenshotClick(windows, click);
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  // Help and the version need no screen: answered before the toolkit starts.
  const pelorin::CommandLine early = pelorin::ParseCommandLine(Arguments(argc, argv));
  if (early.What == pelorin::CommandLine::Action::Help ||
      early.What == pelorin::CommandLine::Action::Version) {
    return *pelorin::AnswerWithoutWindow(early, std::cout, std::cerr);
  }
  pelorin::TApplication application(argc, argv);
  // The toolkit has taken its own options (-platform, -style...) off the line.
  const pelorin::CommandLine line = pelorin::ParseCommandLine(Arguments(argc, argv));
  if (const auto status = pelorin::AnswerWithoutWindow(line, std::cout, std::cerr)) return *status;
  // A failure at start-up is shown, and the run then ends as a failed one.
  int status = EXIT_SUCCESS;
  try {
    pelorin::ApplicationWindows windows;
    windows.Form1.show();
    if (line.Log) OpenAtStart(windows.Form1, FullPath(*line.Log));
    ScheduleScreenshotActions(windows);
    status = pelorin::TApplication::exec();
  } catch (const std::exception& error) {
    pelorin::ShowException(pelorin::ToQString(error.what()));
    return EXIT_FAILURE;
  } catch (...) {
    pelorin::ShowException(QString());
    return EXIT_FAILURE;
  }
  return status;
}
