#pragma once
// The link report window: how well the radio link carried the corrections of
// the last analysis, as tables (summary, gaps, satellites, the rover's
// solution and its losses of the fix) and three charts on one time axis with
// the satellite windows' conventions (the rover's solution type per epoch,
// the age of the corrections at the rover, and the satellites per second in
// the corrections, tracked at the rover and in both), the outages of the
// corrections shaded on all three, for GPS or GLONASS. It follows each
// analysis.

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "charts/ChartCommands.h"
#include "cmr/LinkReport.h"
#include "cmr/RoverSolution.h"
#include "report/TextTable.h"
#include "views/AnalysisView.h"

class QAction;
class QComboBox;
class QCPGraph;
class QCPItemStraightLine;
class QCPRange;
class QDoubleSpinBox;
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
  QTableWidget* SolutionTable = nullptr;
  QTableWidget* FixLossesTable = nullptr;
  // The age of the corrections beyond which a loss of the fix counts
  // against missing corrections.
  QDoubleSpinBox* MaxAgeBox = nullptr;
  QAction* CopyTableAction = nullptr;
  QAction* SaveTableAction = nullptr;
  QPushButton* CopyTableButton = nullptr;
  QPushButton* SaveTableButton = nullptr;
  QComboBox* SystemBox = nullptr;
  SatelliteChart* SolutionChart = nullptr;
  SatelliteChart* AgeChart = nullptr;
  SatelliteChart* CommonChart = nullptr;
  PointSeries* AgeSeries = nullptr;
  PointSeries* CorrectedSeries = nullptr;
  PointSeries* TrackedSeries = nullptr;
  PointSeries* CommonSeries = nullptr;
  // RTK fixed, RTK float, code differential, standalone, no solution, other.
  static constexpr std::size_t kSolutionBands = 6;
  std::array<QCPGraph*, kSolutionBands> SolutionBands{};
  // On the solution, age and common charts, in that order.
  std::array<QCPGraph*, 3> OutageBands{};
  std::array<QCPItemStraightLine*, 3> LossMarkers{};
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
  // A row of the fix losses: the charts around that loss, its start marked.
  void ShowFixLoss(int row);
  // The solution measured again against this age limit.
  void SetMaxAge(double seconds);

private:
  static constexpr std::size_t kTableCount = 5;

  QWidget* BuildTablesPane();
  QWidget* BuildChartsPane();
  void BuildSolutionChart();
  QTableWidget* NewTable(const char* name, const QString& tab);
  SatelliteChart* NewChart(const char* name, QWidget* parent, const QString& title,
                           const QString& valueTitle);
  void ShareTimeAxis();
  void FillTable(QTableWidget* widget, const TextTable& table);
  void FillSolutionTables();
  QTableWidget* CurrentTable() const;
  std::array<QTableWidget*, kTableCount> TableWidgets() const;
  std::array<SatelliteChart*, 3> TimeCharts() const;

  void ShowSolutionBands(int system);
  void ShowOutages(int system);
  void ShowLossMarkers(int system);
  void FitTimeSpan();
  void FollowTimeAxis(const SatelliteChart* from, const QCPRange& range);
  void UndoZoomOfOthers(const SatelliteChart* from);

  const SharedState& state_;
  std::shared_ptr<const LinkReport> link_;
  std::shared_ptr<const RoverEpochs> rover_;
  // As the analysis measured it, and as shown: against the window's limits.
  std::shared_ptr<const SolutionReport> solution_;
  std::shared_ptr<const SolutionReport> shownSolution_;
  SolutionLimits limits_;
  // The start of the loss of the fix chosen in the table, GPS time.
  std::optional<double> markedLoss_;
  bool shownOnce_ = false;
  bool followingTime_ = false;
  // Summary, gaps, satellites, solution, fix losses.
  std::array<TextTable, kTableCount> tables_;
  const std::string* protectedLog_ = nullptr;
};

}  // namespace pelorin
