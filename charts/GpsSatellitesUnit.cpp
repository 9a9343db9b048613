#include "charts/GpsSatellitesUnit.h"

namespace pelorin {
namespace {

const QColor kChartColour(0xFF, 0xCD, 0x9B);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kTotalsFill(0x00, 0x40, 0x80);
const QColor kFuchsia(0xFF, 0x00, 0xFF);

SatelliteWindowLook GpsLook() {
  const AxisLook timeAxis{.Title = QStringLiteral("GPS Time ( yy/mm/dd hh:mm:ss )"),
                          .Automatic = true};
  return {
      .Name = QStringLiteral("Form2"),
      .Caption = QStringLiteral(" GPS satellite data"),
      .FileStem = QStringLiteral("gps"),
      .Chart1 = {.Background = kChartColour,
                 .TitleColour = kNavy,
                 .DesignTitle = {QString(),
                                 QStringLiteral("Total number of GPS satellite signals in CMR "
                                                "messages ( as received at rover )"),
                                 QString()},
                 .Bottom = timeAxis,
                 .Left = {.Title = QString(), .Automatic = true, .DesiredIncrement = 1},
                 .ShowsLegend = true},
      .Chart2 = {.Background = kChartColour,
                 .TitleColour = kNavy,
                 .DesignTitle = {QString(),
                                 QStringLiteral("GPS SV signals in CMR messages (magenta) vs GPS "
                                                "SVs tracked at rover (black)"),
                                 QString()},
                 .Bottom = timeAxis,
                 .Left = {.Title = QStringLiteral("GPS PRN's"),
                          .TitleColour = kNavy,
                          .Minimum = kGpsViewSettings.SatelliteAxisMinimum,
                          .Maximum = kGpsViewSettings.SatelliteAxisMaximum,
                          .DesiredIncrement = 1}},
      .Series = {{
          {1,
           1,
           QStringLiteral("GPS Satellites (total)"),
           true,
           {MarkerShape::Square, 3, kTotalsFill, {}},
           Qt::red},
          {2,
           2,
           QStringLiteral("Specific GPS Satellites "),
           false,
           {MarkerShape::Square, kDefaultPointerSize, kFuchsia, {}},
           Qt::red},
          {3,
           1,
           QStringLiteral("Epochs where CMR messages are missing"),
           true,
           {MarkerShape::Circle, kDefaultPointerSize, Qt::red, {}},
           Qt::green},
          {4,
           2,
           QStringLiteral("NoL2data"),
           false,
           {MarkerShape::Square, kDefaultPointerSize, Qt::white, {}},
           Qt::green},
          {5,
           2,
           QStringLiteral("Tracked"),
           false,
           {MarkerShape::Circle, 2, Qt::black, {}},
           Qt::yellow},
      }},
      .Views = &kGpsViewSettings,
  };
}

}  // namespace

TForm2::TForm2(std::int32_t& gpsLegendClickCount, QWidget* parent)
    : TSatelliteWindow(GpsLook(), gpsLegendClickCount, parent) {}

}  // namespace pelorin
