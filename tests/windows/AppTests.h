#pragma once
// Shared pieces of the window tests: the runners of each test class and a
// catcher that answers the modal boxes a test provokes.

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

namespace pelorin::apptest {

int RunMainWindowTests(int argc, char** argv);
int RunToolkitTests(int argc, char** argv);
int RunHandlerTests(int argc, char** argv);
int RunChartWindowTests(int argc, char** argv);
int RunDesktopTests(int argc, char** argv);
int RunChartExportTests(int argc, char** argv);
int RunLinkReportWindowTests(int argc, char** argv);

struct SeenBox {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
};

// While alive, notes and closes every modal message box as soon as it is
// up, so that a test never waits on a box nobody would click.
class ModalBoxCatcher : public QObject {
  Q_OBJECT

public:
  ModalBoxCatcher();
  std::vector<SeenBox> Seen;

private slots:
  void Poll();

private:
  QTimer timer_;
};

}  // namespace pelorin::apptest
