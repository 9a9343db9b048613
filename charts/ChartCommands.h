#pragma once
// The export and view commands of a window's charts: a context menu on a
// right-click without a drag, and the same commands on the keyboard for the
// chart the mouse pointer was last over (the first chart until then).
//
//   Save chart as image...   Ctrl+S        PNG or PDF, the chart as shown
//   Save points as CSV...    Ctrl+Shift+S  one row per point of every series
//   a window's own saves                   after these, where the window adds them
//   Copy image               Ctrl+C
//   Undo zoom                Escape        as the drag towards the upper left
//   Link report              Ctrl+L        where the window offers it

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace pelorin {

class SatelliteChart;

class ChartCommands : public QObject {
  Q_OBJECT

public:
  struct ChartEntry {
    SatelliteChart* Chart = nullptr;
    // The suggested file name without its suffix: "gps-totals".
    QString FileStem;
  };

  // The actions belong to `owner` with shortcuts in `context`: the whole
  // window, or only the part of it that holds the charts.
  ChartCommands(QWidget& owner, std::vector<ChartEntry> charts, bool offersLinkReport,
                Qt::ShortcutContext context = Qt::WindowShortcut);

  QAction* SaveImageAction = nullptr;
  QAction* SavePointsAction = nullptr;
  QAction* CopyImageAction = nullptr;
  QAction* UndoZoomAction = nullptr;
  QAction* LinkReportAction = nullptr;  // null where the window does not offer it
  QMenu* Menu = nullptr;

  // The log being analysed, never to be written over by a save.
  void ProtectLog(const std::string* selectedLogPath) { protectedLog_ = selectedLogPath; }
  const std::string* ProtectedLog() const { return protectedLog_; }

  // A save of the window's own, on the menu after the chart's saves and on
  // the keyboard as the others; the window connects its trigger.
  QAction* AddSaveAction(const char* name, const QString& text, const QKeySequence& keys);

  // The chart the commands act on now.
  SatelliteChart* Target() const;

  void SaveImage(SatelliteChart& chart);
  void SavePoints(SatelliteChart& chart);
  void CopyImage(SatelliteChart& chart);

signals:
  void LinkReportRequested();

private:
  QAction* NewAction(const char* name, const QString& text, const QKeySequence& keys);
  void OpenMenu(SatelliteChart* chart, const QPoint& globalPosition);
  QString FileStemOf(const SatelliteChart* chart) const;

  QWidget& window_;
  Qt::ShortcutContext context_;
  std::vector<ChartEntry> charts_;
  SatelliteChart* lastTouched_ = nullptr;
  const std::string* protectedLog_ = nullptr;
};

}  // namespace pelorin
