#include "windows/MainUnit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "charts/SatelliteWindow.h"
#include "cmr/Analysis.h"
#include "views/StationPanel.h"
#include "widgets/Fonts.h"
#include "widgets/GlyphPictures.h"

namespace pelorin {
namespace {

constexpr int kClientWidthPx = 624;
constexpr int kClientHeightPx = 291;
constexpr int kIconSidePx = 32;

const QColor kFormBlue(0x00, 0x5E, 0xBB);
const QColor kCountPanelBlue(0x00, 0x65, 0xCA);
const QColor kCountBoxBlue(0xCC, 0xE6, 0xFF);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kDarkBlue(0x00, 0x00, 0xA0);

const QString kOpenDialogTitle =
    QStringLiteral("Select ZEL file with enclosed ( \"wrapped-echoed\" ) CMR/CMR+ messages");
const QString kOpenDialogFilter = QStringLiteral(
    "ZEL files|*.ZEL; *vrd;|*.bin, *.log and *.dat files |*.bin; *.log; *.dat;|All files|*.*");

void Colour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

void FillBackground(QWidget* widget, const QColor& colour) {
  Colour(widget, QPalette::Window, colour);
  widget->setAutoFillBackground(true);
}

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, QRect geometry) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

QLabel* NewLabel(QWidget* parent, const char* name, QRect geometry, const QString& text) {
  auto* label = Place<QLabel>(parent, name, geometry);
  label->setText(text);
  // Label text hangs from the label's top, level with the boxes beside it.
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QLineEdit* NewEdit(QWidget* parent, const char* name, QRect geometry, const QString& text,
                   const QString& hint, bool readOnly) {
  auto* edit = Place<QLineEdit>(parent, name, geometry);
  edit->setText(text);
  edit->setCursorPosition(0);
  edit->setToolTip(hint);
  edit->setReadOnly(readOnly);
  return edit;
}

void ColourBox(QLineEdit* edit, const QColor& background, const QColor& text) {
  Colour(edit, QPalette::Base, background);
  Colour(edit, QPalette::Text, text);
}

// A glyph button shows only its picture and never takes the keyboard focus.
QToolButton* NewGlyphButton(QWidget* parent, const char* name, QRect geometry,
                            const QPixmap& picture) {
  auto* button = Place<QToolButton>(parent, name, geometry);
  button->setIcon(QIcon(picture));
  button->setIconSize(picture.size());
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

// Room for a picture inside the button's bevel.
QSize PictureSize(QRect buttonGeometry) {
  return buttonGeometry.size() - QSize(6, 6);
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, FixedWindowFlags(BorderIcons{.SystemMenu = true, .Minimize = true})),
      toolkit_(std::make_unique<QtToolkit>(this, [this] { return OpenDialog1->Execute(); })) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral(" Analyzing CMR messages enclosed in ZEL file"));
  setFixedSize(kClientWidthPx, kClientHeightPx);
  setFont(SansSerifFont(11, false));
  FillBackground(this, kFormBlue);

  BuildMainControls();
  BuildCountPanel();
  BuildStationPanel();
  SetTabOrder();
  FormCreate();
  BuildCommands();
  BuildProgress();
  CentreOnScreen(this);
}

// An analysis still running is stopped first: it holds the toolkit.
TForm1::~TForm1() {
  delete runner_;
}

void TForm1::BuildProgress() {
  runner_ = new AnalysisRunner(*toolkit_);
  connect(runner_, &AnalysisRunner::Finished, this, &TForm1::AnalysisFinished);

  const QRect line = Edit100->geometry();
  constexpr int kCancelWidthPx = 80;
  ProgressBar = Place<QProgressBar>(this, "ProgressBar",
                                    {line.left(), line.top(), line.width() - kCancelWidthPx, 17});
  ProgressBar->setRange(0, 1000);
  ProgressBar->setTextVisible(true);
  CancelButton = Place<QPushButton>(
      this, "CancelButton",
      {line.left() + line.width() - kCancelWidthPx, line.top(), kCancelWidthPx, 17});
  CancelButton->setText(QStringLiteral("Cancel"));
  CancelButton->setToolTip(QStringLiteral("Stop the analysis (Esc)"));
  CancelButton->setFocusPolicy(Qt::NoFocus);
  connect(CancelButton, &QPushButton::clicked, this, &TForm1::CancelAnalysis);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &TForm1::CancelAnalysis);

  // The bar follows the analysis a few times a second; the analysis itself
  // only writes its figures down.
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(50);
  connect(progressTimer_, &QTimer::timeout, this, &TForm1::UpdateProgress);
  ShowProgress(false);
}

void TForm1::ShowProgress(bool shown) {
  ProgressBar->setValue(0);
  ProgressBar->setFormat(QStringLiteral("Reading the log: 0 %"));
  ProgressBar->setVisible(shown);
  CancelButton->setVisible(shown);
  if (shown) {
    ProgressBar->raise();
    CancelButton->raise();
    progressTimer_->start();
  } else {
    progressTimer_->stop();
  }
}

void TForm1::UpdateProgress() {
  const AnalysisRunner::Progress progress = runner_->Current();
  const AnalysisProgressShown shown = ShownProgress(progress.Stage, progress.Done, progress.Total);
  // The passes walk the stream one after another: the bar never goes back.
  ProgressBar->setValue(std::max(ProgressBar->value(), shown.PerMille));
  ProgressBar->setFormat(QString::fromStdString(shown.Text));
}

void TForm1::BuildMainControls() {
  // Created before every other box so that it heads the focus chain.
  EditFudge = NewEdit(this, "EditFudge", {650, 65, 24, 21}, QStringLiteral("EditFudge"), {}, false);

  const QRect open(23, 14, 176, 116);
  const QRect gps(224, 16, 174, 114);
  const QRect gln(429, 17, 173, 113);
  SpeedButton1 = NewGlyphButton(this, "SpeedButton1", open, SelectFilePicture(PictureSize(open)));
  SpeedButton2 = NewGlyphButton(this, "SpeedButton2", gps, GpsViewPicture(PictureSize(gps)));
  SpeedButton3 = NewGlyphButton(this, "SpeedButton3", gln, GlnViewPicture(PictureSize(gln)));
  connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
  connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
  connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);

  Edit100 = NewEdit(this, "Edit100", {0, 274, 625, 21}, QStringLiteral(" SELECTED FILE:"),
                    QStringLiteral("Selected file"), true);
  ColourBox(Edit100, kSilver, Qt::black);
  Edit100->setFont(SansSerifFont(11, true));
  Edit100->setVisible(false);

  Image1 = Place<QLabel>(this, "Image1", {0, 0, 19, 19});
  Image1->setPixmap(ApplicationIconPicture(kIconSidePx));
  Image1->setScaledContents(true);
  Image1->setVisible(false);

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
  OpenDialog1->setWindowTitle(kOpenDialogTitle);
  OpenDialog1->SetFilter(kOpenDialogFilter);
}

void TForm1::BuildCountPanel() {
  Panel1 = Place<QFrame>(this, "Panel1", {21, 149, 583, 110});
  // A sunken box: lowered outer bevel around a raised inner one.
  Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  FillBackground(Panel1, kCountPanelBlue);

  Label1 =
      NewLabel(Panel1, "Label1", {147, 7, 288, 24}, QStringLiteral(" CMR messages found in file:"));
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label1->setFont(SansSerifFont(19, true));
  Colour(Label1, QPalette::WindowText, kSilver);

  Edit2 = NewEdit(Panel1, "Edit2", {31, 34, 121, 27}, QStringLiteral(" Type 0: "),
                  QStringLiteral("GPS observable packages"), true);
  Edit3 =
      NewEdit(Panel1, "Edit3", {164, 34, 121, 27}, QStringLiteral(" Type 1: "),
              QStringLiteral("Reference station coordinates ( click here to view them )"), true);
  Edit4 = NewEdit(Panel1, "Edit4", {297, 34, 121, 27}, QStringLiteral(" Type 2: "),
                  QStringLiteral("Reference station description"), true);
  Edit5 = NewEdit(Panel1, "Edit5", {431, 34, 121, 27}, QStringLiteral(" Type 3: "),
                  QStringLiteral("GLONASS observable packages"), true);
  Edit8 = NewEdit(Panel1, "Edit8", {162, 72, 259, 24},
                  QStringLiteral("            Scrolling Station Info:"),
                  QStringLiteral("Total number of sub-packets"), true);
  for (QLineEdit* box : {Edit2, Edit3, Edit4, Edit5}) box->setFont(ArialFont(16, true));
  Edit8->setFont(SansSerifFont(15, true));
  for (QLineEdit* box : {Edit2, Edit3, Edit4, Edit5, Edit8})
    ColourBox(box, kCountBoxBlue, Qt::black);

  // Edit boxes have no click signal of their own.
  for (QLineEdit* box : {Edit3, Edit4, Edit8}) box->installEventFilter(this);
}

void TForm1::BuildStationPanel() {
  Panel2 = Place<QFrame>(this, "Panel2", {650, -1, 630, 292});
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  FillBackground(Panel2, kFormBlue);
  Panel2->setFont(ArialFont(13, true));

  const struct {
    QLabel* TForm1::*Member;
    const char* Name;
    QRect Geometry;
    const char* Text;
  } labels[] = {
      {&TForm1::Label2, "Label2", {239, 6, 146, 20}, " Base coordinates"},
      {&TForm1::Label3, "Label3", {297, 68, 60, 20}, "Offsets"},
      {&TForm1::Label4, "Label4", {29, 38, 13, 16}, "X:"},
      {&TForm1::Label5, "Label5", {240, 38, 12, 16}, "Y:"},
      {&TForm1::Label6, "Label6", {449, 38, 11, 16}, "Z:"},
      {&TForm1::Label7, "Label7", {112, 101, 26, 16}, "UP: "},
      {&TForm1::Label8, "Label8", {258, 101, 42, 16}, "EAST: "},
      {&TForm1::Label9, "Label9", {419, 100, 44, 16}, "NORT: "},
      {&TForm1::Label10, "Label10", {14, 156, 124, 16}, "Numeric station ID: "},
      {&TForm1::Label11, "Label11", {205, 156, 144, 16}, "Numeric antenna type:"},
      {&TForm1::Label12, "Label12", {68, 201, 105, 16}, "Short station ID: "},
      {&TForm1::Label13, "Label13", {409, 156, 78, 16}, "COGO code:"},
      {&TForm1::Label14, "Label14", {264, 201, 99, 16}, "Long station ID:"},
  };
  for (const auto& content : labels) {
    QLabel* label =
        NewLabel(Panel2, content.Name, content.Geometry, QString::fromLatin1(content.Text));
    Colour(label, QPalette::WindowText, kAqua);
    this->*content.Member = label;
  }
  for (QLabel* heading : {Label2, Label3}) {
    heading->setFont(SansSerifFont(16, true));
    heading->setToolTip(QStringLiteral("in meters"));
  }
  Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  const struct {
    QLineEdit* TForm1::*Member;
    const char* Name;
    QRect Geometry;
    const char* Hint;
    const QColor& Background;
  } boxes[] = {
      {&TForm1::Edit1, "Edit1", {44, 30, 123, 24}, "X-coordinate", kDarkBlue},
      {&TForm1::Edit6, "Edit6", {255, 30, 123, 24}, "Y-coordinate", kDarkBlue},
      {&TForm1::Edit7, "Edit7", {463, 30, 123, 24}, "Z-coordinate", kDarkBlue},
      {&TForm1::Edit9, "Edit9", {139, 90, 80, 24}, "Antenna height", kDarkBlue},
      {&TForm1::Edit10, "Edit10", {299, 90, 80, 24}, "East offset", kDarkBlue},
      {&TForm1::Edit11, "Edit11", {462, 90, 80, 24}, "North offset", kDarkBlue},
      {&TForm1::Edit12, "Edit12", {138, 148, 35, 24}, nullptr, kDarkBlue},
      {&TForm1::Edit13, "Edit13", {353, 148, 35, 24}, nullptr, kDarkBlue},
      {&TForm1::Edit14, "Edit14", {174, 192, 58, 24}, nullptr, kNavy},
      {&TForm1::Edit15, "Edit15", {490, 150, 108, 24}, nullptr, kNavy},
      {&TForm1::Edit16, "Edit16", {367, 192, 185, 24}, nullptr, kNavy},
  };
  for (const auto& content : boxes) {
    // The boxes with a hint show measured values and are not for typing.
    const bool readOnly = content.Hint != nullptr;
    QLineEdit* edit = NewEdit(Panel2, content.Name, content.Geometry, {},
                              readOnly ? QString::fromLatin1(content.Hint) : QString(), readOnly);
    ColourBox(edit, content.Background, kAqua);
    this->*content.Member = edit;
  }

  const QRect close(268, 237, 94, 41);
  SpeedButton4 = NewGlyphButton(Panel2, "SpeedButton4", close, ClosePicture({91, 37}));
  connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
}

void TForm1::SetTabOrder() {
  QWidget* const order[] = {EditFudge, Edit2,  Edit3,  Edit4,  Edit5,  Edit8,
                            Edit100,   Edit1,  Edit6,  Edit7,  Edit9,  Edit10,
                            Edit11,    Edit12, Edit13, Edit14, Edit15, Edit16};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  EditFudge->setFocus();
}

void TForm1::FormCreate() {
  InitialiseSharedState(state_, QCoreApplication::applicationFilePath().toStdString());
  const QIcon icon(Image1->pixmap());
  QApplication::setWindowIcon(icon);
  setWindowIcon(icon);
  OpenDialog1->SetInitialDir(QString::fromStdString(
      OpenDialogStartDirectory(state_.Store.ProgramDirectory, QDir::homePath().toStdString())));
  SetApplicationTitle(QStringLiteral("Pelorin"));
  Panel2->setVisible(false);
  state_.GpsLegendClickCount = 0;
  state_.GlnLegendClickCount = 0;
}

void TForm1::SetSatelliteWindows(TSatelliteWindow* gpsWindow, TSatelliteWindow* glnWindow) {
  gpsWindow_ = gpsWindow;
  glnWindow_ = glnWindow;
  charts_ = std::make_unique<WindowCharts>(*gpsWindow, *glnWindow);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (IsCopyWithoutSelection(watched, event)) return true;
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == Edit3) Edit3Click();
    if (watched == Edit4) Edit4Click();
    if (watched == Edit8) Edit8Click();
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::SpeedButton1Click() {
  RunAnalysis();
}

void TForm1::OpenSatelliteWindow(TSatelliteWindow* window, std::int32_t count) {
  if (!window || state_.Store.SelectedLogPath.empty() || count == 0) return;
  window->OpenLaidOut();
}

void TForm1::SpeedButton2Click() {
  OpenSatelliteWindow(gpsWindow_, state_.Store.Type0Count);
}

void TForm1::SpeedButton3Click() {
  OpenSatelliteWindow(glnWindow_, state_.Store.Type3Count);
}

void TForm1::SpeedButton4Click() {
  pelorin::SpeedButton4Click(*toolkit_);
}

void TForm1::Edit3Click() {
  pelorin::Edit3Click(state_.Store, *toolkit_);
}

void TForm1::Edit4Click() {
  pelorin::Edit4Click(state_.Store, *toolkit_);
}

void TForm1::Edit8Click() {
  pelorin::Edit8Click(state_.Store, *toolkit_);
}

}  // namespace pelorin
