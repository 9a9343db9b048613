#include "widgets/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

namespace pelorin {
namespace {

// A file on this machine: the file scheme with no host, or this one.
bool IsLocalFile(const QUrl& url) {
  return url.isLocalFile() && (url.host().isEmpty() || url.host() == QStringLiteral("localhost")) &&
         !url.path().isEmpty();
}

}  // namespace

std::vector<std::string> LocalFilesOf(const QMimeData& data) {
  std::vector<std::string> files;
  if (!data.hasUrls()) return files;
  for (const QUrl& url : data.urls()) {
    if (!IsLocalFile(url)) continue;
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    files.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
  }
  return files;
}

QString DroppedFilesNote(std::size_t fileCount) {
  if (fileCount < 2) return {};
  return QStringLiteral(" (first of %1 dropped files)").arg(fileCount);
}

}  // namespace pelorin
