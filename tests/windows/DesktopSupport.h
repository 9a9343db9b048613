#pragma once
// Shared pieces of the desktop tests: built logs written to a directory, the
// three windows with recorded boxes, and the report command run in-process
// on the same log to compare the window's exports against.

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/ReportCommandLine.h"
#include "report/Report.h"
#include "tests/support/RoverLog.h"
#include "widgets/SaveDialog.h"
#include "windows/Application.h"

namespace pelorin::apptest {

inline std::string WriteLog(const QTemporaryDir& directory, const char* name,
                            const testdata::Bytes& bytes) {
  const std::string path = directory.filePath(QString::fromLatin1(name)).toStdString();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

// A short rover log with corrections for both systems, gaps where asked.
inline std::string WriteRoverLog(const QTemporaryDir& directory, const char* name, int seconds,
                                 std::set<int> gaps = {}) {
  testdata::RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = 16;
  options.Gaps = std::move(gaps);
  return WriteLog(directory, name, testdata::MakeRoverLog(options));
}

// Waits, as a user watches the progress bar, for the analysis the window
// runs (on a thread of its own) to end and reach the window.
inline bool WaitForAnalysis(TForm1& form, int timeoutMs = 30'000) {
  QCoreApplication::processEvents();
  QDeadlineTimer deadline(timeoutMs);
  while (form.Analysing() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return !form.Analysing();
}

// The window's open of `path`, waited for.
inline void OpenAndWait(TForm1& form, const std::string& path, const QString& note = QString()) {
  form.OpenLog(path, note);
  WaitForAnalysis(form);
}

// The three windows and the link report, boxes recorded instead of shown.
struct Windows {
  ApplicationWindows All;
  TForm1& Form = All.Form1;
  std::vector<ShownMessage> Messages;

  Windows() {
    Form.Toolkit().SetMessageHook(
        [this](const ShownMessage& message) { Messages.push_back(message); });
    Form.show();
  }
};

// What the report command prints for `path`: the summary, or with `json`
// the JSON of its one analysis.
inline std::string ReportText(const std::string& path, bool json) {
  std::vector<std::string> args = {"pelorin-report"};
  if (json) args.push_back("--json");
  args.push_back(path);
  std::ostringstream out;
  std::ostringstream err;
  report::RunReport(args, out, err);
  return out.str();
}

inline QJsonObject ReportJson(const std::string& path) {
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray::fromStdString(ReportText(path, true)));
  return document.array().at(0).toObject();
}

// While alive, every save dialog answers `path` and notes what it suggested.
class SaveDialogAnswers {
public:
  explicit SaveDialogAnswers(QString path) {
    AnswerSaveDialogs([this, path](const QString&, const QString& suggested) {
      Suggested.append(suggested);
      return path;
    });
  }
  ~SaveDialogAnswers() { AnswerSaveDialogs(nullptr); }
  QStringList Suggested;
};

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace pelorin::apptest
