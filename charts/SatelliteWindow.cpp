#include "charts/SatelliteWindow.h"

#include "app/Fonts.h"
#include "app/QtToolkit.h"

namespace pelorin {

TSatelliteWindow::TSatelliteWindow(const QString& name, const QString& caption, QWidget* parent)
    : QWidget(parent, FixedWindowFlags(BorderIcons{.SystemMenu = true})) {
  setObjectName(name);
  setWindowTitle(caption);
  setFont(SansSerifFont(11));
  // Closing a satellite window only hides it; the main window alone ends the run.
  setAttribute(Qt::WA_QuitOnClose, false);
  hide();
}

}  // namespace pelorin
