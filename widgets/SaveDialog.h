#pragma once
// Saving what the windows export: where to (a save dialog, or a test's
// answer in its place), and a write that either replaces the file whole or
// leaves it as it was. The log being analysed is never written over.

#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>
#include <string>

class QIODevice;
class QWidget;

namespace pelorin {

// The path the user chose, or empty when cancelled. `filters` are Qt name
// filters ("PNG image (*.png)"); the first one's suffix is added to a name
// typed without one.
QString ChooseSavePath(QWidget* parent, const QString& caption, const QString& suggestedName,
                       const QStringList& filters);

// Tests answer in the dialog's place, given its caption and suggested name;
// an empty function brings the dialog back.
using SaveDialogAnswer =
    std::function<QString(const QString& caption, const QString& suggestedName)>;
void AnswerSaveDialogs(SaveDialogAnswer answer);

// Writes `path` through a temporary file renamed into place when `write`
// succeeds. `protectedLog`, when given and not empty, is a file the write
// must never replace, whatever name `path` gives it. Empty on success, or
// why it failed.
QString SaveAtomically(const QString& path, const std::string* protectedLog,
                       const std::function<bool(QIODevice&)>& write);
// The same for a writer of text or bytes on a standard stream.
QString SaveStreamAtomically(const QString& path, const std::string* protectedLog,
                             const std::function<void(std::ostream&)>& write);

// The warning box for a save that failed, with the reason.
void ShowSaveFailure(QWidget* parent, const QString& path, const QString& reason);

// A save command whole: asks where (as ChooseSavePath), writes there with
// `save` (empty on success, else why not) and tells the user of a failure.
void SaveWithDialog(QWidget* parent, const QString& caption, const QString& suggestedName,
                    const QStringList& filters,
                    const std::function<QString(const QString& path)>& save);

}  // namespace pelorin
