#pragma once
// A chart series drawn with QCustomPlot: it keeps its exact points for the
// series operations and draws one marker per pixel position in view.

#include <qcustomplot.h>

#include <QColor>
#include <QPixmap>
#include <optional>

#include "platform/ChartSeries.h"
#include "views/SeriesPoints.h"

namespace pelorin {

enum class MarkerShape { Square, Circle, Diamond };

// A pointer size n spans 2n + 1 pixels; 4 is the default pointer size.
inline constexpr int kDefaultPointerSize = 4;

struct MarkerLook {
  MarkerShape Shape = MarkerShape::Square;
  int PointerSize = kDefaultPointerSize;
  QColor Fill;
  // No outline when empty.
  std::optional<QColor> Outline;
};

class SatelliteChart;

class PointSeries : public QCPAbstractPlottable, public ChartSeries {
  Q_OBJECT

public:
  // On the chart's time and value axes; the chart owns the series.
  PointSeries(SatelliteChart& chart, const MarkerLook& marker);

  void Clear() override;
  void AddPoint(double x, double y, std::string_view label, ColourValue colour) override;
  void ReplacePoints(ChartPoints&& points) override;
  void SetActive(bool active) override;
  bool Active() const override { return active_; }
  double MaxYValue() const override { return points_.MaxY(); }
  double MinYValue() const override { return points_.MinY(); }

  const SeriesPoints& Points() const { return points_; }
  const MarkerLook& Marker() const { return marker_; }
  // How many markers the last drawing put on the screen.
  std::size_t MarkersDrawn() const { return markersDrawn_; }

  double selectTest(const QPointF& pos, bool onlySelectable,
                    QVariant* details = nullptr) const override;
  QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
  QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                         const QCPRange& inKeyRange = QCPRange()) const override;

protected:
  void draw(QCPPainter* painter) override;
  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
  const QPixmap& Sprite(qreal devicePixelRatio) const;

  SatelliteChart& chart_;
  SeriesPoints points_;
  MarkerLook marker_;
  MarkerReducer reducer_;
  bool active_ = true;
  std::size_t markersDrawn_ = 0;
  mutable QPixmap sprite_;
};

}  // namespace pelorin
