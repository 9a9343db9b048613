// Renders the application icon, as the program draws it, into the PNG files
// of the hicolor icon theme: THEME_DIR/<side>x<side>/apps/pelorin.png for
// every side given. The build runs it, so the installed icon and the one in
// the windows never drift apart.

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "widgets/GlyphPictures.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kWriteError = 1;
constexpr int kLargestSidePx = 1024;

int Fail(int status, const QString& text) {
  std::fprintf(stderr, "pelorin-render-icons: %s\n", qPrintable(text));
  return status;
}

bool WriteIcon(const QString& themeDirectory, int sidePx) {
  const QString directory = QStringLiteral("%1/%2x%2/apps").arg(themeDirectory).arg(sidePx);
  if (!QDir().mkpath(directory)) return false;
  return pelorin::ApplicationIconPicture(sidePx).save(directory + QStringLiteral("/pelorin.png"),
                                                      "PNG");
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  if (args.size() < 3) {
    return Fail(kUsageError, QStringLiteral("usage: pelorin-render-icons THEME_DIR SIDE..."));
  }
  for (qsizetype k = 2; k < args.size(); ++k) {
    bool isNumber = false;
    const int sidePx = args[k].toInt(&isNumber);
    if (!isNumber || sidePx < 1 || sidePx > kLargestSidePx) {
      return Fail(kUsageError, QStringLiteral("not an icon side: %1").arg(args[k]));
    }
    if (!WriteIcon(args[1], sidePx)) {
      return Fail(kWriteError,
                  QStringLiteral("cannot write the %1 px icon under %2").arg(sidePx).arg(args[1]));
    }
  }
  return 0;
}
