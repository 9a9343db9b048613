#pragma once
// The GLONASS satellite window: CMR type 3 content against the orbit slots
// the rover tracked.

#include "charts/SatelliteWindow.h"

namespace pelorin {

class TForm3 : public TSatelliteWindow {
  Q_OBJECT

public:
  // The legend clicks are counted in the run's shared GlnLegendClickCount.
  explicit TForm3(std::int32_t& glnLegendClickCount, QWidget* parent = nullptr);
};

}  // namespace pelorin
