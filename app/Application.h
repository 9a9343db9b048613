#pragma once
// The application object and the three windows of a run.

#include <QApplication>
#include <QString>

#include "app/MainUnit.h"
#include "charts/GlnSatellitesUnit.h"
#include "charts/GpsSatellitesUnit.h"

namespace pelorin {

// Shows an exception that reached the message loop, or ended the start-up:
// a stop box with the application title and the exception's text.
void ShowException(const QString& message);

// A handler that throws does not end the message loop: its exception is shown
// and the loop goes on. Numbers show a decimal point whatever the user's locale.
class TApplication : public QApplication {
  Q_OBJECT

public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Form1 first, so that it is the main window; the satellite windows follow
// and stay hidden until its buttons open them.
struct ApplicationWindows {
  TForm1 Form1;
  TForm2 Form2{Form1.State().GpsLegendClickCount};
  TForm3 Form3{Form1.State().GlnLegendClickCount};

  ApplicationWindows() { Form1.SetSatelliteWindows(&Form2, &Form3); }
};

}  // namespace pelorin
