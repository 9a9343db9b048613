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
#include "windows/PrintableLinkReport.h"

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

}  // namespace

int main(int argc, char* argv[]) {
  // Help and the version need no screen: answered before the toolkit starts.
  const pelorin::CommandLine early = pelorin::ParseCommandLine(Arguments(argc, argv));
  if (early.What == pelorin::CommandLine::Action::Help ||
      early.What == pelorin::CommandLine::Action::Version) {
    return *pelorin::AnswerWithoutWindow(early, std::cout, std::cerr);
  }
  // The printable link report needs no screen either.
  if (early.Pdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  pelorin::TApplication application(argc, argv);
  // The toolkit has taken its own options (-platform, -style...) off the line.
  const pelorin::CommandLine line = pelorin::ParseCommandLine(Arguments(argc, argv));
  if (const auto status = pelorin::AnswerWithoutWindow(line, std::cout, std::cerr)) return *status;
  // A failure at start-up is shown, and the run then ends as a failed one.
  int status = EXIT_SUCCESS;
  try {
    pelorin::ApplicationWindows windows;
    if (line.Pdf) {
      return pelorin::WriteLinkReportWithoutWindow(windows, FullPath(*line.Log),
                                                   QString::fromStdString(*line.Pdf), std::cerr);
    }
    windows.Form1.show();
    if (line.Log) OpenAtStart(windows.Form1, FullPath(*line.Log));
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
