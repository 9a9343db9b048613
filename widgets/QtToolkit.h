#pragma once
// The window toolkit of the analysis and the station views, done with Qt
// Widgets. Controls are found by their object names under the main window.

#include <QString>
#include <Qt>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Toolkit.h"

class QWidget;

namespace pelorin {

// The application title, shown by the plain message dialog and by the
// exception display. Kept apart from the window captions: a display name set
// on the application would be appended to every caption on X11.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// Text from the system's byte strings. Station identifiers come straight from
// the received messages and need not be UTF-8: they are read by the rule the
// report reads them by (valid UTF-8 kept, any other byte as its Latin-1
// character). A zero byte ends the text, as it would for a C string.
QString ToQString(std::string_view text);

// Flags of a top-level window with a fixed border and the given title-bar
// buttons. A maximise button is never offered: the windows are fixed size.
Qt::WindowFlags FixedWindowFlags(BorderIcons icons);

// Moves a top-level window so that its frame sits in the middle of its screen.
void CentreOnScreen(QWidget* window);

class QtToolkit : public Toolkit {
public:
  using DialogRunner = std::function<std::optional<std::string>()>;
  // Replaces the modal boxes when set: tests record what would be shown.
  using MessageHook = std::function<void(const ShownMessage&)>;

  QtToolkit(QWidget* mainWindow, DialogRunner dialogRunner);
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  void SetDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }
  void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }
  // The next open dialog gives `path` without showing itself: a log named on
  // the command line or dropped on the window is analysed as a chosen one.
  void AnswerNextDialog(std::string path) { nextAnswer_ = std::move(path); }

  // Every message shown since the last forgetting, in order: the window
  // copies those of the last analysis into its summary.
  const std::vector<ShownMessage>& ShownMessages() const { return shown_; }
  void ForgetShownMessages() { shown_.clear(); }

  std::optional<std::string> RunOpenDialog() override;
  void SetText(std::string_view control, std::string_view text) override;
  void SetVisible(std::string_view control, bool visible) override;
  std::string GetText(std::string_view control) override;
  bool GetVisible(std::string_view control) override;
  void SetHint(std::string_view control, std::string_view hint) override;
  void SetShowHint(std::string_view control, bool on) override;
  void AlignToClient(std::string_view control) override;
  void Repaint(std::string_view control) override;
  BorderIcons GetBorderIcons() override;
  void SetBorderIcons(BorderIcons icons) override;
  void CentreMainWindow() override;
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void ShowMessage(std::string_view text) override;
  void SetBusyCursor(bool busy) override;

  // The control of that name, the main window for its own name, or null.
  QWidget* Find(std::string_view control) const;

private:
  QWidget* mainWindow_;
  DialogRunner dialogRunner_;
  MessageHook messageHook_;
  std::optional<std::string> nextAnswer_;
  std::vector<ShownMessage> shown_;
  bool busy_ = false;
};

}  // namespace pelorin
