#pragma once
// The open-file dialog of the main window. Its filter is kept in the classic
// form "description|patterns|description|patterns" and turned into Qt's name
// filters for the dialog itself.

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace pelorin {

// "ZEL files|*.ZEL; *vrd;|All files|*.*" -> "ZEL files (*.ZEL *vrd)", "All files (*)".
// Patterns are separated by ";" and blanks; a description without patterns is dropped.
// "*.*" means every file there, as in the classic dialogs; Qt's dialog would
// hide the names without a dot, so it becomes "*".
QStringList QtNameFilters(const QString& filter);

class TOpenDialog : public QFileDialog {
  Q_OBJECT
  Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
  Q_PROPERTY(QString InitialDir READ InitialDir WRITE SetInitialDir)

public:
  explicit TOpenDialog(QWidget* parent = nullptr);

  QString Filter() const { return filter_; }
  void SetFilter(const QString& filter);
  QString InitialDir() const { return directory().absolutePath(); }
  void SetInitialDir(const QString& directory) { setDirectory(directory); }

  // Runs the dialog; the chosen file's full path, or nothing when cancelled.
  std::optional<std::string> Execute();

private:
  QString filter_;
};

}  // namespace pelorin
