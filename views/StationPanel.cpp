#include "views/StationPanel.h"

#include <array>

namespace pelorin {
namespace {

constexpr std::array<const char*, 6> kValueBoxes = {"Edit1", "Edit6",  "Edit7",
                                                    "Edit9", "Edit10", "Edit11"};
// The X, Y and Z boxes carry latitude, longitude and height in their hints.
constexpr std::array<const char*, 3> kHintBoxes = {"Edit1", "Edit6", "Edit7"};

// While the panel is up its own button is the only way back, so the main
// window loses every title-bar button.
void RemoveTitleBarButtons(Toolkit& toolkit) {
  toolkit.SetBorderIcons(BorderIcons{});
}

void FillPanel(const PanelFill& fill, Toolkit& toolkit) {
  for (std::size_t k = 0; k < kHintBoxes.size(); ++k) {
    toolkit.SetHint(kHintBoxes[k], fill.Hints[k]);
    toolkit.SetShowHint(kHintBoxes[k], true);
  }
  for (std::size_t k = 0; k < kValueBoxes.size(); ++k) {
    toolkit.SetText(kValueBoxes[k], fill.Values[k]);
  }
}

// The panel covers every other control of the window while it is shown.
void LayPanelOverClient(Toolkit& toolkit) {
  toolkit.AlignToClient("Panel2");
  toolkit.SetVisible("Panel2", true);
}

void OpenPanel(PanelSource source, const DecodedStore& store, Toolkit& toolkit) {
  const PanelView view = PanelViewFor(source, store);
  if (!view.Opens) return;
  RemoveTitleBarButtons(toolkit);
  if (view.Fill) FillPanel(*view.Fill, toolkit);
  LayPanelOverClient(toolkit);
}

}  // namespace

void ShowBasePanel(const StationCoordinates& metres, Toolkit& toolkit) {
  RemoveTitleBarButtons(toolkit);
  FillPanel(FillPanelFrom(metres), toolkit);
  LayPanelOverClient(toolkit);
}

void Edit3Click(const DecodedStore& store, Toolkit& toolkit) {
  OpenPanel(PanelSource::Type1, store, toolkit);
}

void Edit4Click(const DecodedStore& store, Toolkit& toolkit) {
  OpenPanel(PanelSource::Type2, store, toolkit);
}

void Edit8Click(const DecodedStore& store, Toolkit& toolkit) {
  OpenPanel(PanelSource::CmrPlus, store, toolkit);
}

void SpeedButton4Click(Toolkit& toolkit) {
  // Brings back the resting title bar: system menu (with the close box) and minimise.
  BorderIcons icons = toolkit.GetBorderIcons();
  icons.SystemMenu = true;
  icons.Minimize = true;
  toolkit.SetBorderIcons(icons);
  // The alignment stays; the next show sets it again anyway.
  toolkit.SetVisible("Panel2", false);
}

}  // namespace pelorin
