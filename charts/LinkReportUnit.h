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
#include "cmr/Verdict.h"
#include "report/Clock.h"
#include "report/TextTable.h"
#include "views/AnalysisView.h"

class QAction;
class QComboBox;
class QCPGraph;
class QCPItemStraightLine;
class QCPRange;
class QLayout;
class QDoubleSpinBox;
class QLabel;
class QCPItemText;
class QPushButton;
class QSpinBox;
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
  // The limits the day is judged by, remembered from run to run: the age of
  // the corrections beyond which they are not usable (and a loss of the fix
  // counts against missing corrections), the fewest common satellites, the
  // least share of usable time and the longest outage.
  QDoubleSpinBox* MaxAgeBox = nullptr;
  QSpinBox* MinCommonBox = nullptr;
  QDoubleSpinBox* MinAvailableBox = nullptr;
  QDoubleSpinBox* MaxOutageBox = nullptr;
  // The clock of the tables' times: GPS, UTC or local time.
  QComboBox* ClockBox = nullptr;
  QAction* CopyTableAction = nullptr;
  QAction* SaveTableAction = nullptr;
  QPushButton* CopyTableButton = nullptr;
  QPushButton* SaveTableButton = nullptr;
  // The link report as a document to print, for the client's file.
  QAction* SavePdfAction = nullptr;
  QPushButton* SavePdfButton = nullptr;
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
  // On the age and common charts: said where the shown system has no corrections.
  std::array<QCPItemText*, 2> NoCorrectionsTexts{};
  ChartCommands* Commands = nullptr;

  // The log being analysed: no save from this window writes over it.
  void ProtectLog(const std::string& selectedLogPath);

  // Shown and in front, with the last analysis.
  void Open();
  // The last analysis in the tables and charts, unless they show it already
  // (as the user has zoomed and chosen it).
  void TakeLastAnalysis();

  // The texts of a table as shown, for the clipboard and for CSV.
  const TextTable& TableOf(const QTableWidget* table) const;
  void CopyTable(const QTableWidget* table);
  void SaveTable(const QTableWidget* table);

  // The clock the user chose for the times of tables and exports.
  report::Clock TimesOn() const { return clock_; }
  // The day judged against the window's limits, when a log has been analysed.
  const Verdict* ShownVerdict() const { return shownVerdict_.get(); }
  const LinkReport* ShownLink() const { return link_.get(); }

signals:
  // The user chose another clock (a report::Clock).
  void ClockChosen(int clock);
  // The user asked for the link report as a PDF.
  void PdfRequested();

public slots:
  // Takes the link report the last analysis left, when shown; a hidden
  // window takes it when opened.
  void FollowAnalysis();
  void ShowLastAnalysis();
  // 0 GPS, 1 GLONASS: the charts' points and time axis.
  void ShowSystem(int system);
  // A row of the fix losses: the charts around that loss, its start marked.
  void ShowFixLoss(int row);
  // The solution and the verdict judged again against the limits of the boxes.
  void SetLimits();
  // The tables' times on another clock.
  void SetClock(int clock);

private:
  static constexpr std::size_t kTableCount = 5;

  QWidget* BuildTablesPane();
  QLayout* BuildLimitsRow(QWidget* pane);
  QWidget* BuildChartsPane();
  void BuildSolutionChart();
  QTableWidget* NewTable(const char* name, const QString& tab);
  SatelliteChart* NewChart(const char* name, QWidget* parent, const QString& title,
                           const QString& valueTitle);
  void ShareTimeAxis();
  void FillTable(QTableWidget* widget, const TextTable& table);
  void FillTables();
  void ShowNoCorrections(int system);
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
  std::shared_ptr<const Verdict> verdict_;
  std::shared_ptr<const Verdict> shownVerdict_;
  LinkLimits limits_;
  report::Clock clock_ = report::Clock::Gps;
  // The start of the loss of the fix chosen in the table, GPS time.
  std::optional<double> markedLoss_;
  bool shownOnce_ = false;
  bool followingTime_ = false;
  // Summary, gaps, satellites, solution, fix losses.
  std::array<TextTable, kTableCount> tables_;
  const std::string* protectedLog_ = nullptr;
};

}  // namespace pelorin
