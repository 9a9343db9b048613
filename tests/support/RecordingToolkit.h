#pragma once
// A toolkit with no screen: it keeps the state of every control it is told
// about and records, in order, every message the system shows, for the tests
// of the windows' logic.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Toolkit.h"

namespace pelorin {

struct ControlState {
  std::string Text;
  std::string Hint;
  bool Visible = true;
  bool ShowHint = true;
  bool AlignedToClient = false;
  int Repaints = 0;
};

class RecordingToolkit : public Toolkit {
public:
  // The path the open dialog will give, or nothing to act as a cancel.
  std::optional<std::string> NextDialogPath;
  std::vector<ShownMessage> Messages;
  std::map<std::string, ControlState, std::less<>> Controls;
  BorderIcons Icons{true, true, false, false};
  bool BusyCursor = false;
  int BusyCursorChanges = 0;
  int CentreCount = 0;

  std::optional<std::string> RunOpenDialog() override { return NextDialogPath; }
  void SetText(std::string_view control, std::string_view text) override;
  std::string GetText(std::string_view control) override { return TextOf(control); }
  bool GetVisible(std::string_view control) override { return Control(control).Visible; }
  void SetVisible(std::string_view control, bool visible) override;
  void SetHint(std::string_view control, std::string_view hint) override;
  void SetShowHint(std::string_view control, bool on) override;
  void AlignToClient(std::string_view control) override;
  void Repaint(std::string_view control) override;
  BorderIcons GetBorderIcons() override { return Icons; }
  void SetBorderIcons(BorderIcons icons) override { Icons = icons; }
  void CentreMainWindow() override { ++CentreCount; }
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void ShowMessage(std::string_view text) override;
  void SetBusyCursor(bool busy) override;

  // Text of a control, empty when it was never set.
  std::string TextOf(std::string_view control) const;
  ControlState& Control(std::string_view control);
};

}  // namespace pelorin
