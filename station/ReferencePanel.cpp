#include "station/ReferencePanel.h"

#include <array>

#include "platform/RecordingToolkit.h"
#include "station/Geodetic.h"

namespace pelorin {

namespace {

// A source feeds the station description only when received more than this often.
constexpr std::int32_t kDescriptionSourceMinCount = 3;

constexpr int kCoordinatePrecision = 14;
constexpr int kHeightPrecision = 10;
constexpr int kMetreDecimals = 3;
constexpr std::string_view kBoxIndent = "      ";

constexpr std::array<std::string_view, 5> kIdentifierBoxes = {"Edit12", "Edit13", "Edit14",
                                                              "Edit15", "Edit16"};

std::string MetresText(double value) {
  return FormatFloatFixed(value, kCoordinatePrecision, kMetreDecimals);
}

std::string HeightText(double value) {
  return FormatFloatFixed(value, kHeightPrecision, kMetreDecimals);
}

// While the panel is up its own button is the only way back, so the main
// window loses every title-bar button.
void RemoveTitleBarButtons(Toolkit& toolkit) {
  toolkit.SetBorderIcons(BorderIcons{});
}

void FillPanel(const StationCoordinates& metres, Toolkit& toolkit) {
  std::string latitudeText;
  std::string longitudeText;
  double height = 0;
  EcefToGeodetic(metres.X, metres.Y, metres.Z, latitudeText, longitudeText, height);

  toolkit.SetHint("Edit1", "lat: " + latitudeText);
  toolkit.SetShowHint("Edit1", true);
  toolkit.SetHint("Edit6", "lon: " + longitudeText);
  toolkit.SetShowHint("Edit6", true);
  toolkit.SetHint("Edit7", "ell.ht (m): " + HeightText(height));
  toolkit.SetShowHint("Edit7", true);

  const std::string indent(kBoxIndent);
  toolkit.SetText("Edit1", indent + MetresText(metres.X));
  toolkit.SetText("Edit6", indent + MetresText(metres.Y));
  toolkit.SetText("Edit7", indent + MetresText(metres.Z));
  toolkit.SetText("Edit9", indent + MetresText(metres.AntennaHeight));
  toolkit.SetText("Edit10", indent + MetresText(metres.EastOffset));
  toolkit.SetText("Edit11", indent + MetresText(metres.NorthOffset));
}

// The panel covers every other control of the window while it is shown.
void LayPanelOverClient(Toolkit& toolkit) {
  toolkit.AlignToClient("Panel2");
  toolkit.SetVisible("Panel2", true);
}

}  // namespace

void ShowBasePanel(const StationCoordinates& metres, Toolkit& toolkit) {
  RemoveTitleBarButtons(toolkit);
  FillPanel(metres, toolkit);
  LayPanelOverClient(toolkit);
}

void Edit3Click(const DecodedStore& store, Toolkit& toolkit) {
  if (store.Type1Count == 0) return;
  ShowBasePanel(store.Type1Coordinates, toolkit);
}

void Edit4Click(const DecodedStore& store, Toolkit& toolkit) {
  if (store.Type2Count == 0) return;
  RemoveTitleBarButtons(toolkit);
  // The CMR+ station information is preferred to the type 1 message; with
  // neither received often enough the boxes keep what they held.
  if (store.CmrPlusCount > kDescriptionSourceMinCount) {
    FillPanel(MillimetresToMetres(store.StationInfoCoordinates), toolkit);
  } else if (store.Type1Count > kDescriptionSourceMinCount) {
    FillPanel(store.Type1Coordinates, toolkit);
  }
  LayPanelOverClient(toolkit);
}

void Edit8Click(const DecodedStore& store, Toolkit& toolkit) {
  // One page is enough here: the station information is shown as far as it came.
  if (store.CmrPlusCount == 0) return;
  ShowBasePanel(MillimetresToMetres(store.StationInfoCoordinates), toolkit);
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

std::optional<std::map<std::string, std::string>> PanelViewAfterClick(
    const DecodedStore& store, const std::map<std::string, std::string>& identifierBoxes,
    std::string_view click) {
  // The panel as a freshly started program has it: hidden, design hints on
  // the coordinate boxes, empty value boxes.
  RecordingToolkit toolkit;
  toolkit.Control("Panel2").Visible = false;
  toolkit.Control("Edit1").Hint = "X-coordinate";
  toolkit.Control("Edit6").Hint = "Y-coordinate";
  toolkit.Control("Edit7").Hint = "Z-coordinate";
  for (const auto box : {"Edit1", "Edit6", "Edit7", "Edit9", "Edit10", "Edit11"}) {
    toolkit.Control(box).Text.clear();
  }
  for (const auto box : kIdentifierBoxes) {
    const auto it = identifierBoxes.find(std::string(box));
    toolkit.Control(box).Text = it == identifierBoxes.end() ? std::string() : it->second;
  }

  if (click == "Edit3Click") {
    Edit3Click(store, toolkit);
  } else if (click == "Edit4Click") {
    Edit4Click(store, toolkit);
  } else if (click == "Edit8Click") {
    Edit8Click(store, toolkit);
  }
  if (!toolkit.Control("Panel2").Visible) return std::nullopt;

  std::map<std::string, std::string> view;
  for (const auto box : {"Edit1", "Edit6", "Edit7", "Edit9", "Edit10", "Edit11"}) {
    view[box] = toolkit.TextOf(box);
  }
  for (const auto box : {"Edit1", "Edit6", "Edit7"}) {
    view[std::string(box) + "Hint"] = toolkit.Control(box).Hint;
  }
  for (const auto box : kIdentifierBoxes) view[std::string(box)] = toolkit.TextOf(box);
  return view;
}

std::string DescribePosition(const StationCoordinates& metres) {
  std::string latitudeText;
  std::string longitudeText;
  double height = 0;
  EcefToGeodetic(metres.X, metres.Y, metres.Z, latitudeText, longitudeText, height);

  std::string line = "X " + MetresText(metres.X) + " Y " + MetresText(metres.Y) + " Z " +
                     MetresText(metres.Z) + " m, ";
  if (latitudeText.empty()) {
    line += "on the polar axis (no latitude or longitude), ";
  } else {
    line += "lat " + latitudeText + ", lon " + longitudeText + ", ";
  }
  line += "ell.ht " + HeightText(height) + " m";
  return line;
}

}  // namespace pelorin
