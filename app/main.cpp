// Pelorin: checks the CMR corrections a rover echoed into its ZEL log.

#include <QTimer>
#include <cstdlib>
#include <exception>
#include <string>

#include "app/Application.h"
#include "app/QtToolkit.h"

namespace {

// scripts/screenshot pictures a window after an analysis: PELORIN_OPEN_LOG
// names the log the open dialog gives once, PELORIN_CLICK a count box or chart
// button to click afterwards ("Edit3", "Edit4", "Edit8", "SpeedButton2" or
// "SpeedButton3"). The program reads nothing else.
void ScheduleScreenshotActions(pelorin::TForm1& form) {
  const char* log = std::getenv("PELORIN_OPEN_LOG");
  if (!log || !*log) return;
  const std::string path = log;
  const std::string click = std::getenv("PELORIN_CLICK") ? std::getenv("PELORIN_CLICK") : "";
  QTimer::singleShot(300, &form, [&form, path, click] {
    form.Toolkit().SetDialogRunner([path]() -> std::optional<std::string> { return path; });
    form.SpeedButton1Click();
    if (click == "Edit3") form.Edit3Click();
    if (click == "Edit4") form.Edit4Click();
    if (click == "Edit8") form.Edit8Click();
    if (click == "SpeedButton2") form.SpeedButton2Click();
    if (click == "SpeedButton3") form.SpeedButton3Click();
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  pelorin::TApplication application(argc, argv);
  try {
    pelorin::ApplicationWindows windows;
    windows.Form1.show();
    ScheduleScreenshotActions(windows.Form1);
    pelorin::TApplication::exec();
  } catch (const std::exception& error) {
    pelorin::ShowException(pelorin::ToQString(error.what()));
  } catch (...) {
    pelorin::ShowException(QString());
  }
  // The run ends normally also after a start-up failure has been shown.
  return 0;
}
