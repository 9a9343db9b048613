// The window tests run under one application object, the program's own, so
// that its exception handling and number format are those under test.

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "tests/windows/AppTests.h"
#include "windows/Application.h"

namespace pelorin::apptest {

ModalBoxCatcher::ModalBoxCatcher() {
  connect(&timer_, &QTimer::timeout, this, &ModalBoxCatcher::Poll);
  timer_.start(5);
}

void ModalBoxCatcher::Poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible()) return;
  Seen.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
  box->done(QMessageBox::Ok);
}

}  // namespace pelorin::apptest

int main(int argc, char** argv) {
  pelorin::TApplication application(argc, argv);
  // What the windows remember goes to a directory of the run's own, never
  // into the user's settings, and starts empty.
  const QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  int failures = 0;
  failures += pelorin::apptest::RunMainWindowTests(argc, argv);
  failures += pelorin::apptest::RunToolkitTests(argc, argv);
  failures += pelorin::apptest::RunHandlerTests(argc, argv);
  failures += pelorin::apptest::RunChartWindowTests(argc, argv);
  failures += pelorin::apptest::RunDesktopTests(argc, argv);
  failures += pelorin::apptest::RunChartExportTests(argc, argv);
  failures += pelorin::apptest::RunLinkReportWindowTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
