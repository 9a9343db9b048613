#include "charts/GlnSatellitesUnit.h"

namespace pelorin {
namespace {

const QColor kUpperChartColour(0xB9, 0xFF, 0xB9);
const QColor kLowerChartColour(0xB7, 0xFF, 0xB7);
const QColor kPurple(0x80, 0x00, 0x80);
const QColor kTotalsFill(0x80, 0x00, 0xFF);
const QColor kFuchsia(0xFF, 0x00, 0xFF);

constexpr double kTotalsAxisMaximum = 14;

SatelliteWindowLook GlnLook() {
  const QString timeTitle = QStringLiteral("GLN System Time ( yy/mm/dd hh:mm:ss )");
  return {
      .Name = QStringLiteral("Form3"),
      .Caption = QStringLiteral(" GLONASS Satellites Found in Received CMR Messages"),
      .FileStem = QStringLiteral("gln"),
      .System = GnssSystem::Glonass,
      .Chart1 = {.Background = kUpperChartColour,
                 .TitleColour = kPurple,
                 .DesignTitle = {QStringLiteral("Total number of GLN satellite signals in CMR "
                                                "messages ( as received at rover )")},
                 .Bottom = {.Title = timeTitle, .Automatic = true},
                 // Label steps are round numbers of days, not whole minutes or hours.
                 .BottomSteps = TimeSteps::DecimalDays,
                 .Left = {.Title = QString(),
                          .Minimum = 0,
                          .Maximum = kTotalsAxisMaximum,
                          .DesiredIncrement = 1},
                 .ShowsLegend = true},
      .Chart2 = {.Background = kLowerChartColour,
                 .TitleColour = kPurple,
                 .DesignTitle = {QStringLiteral("GLN SV signals in CMR messages (magenta) v GLN "
                                                "SVs tracked at rover (black)")},
                 .Bottom = {.Title = timeTitle, .Automatic = true},
                 .Left = {.Title = QStringLiteral("Glonass Orbit Slot Nos"),
                          .Minimum = kGlnViewSettings.SatelliteAxisMinimum,
                          .Maximum = kGlnViewSettings.SatelliteAxisMaximum,
                          .DesiredIncrement = 1}},
      .Series = {{
          {2, 2, QString(), false, {MarkerShape::Diamond, 5, kFuchsia, {}}, Qt::red},
          {1,
           1,
           QStringLiteral("GLN Satellites (total)"),
           true,
           {MarkerShape::Square, kDefaultPointerSize, kTotalsFill, {}},
           Qt::red},
          {3,
           1,
           QStringLiteral("Epochs where CMR messages are missing"),
           true,
           {MarkerShape::Circle, 3, kFuchsia, Qt::black},
           Qt::green},
          {4,
           2,
           QStringLiteral("NoL2data"),
           false,
           {MarkerShape::Square, 5, Qt::white, {}},
           Qt::green},
          {5,
           2,
           QStringLiteral("Tracked"),
           false,
           {MarkerShape::Circle, 2, Qt::black, Qt::black},
           Qt::yellow},
      }},
      .Views = &kGlnViewSettings,
  };
}

}  // namespace

TForm3::TForm3(std::int32_t& glnLegendClickCount, QWidget* parent)
    : TSatelliteWindow(GlnLook(), glnLegendClickCount, parent) {}

}  // namespace pelorin
