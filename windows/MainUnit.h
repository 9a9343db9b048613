#pragma once
// The main window: the open and chart buttons, the message counts, the
// selected-file line and the reference station panel laid over them. It
// owns the shared state of the run and forwards every event to the core.
//
// The analysis runs on a thread of its own: while it runs, a progress bar
// and a Cancel button (or Esc) stand over the selected-file line, and what
// it finds reaches the boxes and the chart windows only when it ends.
//
// Besides its buttons, a log can be opened from the command line or by
// dropping it on the window, and a context menu (right-click) offers:
//   Open log...             Ctrl+O   the open button
//   Copy summary            Ctrl+C   the report command's summary of the last analysis
//   Save CMR stream as...            the unwrapped stream of the last analysis
//   Link report             Ctrl+L   the link report window

#include <QWidget>
#include <memory>
#include <optional>

#include "cmr/Analysis.h"
#include "cmr/DecodedStore.h"
#include "platform/ChartSeries.h"
#include "report/Report.h"
#include "views/AnalysisView.h"
#include "widgets/OpenDialog.h"
#include "widgets/QtToolkit.h"
#include "windows/AnalysisRunner.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;

namespace pelorin {

class TSatelliteWindow;

class TForm1 : public QWidget {
  Q_OBJECT

public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The windows that SpeedButton2 and SpeedButton3 open; their series take
  // the points of every analysis.
  void SetSatelliteWindows(TSatelliteWindow* gpsWindow, TSatelliteWindow* glnWindow);

  SharedState& State() { return state_; }
  QtToolkit& Toolkit() { return *toolkit_; }

  QToolButton* SpeedButton1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QToolButton* SpeedButton3 = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QLineEdit* Edit5 = nullptr;
  QLineEdit* Edit8 = nullptr;
  QLineEdit* Edit100 = nullptr;

  QFrame* Panel2 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label12 = nullptr;
  QLabel* Label13 = nullptr;
  QLabel* Label14 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit6 = nullptr;
  QLineEdit* Edit7 = nullptr;
  QLineEdit* Edit9 = nullptr;
  QLineEdit* Edit10 = nullptr;
  QLineEdit* Edit11 = nullptr;
  QLineEdit* Edit12 = nullptr;
  QLineEdit* Edit13 = nullptr;
  QLineEdit* Edit14 = nullptr;
  QLineEdit* Edit15 = nullptr;
  QLineEdit* Edit16 = nullptr;
  QToolButton* SpeedButton4 = nullptr;

  QLabel* Image1 = nullptr;
  QLineEdit* EditFudge = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;

  // Over the selected-file line while an analysis runs.
  QProgressBar* ProgressBar = nullptr;
  QPushButton* CancelButton = nullptr;

  QMenu* ContextMenu = nullptr;
  QAction* OpenLogAction = nullptr;
  QAction* CopySummaryAction = nullptr;
  QAction* SaveCmrStreamAction = nullptr;
  QAction* LinkReportAction = nullptr;

  // Analyses `path` as if chosen in the open dialog; `note` is added to the
  // selected-file line afterwards. Nothing happens during another analysis.
  void OpenLog(const std::string& path, const QString& note = QString());
  // Whether an analysis is running.
  bool Analysing() const { return runner_->Running(); }

  // How the last analysis ended; nothing before the first.
  std::optional<AnalysisOutcome> LastOutcome() const { return lastOutcome_; }
  // What the report command's summary tells of the last analysis, taken
  // from this window: its file, outcome, messages, boxes and points.
  report::SummaryInput SummaryOfLastAnalysis() const;

signals:
  // Each open the window ran to its end, whatever its outcome.
  void Analysed();
  void LinkReportRequested();

public slots:
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void SpeedButton4Click();
  void Edit3Click();
  void Edit4Click();
  void Edit8Click();

  void CopySummary();
  void SaveCmrStream();
  // Stops the running analysis; the window goes back to how it was.
  void CancelAnalysis();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void BuildMainControls();
  void BuildCountPanel();
  void BuildStationPanel();
  void SetTabOrder();
  void FormCreate();
  void BuildCommands();
  void BuildProgress();
  void ShowProgress(bool shown);
  void UpdateProgress();
  void AnalysisFinished();
  void UpdateCommands();
  void OpenSatelliteWindow(TSatelliteWindow* window, std::int32_t count);
  void RunAnalysis();
  AnalysisOptions ContentsOptions() const;
  bool IsCopyWithoutSelection(QObject* watched, QEvent* event) const;

  SharedState state_;
  std::unique_ptr<QtToolkit> toolkit_;
  TSatelliteWindow* gpsWindow_ = nullptr;
  TSatelliteWindow* glnWindow_ = nullptr;
  std::unique_ptr<SatelliteCharts> charts_;
  std::optional<AnalysisOutcome> lastOutcome_;
  AnalysisRunner* runner_ = nullptr;
  QTimer* progressTimer_ = nullptr;
  BeforeOpen beforeOpen_;
  QString pendingNote_;
};

}  // namespace pelorin
