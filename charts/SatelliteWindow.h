#pragma once
// The frame shared by the GPS and GLONASS windows: a fixed-border window with
// a close box only, hidden until its button on the main window opens it.

#include <QWidget>

namespace pelorin {

class TSatelliteWindow : public QWidget {
  Q_OBJECT

public:
  TSatelliteWindow(const QString& name, const QString& caption, QWidget* parent = nullptr);
};

}  // namespace pelorin
