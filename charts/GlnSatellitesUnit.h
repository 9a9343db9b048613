#pragma once
// The GLONASS satellite window: CMR type 3 content against the orbit slots
// the rover tracked.

#include "charts/SatelliteWindow.h"

namespace pelorin {

class TForm3 : public TSatelliteWindow {
  Q_OBJECT

public:
  explicit TForm3(QWidget* parent = nullptr);
};

}  // namespace pelorin
