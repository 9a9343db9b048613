#pragma once
// The GPS satellite window: CMR type 0 content against the satellites the
// rover tracked.

#include "charts/SatelliteWindow.h"

namespace pelorin {

class TForm2 : public TSatelliteWindow {
  Q_OBJECT

public:
  explicit TForm2(QWidget* parent = nullptr);
};

}  // namespace pelorin
