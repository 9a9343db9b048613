#pragma once
// What the reference station panel shows when a count box of the main window
// opens it: from the type 1 box the type 1 position, from the type 2 box the
// station's description with the position of the source received often
// enough, from the CMR+ box the station information's position. Plain
// values: the window puts them into its boxes and hints.

#include <array>
#include <optional>
#include <string>

#include "cmr/DecodedStore.h"

namespace pelorin {

// The panel filled from a set in metres: the texts of its six value boxes
// (X, Y, Z, antenna height, east offset, north offset) and the latitude,
// longitude and ellipsoidal height hints of the X, Y and Z boxes.
struct PanelFill {
  std::array<std::string, 6> Values;
  std::array<std::string, 3> Hints;
  bool operator==(const PanelFill&) const = default;
};
PanelFill FillPanelFrom(const StationCoordinates& metres);

// The count boxes that open the panel.
enum class PanelSource { Type1, Type2, CmrPlus };

// Whether a click on a count box opens the panel and, when it does, what it
// fills it with; an open panel without a fill keeps the values it held.
struct PanelView {
  bool Opens = false;
  std::optional<PanelFill> Fill;
  bool operator==(const PanelView&) const = default;
};
PanelView PanelViewFor(PanelSource source, const DecodedStore& store);

// One line: ECEF coordinates, latitude, longitude and ellipsoidal height, in
// the number formats of the panel.
std::string DescribePosition(const StationCoordinates& metres);

}  // namespace pelorin
