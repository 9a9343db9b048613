#include "widgets/OpenDialog.h"

#include <QRegularExpression>

namespace pelorin {

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList nameFilters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    static const QRegularExpression separators(QStringLiteral("[;\\s]+"));
    QStringList patterns = parts[i + 1].split(separators, Qt::SkipEmptyParts);
    if (patterns.isEmpty()) continue;
    for (QString& pattern : patterns) {
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    patterns.removeDuplicates();
    nameFilters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
  }
  return nameFilters;
}

TOpenDialog::TOpenDialog(QWidget* parent) : QFileDialog(parent) {
  // One dialog whatever desktop runs the program, so that it keeps its
  // title and filters everywhere.
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
}

void TOpenDialog::SetFilter(const QString& filter) {
  filter_ = filter;
  setNameFilters(QtNameFilters(filter));
}

std::optional<std::string> TOpenDialog::Execute() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return files.first().toStdString();
}

}  // namespace pelorin
