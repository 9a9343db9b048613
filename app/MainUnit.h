#pragma once
// The main window: the open and chart buttons, the message counts, the
// selected-file line and the reference station panel laid over them. It
// owns the shared state of the run and forwards every event to the core.

#include <QWidget>
#include <memory>

#include "app/OpenDialog.h"
#include "app/QtToolkit.h"
#include "cmr/DecodedStore.h"
#include "platform/ChartSeries.h"

class QFrame;
class QLabel;
class QLineEdit;
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

public slots:
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void SpeedButton4Click();
  void Edit3Click();
  void Edit4Click();
  void Edit8Click();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildMainControls();
  void BuildCountPanel();
  void BuildStationPanel();
  void SetTabOrder();
  void FormCreate();
  void OpenSatelliteWindow(TSatelliteWindow* window, std::int32_t count);

  SharedState state_;
  std::unique_ptr<QtToolkit> toolkit_;
  TSatelliteWindow* gpsWindow_ = nullptr;
  TSatelliteWindow* glnWindow_ = nullptr;
  std::unique_ptr<SatelliteCharts> charts_;
};

}  // namespace pelorin
