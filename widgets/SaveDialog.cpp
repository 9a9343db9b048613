#include "widgets/SaveDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSaveFile>
#include <filesystem>
#include <streambuf>
#include <system_error>

namespace pelorin {
namespace {

SaveDialogAnswer& TestAnswer() {
  static SaveDialogAnswer answer;
  return answer;
}

// "PNG image (*.png)" -> "png".
QString SuffixOf(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
  const QRegularExpressionMatch match = pattern.match(filter);
  return match.hasMatch() ? match.captured(1) : QString();
}

bool NamesTheFile(const QString& path, const std::string* protectedLog) {
  if (!protectedLog || protectedLog->empty()) return false;
  std::error_code error;
  return std::filesystem::equivalent(QFile::encodeName(path).toStdString(), *protectedLog, error);
}

struct BusyCursor {
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// A standard stream's bytes into a Qt device.
class DeviceBuffer : public std::streambuf {
public:
  explicit DeviceBuffer(QIODevice& device) : device_(device) {}

protected:
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    return device_.write(bytes, count) == count ? count : 0;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return device_.write(&byte, 1) == 1 ? c : traits_type::eof();
  }

private:
  QIODevice& device_;
};

}  // namespace

QString ChooseSavePath(QWidget* parent, const QString& caption, const QString& suggestedName,
                       const QStringList& filters) {
  if (TestAnswer()) return TestAnswer()(caption, suggestedName);
  QFileDialog dialog(parent, caption);
  // The same dialog on every desktop, as the open dialog.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.setDefaultSuffix(SuffixOf(filters.first()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOf(filter)); });
  dialog.selectFile(suggestedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void AnswerSaveDialogs(SaveDialogAnswer answer) {
  TestAnswer() = std::move(answer);
}

QString SaveAtomically(const QString& path, const std::string* protectedLog,
                       const std::function<bool(QIODevice&)>& write) {
  if (NamesTheFile(path, protectedLog)) {
    return QStringLiteral("it would replace the log being analysed");
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (!write(file)) {
    const QString reason = file.error() != QFileDevice::NoError
                               ? file.errorString()
                               : QStringLiteral("the data could not be written");
    file.cancelWriting();
    return reason;
  }
  if (!file.commit()) return file.errorString();
  return {};
}

QString SaveStreamAtomically(const QString& path, const std::string* protectedLog,
                             const std::function<void(std::ostream&)>& write) {
  return SaveAtomically(path, protectedLog, [&write](QIODevice& device) {
    DeviceBuffer buffer(device);
    std::ostream out(&buffer);
    write(out);
    out.flush();
    return static_cast<bool>(out);
  });
}

void ShowSaveFailure(QWidget* parent, const QString& path, const QString& reason) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                  QStringLiteral("Cannot save %1: %2").arg(QFileInfo(path).fileName(), reason),
                  QMessageBox::Ok, parent);
  box.exec();
}

void SaveWithDialog(QWidget* parent, const QString& caption, const QString& suggestedName,
                    const QStringList& filters,
                    const std::function<QString(const QString& path)>& save) {
  const QString path = ChooseSavePath(parent, caption, suggestedName, filters);
  if (path.isEmpty()) return;
  QString failure;
  {
    // A day of points takes a second or so to write.
    const BusyCursor busy;
    failure = save(path);
  }
  if (!failure.isEmpty()) ShowSaveFailure(parent, path, failure);
}

}  // namespace pelorin
