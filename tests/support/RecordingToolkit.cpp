#include "tests/support/RecordingToolkit.h"

namespace pelorin {

ControlState& RecordingToolkit::Control(std::string_view control) {
  auto it = Controls.find(control);
  if (it == Controls.end()) it = Controls.emplace(std::string(control), ControlState{}).first;
  return it->second;
}

void RecordingToolkit::SetText(std::string_view control, std::string_view text) {
  Control(control).Text = std::string(text);
}

void RecordingToolkit::SetVisible(std::string_view control, bool visible) {
  Control(control).Visible = visible;
}

void RecordingToolkit::SetHint(std::string_view control, std::string_view hint) {
  Control(control).Hint = std::string(hint);
}

void RecordingToolkit::SetShowHint(std::string_view control, bool on) {
  Control(control).ShowHint = on;
}

void RecordingToolkit::AlignToClient(std::string_view control) {
  Control(control).AlignedToClient = true;
}

void RecordingToolkit::Repaint(std::string_view control) {
  ++Control(control).Repaints;
}

void RecordingToolkit::MessageBox(std::string_view text, std::string_view caption,
                                  MessageIcon icon) {
  Messages.push_back({std::string(text), std::string(caption), icon});
}

void RecordingToolkit::ShowMessage(std::string_view text) {
  Messages.push_back({std::string(text), std::nullopt, std::nullopt});
}

void RecordingToolkit::SetBusyCursor(bool busy) {
  BusyCursor = busy;
  ++BusyCursorChanges;
}

std::string RecordingToolkit::TextOf(std::string_view control) const {
  auto it = Controls.find(control);
  return it == Controls.end() ? std::string() : it->second.Text;
}

}  // namespace pelorin
