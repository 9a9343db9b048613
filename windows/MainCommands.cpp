// The main window's ways in besides its buttons: the command line's log,
// dropped files and the context menu with its keys.

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include "charts/SatelliteWindow.h"
#include "widgets/ContentsLocation.h"
#include "widgets/DroppedFiles.h"
#include "widgets/SaveDialog.h"
#include "windows/MainUnit.h"

namespace pelorin {
namespace {

QAction* NewAction(QWidget* window, const char* name, const QString& text,
                   const QKeySequence& keys) {
  auto* action = new QAction(text, window);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(keys);
  window->addAction(action);
  return action;
}

std::size_t PointsOf(TSatelliteWindow* window, int series) {
  return window ? window->Series(series).Points().Size() : 0;
}

}  // namespace

void TForm1::BuildCommands() {
  setAcceptDrops(true);
  for (QLineEdit* box : findChildren<QLineEdit*>()) {
    // A file dropped on a box is a file dropped on the window.
    box->setAcceptDrops(false);
    // A box that shows a value offers the window's menu, not its own.
    if (box->isReadOnly()) box->setContextMenuPolicy(Qt::NoContextMenu);
    box->installEventFilter(this);
  }

  OpenLogAction = NewAction(this, "OpenLogAction", QStringLiteral("Open log…"),
                            QKeySequence(Qt::CTRL | Qt::Key_O));
  CopySummaryAction = NewAction(this, "CopySummaryAction", QStringLiteral("Copy summary"),
                                QKeySequence(Qt::CTRL | Qt::Key_C));
  SaveCmrStreamAction =
      NewAction(this, "SaveCmrStreamAction", QStringLiteral("Save CMR stream as…"), {});
  LinkReportAction = NewAction(this, "LinkReportAction", QStringLiteral("Link report"),
                               QKeySequence(Qt::CTRL | Qt::Key_L));
  connect(OpenLogAction, &QAction::triggered, this, &TForm1::SpeedButton1Click);
  connect(CopySummaryAction, &QAction::triggered, this, &TForm1::CopySummary);
  connect(SaveCmrStreamAction, &QAction::triggered, this, &TForm1::SaveCmrStream);
  connect(LinkReportAction, &QAction::triggered, this, &TForm1::LinkReportRequested);

  ContextMenu = new QMenu(this);
  ContextMenu->setObjectName(QStringLiteral("ContextMenu"));
  ContextMenu->addActions({OpenLogAction, CopySummaryAction, SaveCmrStreamAction});
  ContextMenu->addSeparator();
  ContextMenu->addAction(LinkReportAction);
  UpdateCommands();
}

void TForm1::UpdateCommands() {
  CopySummaryAction->setEnabled(lastOutcome_.has_value());
  SaveCmrStreamAction->setEnabled(state_.LastCmrStream() != nullptr);
}

// The points go to the satellite windows; a main window without them (as
// some tests build it) has nowhere to put an analysis. An analysis runs on
// a thread of its own; none starts while one runs.
void TForm1::RunAnalysis() {
  if (!charts_ || runner_->Running()) return;
  const auto request = BeginOpen(state_, *toolkit_, ContentsOptions(), beforeOpen_);
  if (!request) {
    pendingNote_.clear();
    UpdateCommands();
    emit Analysed();
    return;
  }
  toolkit_->SetBusyCursor(true);
  ShowProgress(true);
  runner_->Start(*request);
}

// The analysis ended: what it found goes into the boxes and the windows at
// once, or, when the user stopped it, the window is as before the open.
void TForm1::AnalysisFinished() {
  ShowProgress(false);
  toolkit_->SetBusyCursor(false);
  AnalysisResult result = runner_->TakeResult();
  const AnalysisOutcome outcome = result.Outcome;
  const bool pointsReplaced = result.RanThePasses();
  if (outcome == AnalysisOutcome::Cancelled) {
    RestoreBeforeOpen(beforeOpen_, state_, *toolkit_);
  } else {
    lastOutcome_ = outcome;
  }
  CommitAnalysis(std::move(result), state_, *toolkit_, *charts_);
  if (pointsReplaced) {
    for (TSatelliteWindow* window : {gpsWindow_, glnWindow_}) window->ShowNewAnalysis();
  }
  if (!pendingNote_.isEmpty() && outcome != AnalysisOutcome::Cancelled && Edit100->isVisible()) {
    Edit100->setText(Edit100->text() + pendingNote_);
    Edit100->setCursorPosition(0);
  }
  pendingNote_.clear();
  UpdateCommands();
  emit Analysed();
}

void TForm1::CancelAnalysis() {
  if (runner_->Running()) runner_->Stop();
}

void TForm1::OpenLog(const std::string& path, const QString& note) {
  if (!charts_ || runner_->Running()) return;
  toolkit_->AnswerNextDialog(path);
  pendingNote_ = note;
  RunAnalysis();
}

AnalysisOptions TForm1::ContentsOptions() const {
  AnalysisOptions options;
  options.ContentsPath = ContentsPathFor(state_.Store.ProgramDirectory, UserDataDirectory());
  return options;
}

report::SummaryInput TForm1::SummaryOfLastAnalysis() const {
  report::SummaryInput summary;
  summary.File = state_.Store.SelectedLogPath;
  summary.Result = state_.LastResult.get();
  for (const char* name : report::kReportedBoxes) {
    if (const auto* box = findChild<QLineEdit*>(QString::fromLatin1(name))) {
      summary.Texts.emplace_back(name, box->text().toStdString());
    }
  }
  for (int n = 1; n <= kSeriesPerWindow; ++n) {
    const auto index = static_cast<std::size_t>(n - 1);
    summary.PointCounts[0][index] = PointsOf(gpsWindow_, n);
    summary.PointCounts[1][index] = PointsOf(glnWindow_, n);
  }
  return summary;
}

void TForm1::CopySummary() {
  if (!lastOutcome_ || !state_.LastResult) return;
  QGuiApplication::clipboard()->setText(
      QString::fromStdString(report::SummaryText(SummaryOfLastAnalysis())));
}

void TForm1::SaveCmrStream() {
  const std::shared_ptr<const StreamBytes> stream = state_.LastCmrStream();
  if (!stream) return;
  const QFileInfo log(QFile::decodeName(QByteArray::fromStdString(state_.Store.SelectedLogPath)));
  const QString suggested = log.dir().filePath(log.completeBaseName() + QStringLiteral(".cmr"));
  SaveWithDialog(
      this, QStringLiteral("Save CMR stream as"), suggested,
      {QStringLiteral("CMR stream (*.cmr)"), QStringLiteral("All files (*)")},
      [this, &stream](const QString& path) {
        return SaveAtomically(path, &state_.Store.SelectedLogPath, [&stream](QIODevice& device) {
          const auto size = static_cast<qint64>(stream->size());
          return device.write(reinterpret_cast<const char*>(stream->data()), size) == size;
        });
      });
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
  ContextMenu->popup(event->globalPos());
  event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* dragged = event->mimeData();
  if (charts_ && !runner_->Running() && dragged && !LocalFilesOf(*dragged).empty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TForm1::dropEvent(QDropEvent* event) {
  const QMimeData* dragged = event->mimeData();
  const std::vector<std::string> files =
      dragged ? LocalFilesOf(*dragged) : std::vector<std::string>{};
  if (files.empty() || runner_->Running()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // The drop ends first: the program the files came from is not held up
  // by the analysis and its boxes.
  QTimer::singleShot(0, this, [this, path = files.front(), note = DroppedFilesNote(files.size())] {
    OpenLog(path, note);
  });
}

// A box with the focus takes Ctrl+C for its own copy; with nothing selected
// in it, the keys go on to the window's "Copy summary".
bool TForm1::IsCopyWithoutSelection(QObject* watched, QEvent* event) const {
  if (event->type() != QEvent::ShortcutOverride) return false;
  const auto* box = qobject_cast<QLineEdit*>(watched);
  return box && !box->hasSelectedText() &&
         static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy);
}

}  // namespace pelorin
