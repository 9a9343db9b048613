// Drives the program's windows through their own code for a picture:
// scripts/screenshot starts this under Xvfb and takes the picture of the
// window once it says it is ready.
//
//   pelorin-pictures --ready FILE [--open LOG [--while-analysing]] [--click WHAT]...
//
// --open analyses LOG as if chosen in the open dialog and waits for it to
// end, or with --while-analysing until its progress bar is a third of the
// way along (the analysis is then held there). Each --click, in order:
// a count box or chart button ("Edit3", "Edit4", "Edit8", "SpeedButton2",
// "SpeedButton3"), the main window's menu ("Menu"), the menu of the open
// chart window's lower chart ("ChartMenu") or the link report
// ("LinkReport"). FILE is written once the windows are as asked.
#include <QCoreApplication>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "charts/SatelliteChart.h"
#include "windows/Application.h"

namespace {

struct Options {
  std::string Ready;
  std::string Log;
  bool WhileAnalysing = false;
  std::vector<std::string> Clicks;
};

bool Parse(int argc, char** argv, Options& options) {
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    const bool hasValue = k + 1 < argc;
    if (arg == "--ready" && hasValue) {
      options.Ready = argv[++k];
    } else if (arg == "--open" && hasValue) {
      options.Log = argv[++k];
    } else if (arg == "--click" && hasValue) {
      options.Clicks.push_back(argv[++k]);
    } else if (arg == "--while-analysing") {
      options.WhileAnalysing = true;
    } else {
      return false;
    }
  }
  return !options.Ready.empty();
}

void Click(pelorin::ApplicationWindows& windows, const std::string& what) {
  pelorin::TForm1& form = windows.Form1;
  if (what == "Edit3") form.Edit3Click();
  if (what == "Edit4") form.Edit4Click();
  if (what == "Edit8") form.Edit8Click();
  if (what == "SpeedButton2") form.SpeedButton2Click();
  if (what == "SpeedButton3") form.SpeedButton3Click();
  if (what == "Menu") {
    form.ContextMenu->popup(form.mapToGlobal(QPoint(form.width() / 2, form.height() / 3)));
  }
  if (what == "ChartMenu") {
    pelorin::TSatelliteWindow& shown = windows.Form3.isVisible()
                                           ? static_cast<pelorin::TSatelliteWindow&>(windows.Form3)
                                           : windows.Form2;
    pelorin::SatelliteChart* chart = shown.Chart2;
    emit chart->MenuRequested(chart->mapToGlobal(chart->axisRect()->rect().center()));
  }
  if (what == "LinkReport") windows.LinkReportForm.Open();
}

void WaitWhile(const std::function<bool()>& condition) {
  while (condition()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s --ready FILE [--open LOG [--while-analysing]] [--click WHAT]...\n",
                 argv[0]);
    return 2;
  }
  pelorin::TApplication application(argc, argv);
  pelorin::ApplicationWindows windows;
  windows.Form1.show();
  QTimer::singleShot(300, &windows.Form1, [&windows, &options] {
    pelorin::TForm1& form = windows.Form1;
    if (!options.Log.empty()) {
      form.OpenLog(options.Log);
      if (options.WhileAnalysing) {
        WaitWhile([&form] { return form.Analysing() && form.ProgressBar->value() < 333; });
        // Held where the picture shows it: the analysis thread waits on
        // the message box it would raise next, or is simply left running.
      } else {
        WaitWhile([&form] { return form.Analysing(); });
      }
    }
    for (const std::string& click : options.Clicks) Click(windows, click);
    QTimer::singleShot(500, [&options] { std::ofstream(options.Ready) << "ready\n"; });
  });
  return pelorin::TApplication::exec();
}
