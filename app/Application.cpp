#include "app/Application.h"

#include <QLocale>
#include <QMessageBox>
#include <clocale>
#include <exception>

#include "app/QtToolkit.h"

namespace pelorin {

void ShowException(const QString& message) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
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

}  // namespace pelorin
