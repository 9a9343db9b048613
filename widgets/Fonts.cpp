#include "widgets/Fonts.h"

#include <QString>
#include <QStringList>

namespace pelorin {
namespace {

// Fontconfig resolves a missing first family to its default sans font, which
// is much wider; naming the metric twin makes Qt take it instead.
QFont FontOf(const QStringList& families, int pixelSize, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace

QFont SansSerifFont(int pixelSize, bool bold) {
  return FontOf(
      {QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
      pixelSize, bold);
}

QFont ArialFont(int pixelSize, bool bold) {
  return FontOf({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}, pixelSize, bold);
}

}  // namespace pelorin
