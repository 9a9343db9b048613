#include "charts/GlnSatellitesUnit.h"

namespace pelorin {

TForm3::TForm3(QWidget* parent)
    : TSatelliteWindow(QStringLiteral("Form3"),
                       QStringLiteral(" GLONASS Satellites Found in Received CMR Messages"),
                       parent) {}

}  // namespace pelorin
