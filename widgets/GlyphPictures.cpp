#include "widgets/GlyphPictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <algorithm>
#include <vector>

#include "widgets/Fonts.h"

namespace pelorin {
namespace {

const QColor kCapitalsBlue(0x00, 0x33, 0xCC);
const QColor kDarkText(0x10, 0x20, 0x60);
const QColor kCloseBlue(0x10, 0x40, 0xB0);
const QColor kPaleLetters(0xDD, 0xEE, 0xFF);

struct TextLine {
  QString Text;
  int PixelSize = 12;
  bool Bold = true;
  QColor Colour;
};

// A font no wider than the room a line has, so that long words never clip
// on a small button.
QFont FittedFont(const TextLine& line, int roomPx) {
  int pixelSize = line.PixelSize;
  QFont font = ArialFont(pixelSize, line.Bold);
  while (pixelSize > 6 && QFontMetrics(font).horizontalAdvance(line.Text) > roomPx) {
    font.setPixelSize(--pixelSize);
  }
  return font;
}

// The lines one under another, the block centred in the picture.
void DrawCentredLines(QPainter& painter, const QRect& area, const std::vector<TextLine>& lines) {
  const int margin = std::max(2, area.width() / 20);
  std::vector<QFont> fonts;
  int blockHeight = 0;
  for (const TextLine& line : lines) {
    fonts.push_back(FittedFont(line, area.width() - 2 * margin));
    blockHeight += QFontMetrics(fonts.back()).height();
  }
  int y = area.top() + (area.height() - blockHeight) / 2;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int lineHeight = QFontMetrics(fonts[i]).height();
    painter.setFont(fonts[i]);
    painter.setPen(lines[i].Colour);
    painter.drawText(QRect(area.left(), y, area.width(), lineHeight), Qt::AlignCenter,
                     lines[i].Text);
    y += lineHeight;
  }
}

QPixmap WhiteCard(QSize size, const std::vector<TextLine>& lines) {
  QPixmap picture(size);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(QPen(kCapitalsBlue, 1));
  painter.drawRect(QRectF(2.5, 2.5, size.width() - 5.0, size.height() - 5.0));
  DrawCentredLines(painter, QRect(QPoint(0, 0), size), lines);
  return picture;
}

// Sizes grow with the picture so the words read alike at any button size.
int Scaled(QSize size, int atHundredPx) {
  return std::max(7, atHundredPx * std::min(size.width(), size.height()) / 100);
}

}  // namespace

QPixmap SelectFilePicture(QSize size) {
  const int capitals = Scaled(size, 16);
  std::vector<TextLine> lines;
  for (const char* word : {"SELECT", "ZEL FILE", "WITH", "CMR/CMR+", "MESSAGES"}) {
    lines.push_back({QString::fromLatin1(word), capitals, true, kCapitalsBlue});
  }
  return WhiteCard(size, lines);
}

QPixmap GpsViewPicture(QSize size) {
  return WhiteCard(size, {{QStringLiteral("VIEW"), Scaled(size, 26), true, kCapitalsBlue},
                          {QStringLiteral("Message Type 0"), Scaled(size, 15), true, kDarkText},
                          {QStringLiteral("(GPS data)"), Scaled(size, 14), false, kDarkText}});
}

QPixmap GlnViewPicture(QSize size) {
  return WhiteCard(size, {{QStringLiteral("VIEW"), Scaled(size, 26), true, kCapitalsBlue},
                          {QStringLiteral("Message Type 3"), Scaled(size, 15), true, kDarkText},
                          {QStringLiteral("(GLN data)"), Scaled(size, 14), false, kDarkText}});
}

QPixmap ClosePicture(QSize size) {
  QPixmap picture(size);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QLinearGradient shade(0, 0, 0, size.height());
  shade.setColorAt(0, kCloseBlue.lighter(130));
  shade.setColorAt(1, kCloseBlue.darker(130));
  painter.fillRect(picture.rect(), shade);
  DrawCentredLines(painter, picture.rect(),
                   {{QStringLiteral("CLOSE"), size.height() * 6 / 10, true, kPaleLetters}});
  return picture;
}

QPixmap ApplicationIconPicture(int side) {
  QPixmap picture(side, side);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal unit = side / 32.0;
  painter.scale(unit, unit);

  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x00, 0x5E, 0xBB));
  painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);

  // The satellite: a body with two solar panels, top right.
  painter.setBrush(QColor(0xFF, 0xD7, 0x40));
  painter.drawRect(QRectF(20, 5, 5, 5));
  painter.setBrush(QColor(0xCC, 0xE6, 0xFF));
  painter.drawRect(QRectF(14, 6, 5, 3));
  painter.drawRect(QRectF(26, 6, 5, 3));

  // Its signal reaching the antenna below.
  painter.setPen(QPen(QColor(0x00, 0xFF, 0xFF), 1.6, Qt::DashLine, Qt::RoundCap));
  painter.drawLine(QPointF(20, 12), QPointF(12, 20));

  // The reference antenna: a dish on a mast.
  painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(9, 23), QPointF(9, 29));
  painter.drawLine(QPointF(5, 29), QPointF(13, 29));
  QPainterPath dish;
  dish.moveTo(3, 17);
  dish.quadTo(7, 27, 15, 23);
  dish.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawPath(dish);
  return picture;
}

}  // namespace pelorin
