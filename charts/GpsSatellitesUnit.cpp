#include "charts/GpsSatellitesUnit.h"

namespace pelorin {

TForm2::TForm2(QWidget* parent)
    : TSatelliteWindow(QStringLiteral("Form2"), QStringLiteral(" GPS satellite data"), parent) {}

}  // namespace pelorin
