#pragma once
// The GPS satellite window: CMR type 0 content against the satellites the
// rover tracked.

#include "charts/SatelliteWindow.h"

namespace pelorin {

class TForm2 : public TSatelliteWindow {
  Q_OBJECT

public:
  // The legend clicks are counted in the run's shared GpsLegendClickCount.
  explicit TForm2(std::int32_t& gpsLegendClickCount, QWidget* parent = nullptr);
};

}  // namespace pelorin
