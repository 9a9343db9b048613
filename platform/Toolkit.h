#pragma once
// The window toolkit as the windows' logic sees it (views/). No plain C++
// folder includes a toolkit header: widgets/ implements this with Qt
// Widgets, and the tests record every call.

#include <optional>
#include <string>
#include <string_view>

namespace pelorin {

// Message-box icon flags, as the classic message-box values.
enum class MessageIcon : int { Stop = 0x10, Exclamation = 0x30, Information = 0x40 };

// A message as the system shows it: a modal box with a caption and an icon,
// or the toolkit's plain message, which has neither of the system's own.
struct ShownMessage {
  std::string Text;
  std::optional<std::string> Caption;  // none for the plain message
  std::optional<MessageIcon> Icon;     // none for the plain message
  // Once dismissed, the main window goes to the centre of the screen.
  bool CentresMainWindow = false;
  bool operator==(const ShownMessage&) const = default;
};

// Title-bar buttons of the main window.
struct BorderIcons {
  bool SystemMenu = false;
  bool Minimize = false;
  bool Maximize = false;
  bool Help = false;
  bool operator==(const BorderIcons&) const = default;
};

class Toolkit {
public:
  virtual ~Toolkit() = default;

  // Runs the open-file dialog; the chosen full path, or nothing when cancelled.
  virtual std::optional<std::string> RunOpenDialog() = 0;

  // Controls are addressed by their names ("Edit100", "Panel2"; "Form1" is the main window).
  virtual void SetText(std::string_view control, std::string_view text) = 0;
  virtual std::string GetText(std::string_view control) = 0;
  virtual void SetVisible(std::string_view control, bool visible) = 0;
  virtual bool GetVisible(std::string_view control) = 0;
  virtual void SetHint(std::string_view control, std::string_view hint) = 0;
  virtual void SetShowHint(std::string_view control, bool on) = 0;
  virtual void AlignToClient(std::string_view control) = 0;
  // Shows new texts before the handler returns.
  virtual void Repaint(std::string_view control) = 0;

  virtual BorderIcons GetBorderIcons() = 0;
  virtual void SetBorderIcons(BorderIcons icons) = 0;
  virtual void CentreMainWindow() = 0;

  // Modal, one OK button.
  virtual void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
  // The toolkit's plain message: modal, no caption of the system's own.
  virtual void ShowMessage(std::string_view text) = 0;

  virtual void SetBusyCursor(bool busy) = 0;
};

}  // namespace pelorin
