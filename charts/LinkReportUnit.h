#pragma once
// The link report window: how well the radio link carried the corrections of
// the last analysis, as tables (summary, gaps, satellites) and two charts on
// the satellite windows' time axis conventions (the age of the corrections
// at the rover, and the satellites per second in the corrections, tracked
// at the rover and in both), for GPS or GLONASS. It follows each analysis.

#include <QWidget>
#include <array>
#include <memory>

#include "charts/ChartCommands.h"
#include "cmr/LinkReport.h"
#include "report/TextTable.h"
#include "views/AnalysisView.h"

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace pelorin {

class PointSeries;
class SatelliteChart;

class TLinkReportForm : public QWidget {
  Q_OBJECT

public:
  explicit TLinkReportForm(const SharedState& state, QWidget* parent = nullptr);
  ~TLinkReportForm() override;

  QLabel* SourceLabel = nullptr;
  QTabWidget* Tables = nullptr;
  QTableWidget* SummaryTable = nullptr;
  QTableWidget* GapsTable = nullptr;
  QTableWidget* SatellitesTable = nullptr;
  QAction* CopyTableAction = nullptr;
  QAction* SaveTableAction = nullptr;
  QPushButton* CopyTableButton = nullptr;
  QPushButton* SaveTableButton = nullptr;
  QComboBox* SystemBox = nullptr;
  SatelliteChart* AgeChart = nullptr;
  SatelliteChart* CommonChart = nullptr;
  PointSeries* AgeSeries = nullptr;
  PointSeries* CorrectedSeries = nullptr;
  PointSeries* TrackedSeries = nullptr;
  PointSeries* CommonSeries = nullptr;
  ChartCommands* Commands = nullptr;

  // The log being analysed: no save from this window writes over it.
  void ProtectLog(const std::string& selectedLogPath);

  // Shown and in front, with the last analysis.
  void Open();

  // The texts of a table as shown, for the clipboard and for CSV.
  const TextTable& TableOf(const QTableWidget* table) const;
  void CopyTable(const QTableWidget* table);
  void SaveTable(const QTableWidget* table);

public slots:
  // Takes the link report the last analysis left, when shown; a hidden
  // window takes it when opened.
  void FollowAnalysis();
  void ShowLastAnalysis();
  // 0 GPS, 1 GLONASS: the charts' points and time axis.
  void ShowSystem(int system);

private:
  QWidget* BuildTablesPane();
  QWidget* BuildChartsPane();
  QTableWidget* NewTable(const char* name, const QString& tab);
  SatelliteChart* NewChart(const char* name, QWidget* parent, const QString& title,
                           const QString& valueTitle);
  void FillTable(QTableWidget* widget, const TextTable& table);
  QTableWidget* CurrentTable() const;

  const SharedState& state_;
  std::shared_ptr<const LinkReport> link_;
  bool shownOnce_ = false;
  std::array<TextTable, 3> tables_;  // summary, gaps, satellites
  const std::string* protectedLog_ = nullptr;
};

}  // namespace pelorin
