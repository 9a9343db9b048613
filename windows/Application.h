#pragma once
// The application object and the three windows of a run.

#include <QApplication>
#include <QString>

#include "charts/GlnSatellitesUnit.h"
#include "charts/GpsSatellitesUnit.h"
#include "charts/LinkReportUnit.h"
#include "windows/MainUnit.h"

namespace pelorin {

// Shows an exception that reached the message loop, or ended the start-up:
// a stop box with the application title and the exception's text.
void ShowException(const QString& message);

// A handler that throws does not end the message loop: its exception is shown
// and the loop goes on. Numbers show a decimal point whatever the user's locale.
// The desktop knows the program by its entry "pelorin", and the user's data
// directory (where "contents.cmr" goes when the program's own directory is
// not writable) by that name too.
class TApplication : public QApplication {
  Q_OBJECT

public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Form1 first, so that it is the main window; the satellite windows follow
// and stay hidden until its buttons open them. The link report window opens
// from the context menus of all three and follows every analysis.
struct ApplicationWindows {
  TForm1 Form1;
  TForm2 Form2{Form1.State().GpsLegendClickCount};
  TForm3 Form3{Form1.State().GlnLegendClickCount};
  TLinkReportForm LinkReportForm{Form1.State()};

  ApplicationWindows();
};

}  // namespace pelorin
