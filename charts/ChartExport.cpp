#include "charts/ChartExport.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "charts/PointSeries.h"
#include "charts/SatelliteChart.h"
#include "widgets/SaveDialog.h"

namespace pelorin {
namespace {

// One pixel of the screen becomes one point of the page, as the chart
// library's own PDF export sizes it.
bool WritePdf(SatelliteChart& chart, QIODevice& device) {
  const QSize size = chart.size();
  QPdfWriter writer(&device);
  writer.setCreator(QStringLiteral("Pelorin"));
  writer.setTitle(chart.objectName());
  QPageLayout layout(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                     QPageLayout::Portrait, QMarginsF());
  layout.setMode(QPageLayout::FullPageMode);
  writer.setPageLayout(layout);
  QCPPainter painter;
  if (!painter.begin(&writer)) return false;
  painter.setMode(QCPPainter::pmVectorized);
  painter.setWindow(QRect(QPoint(), size));
  chart.toPainter(&painter, size.width(), size.height());
  return painter.end();
}

}  // namespace

QImage ChartImage(SatelliteChart& chart) {
  return chart.toPixmap(0, 0, 1.0).toImage();
}

std::vector<SeriesForCsv> CsvSeriesOf(const SatelliteChart& chart) {
  std::vector<SeriesForCsv> all;
  for (const PointSeries* series : chart.AllSeries()) {
    all.push_back(
        {series->objectName().toStdString(), series->Active(), series->Points().Sorted()});
  }
  return all;
}

QString SaveChartImage(SatelliteChart& chart, const QString& path,
                       const std::string* protectedLog) {
  const bool pdf = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
  return SaveAtomically(path, protectedLog, [&chart, pdf](QIODevice& device) {
    return pdf ? WritePdf(chart, device) : ChartImage(chart).save(&device, "PNG");
  });
}

QString SaveChartPoints(const SatelliteChart& chart, const QString& path,
                        const std::string* protectedLog) {
  const std::vector<SeriesForCsv> series = CsvSeriesOf(chart);
  return SaveStreamAtomically(path, protectedLog,
                              [&series](std::ostream& out) { WritePointsCsv(out, series); });
}

}  // namespace pelorin
