#include "widgets/ContentsLocation.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <filesystem>

#include "cmr/Analysis.h"

namespace pelorin {

bool ContentsWritableIn(const std::string& directory) {
  const std::string file = directory + std::string(kContentsFileName);
  std::error_code error;
  if (std::filesystem::exists(file, error)) return ::access(file.c_str(), W_OK) == 0;
  const std::string folder = directory.empty() ? std::string(".") : directory;
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::string> ContentsPathFor(const std::string& programDirectory,
                                           const QString& dataDirectory) {
  if (ContentsWritableIn(programDirectory) || dataDirectory.isEmpty()) return std::nullopt;
  QDir().mkpath(dataDirectory);
  const QString path =
      QDir(dataDirectory)
          .filePath(QString::fromUtf8(kContentsFileName.data(),
                                      static_cast<qsizetype>(kContentsFileName.size())));
  return QFile::encodeName(path).toStdString();
}

QString UserDataDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

}  // namespace pelorin
