#include "charts/PointSeries.h"

#include <QPainter>
#include <cmath>

#include "charts/SatelliteChart.h"

namespace pelorin {
namespace {

// The sprite leaves one pixel around the marker for its outline.
constexpr int kSpriteMarginPx = 1;

int SpriteSide(const MarkerLook& marker) {
  return 2 * marker.PointerSize + 1 + 2 * kSpriteMarginPx;
}

// The marker centred on the middle pixel of a square of `side` pixels.
void PaintMarker(QPainter& painter, const MarkerLook& marker, int side) {
  const int n = marker.PointerSize;
  const double middle = side / 2.0;
  painter.setBrush(marker.Fill);
  painter.setPen(marker.Outline ? QPen(*marker.Outline, 0) : QPen(Qt::NoPen));
  switch (marker.Shape) {
    case MarkerShape::Square: {
      const QRect cells(kSpriteMarginPx, kSpriteMarginPx, 2 * n + 1, 2 * n + 1);
      painter.fillRect(cells, marker.Fill);
      if (marker.Outline) painter.drawRect(cells.adjusted(0, 0, -1, -1));
      break;
    }
    case MarkerShape::Circle:
      painter.setRenderHint(QPainter::Antialiasing);
      painter.drawEllipse(QPointF(middle, middle), n + 0.5, n + 0.5);
      break;
    case MarkerShape::Diamond: {
      painter.setRenderHint(QPainter::Antialiasing);
      const double reach = n + 0.5;
      const QPointF corners[] = {{middle, middle - reach},
                                 {middle + reach, middle},
                                 {middle, middle + reach},
                                 {middle - reach, middle}};
      painter.drawPolygon(corners, 4);
      break;
    }
  }
}

}  // namespace

PointSeries::PointSeries(SatelliteChart& chart, const MarkerLook& marker)
    : QCPAbstractPlottable(chart.xAxis, chart.yAxis), chart_(chart), marker_(marker) {
  setSelectable(QCP::stNone);
  chart.AddSeries(this);
}

void PointSeries::Clear() {
  points_.Clear();
  chart_.MarkChanged();
}

void PointSeries::AddPoint(double x, double y, std::string_view, ColourValue colour) {
  points_.Append({x, y, colour});
  chart_.MarkChanged();
}

void PointSeries::ReplacePoints(ChartPoints&& points) {
  points_.Replace(std::move(points));
  chart_.MarkChanged();
}

// An inactive series is not drawn; its legend entry stays, greyed, so that
// the legend can still be clicked and shows which view is up.
void PointSeries::SetActive(bool active) {
  active_ = active;
  setVisible(active);
  if (QCPPlottableLegendItem* item = mParentPlot->legend->itemWithPlottable(this)) {
    item->setTextColor(active ? Qt::black : Qt::gray);
  }
  chart_.MarkChanged();
}

double PointSeries::selectTest(const QPointF&, bool, QVariant*) const {
  return -1;
}

QCPRange PointSeries::getKeyRange(bool& foundRange, QCP::SignDomain) const {
  const std::span<const ChartPoint> sorted = points_.Sorted();
  foundRange = !sorted.empty() && std::isfinite(sorted.front().X) && std::isfinite(sorted.back().X);
  return foundRange ? QCPRange(sorted.front().X, sorted.back().X) : QCPRange();
}

QCPRange PointSeries::getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const {
  foundRange = !points_.Empty();
  return foundRange ? QCPRange(points_.MinY(), points_.MaxY()) : QCPRange();
}

const QPixmap& PointSeries::Sprite(qreal devicePixelRatio) const {
  if (sprite_.isNull() || sprite_.devicePixelRatio() != devicePixelRatio) {
    const int side = SpriteSide(marker_);
    sprite_ = QPixmap(QSize(side, side) * devicePixelRatio);
    sprite_.setDevicePixelRatio(devicePixelRatio);
    sprite_.fill(Qt::transparent);
    QPainter painter(&sprite_);
    PaintMarker(painter, marker_, side);
  }
  return sprite_;
}

void PointSeries::draw(QCPPainter* painter) {
  markersDrawn_ = 0;
  QCPAxis* keyAxis = mKeyAxis.data();
  QCPAxis* valueAxis = mValueAxis.data();
  if (!keyAxis || !valueAxis || points_.Empty()) return;
  const QRect area = keyAxis->axisRect()->rect();
  const QCPRange keys = keyAxis->range();
  const QCPRange values = valueAxis->range();
  const PixelMapping key{keys.lower, area.width() / keys.size(), double(area.left())};
  const PixelMapping value{values.lower, -area.height() / values.size(), double(area.bottom())};
  const int reach = marker_.PointerSize + kSpriteMarginPx;
  const PixelBox box{area.left() - reach, area.top() - reach, area.right() + reach,
                     area.bottom() + reach};
  const std::vector<MarkerPosition>& positions = reducer_.Reduce(points_.Sorted(), key, value, box);

  const QPixmap& sprite = Sprite(painter->device() ? painter->device()->devicePixelRatioF() : 1);
  const int offset = reach;
  for (const MarkerPosition& position : positions) {
    painter->drawPixmap(position.X - offset, position.Y - offset, sprite);
  }
  markersDrawn_ = positions.size();
}

void PointSeries::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
  const QPixmap& sprite = Sprite(painter->device() ? painter->device()->devicePixelRatioF() : 1);
  const QSizeF size = QSizeF(sprite.size()) / sprite.devicePixelRatio();
  painter->drawPixmap(
      QPointF(rect.center().x() - size.width() / 2, rect.center().y() - size.height() / 2), sprite);
}

}  // namespace pelorin
