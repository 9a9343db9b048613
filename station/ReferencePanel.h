#pragma once
// The reference station panel (Panel2) laid over the main window from the
// type 1, type 2 and CMR+ count boxes. The window forwards its clicks here.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "cmr/DecodedStore.h"
#include "platform/Toolkit.h"

namespace pelorin {

// Fills the panel from a set in metres and lays it over the client area.
void ShowBasePanel(const StationCoordinates& metres, Toolkit& toolkit);
void Edit3Click(const DecodedStore& store, Toolkit& toolkit);
void Edit4Click(const DecodedStore& store, Toolkit& toolkit);
void Edit8Click(const DecodedStore& store, Toolkit& toolkit);
void SpeedButton4Click(Toolkit& toolkit);

// What the panel shows after one click ("Edit3Click", "Edit4Click" or
// "Edit8Click") in a freshly started program whose analysis left the store
// and the identifier boxes Edit12..Edit16 as given. Nothing when the click
// would not open the panel; otherwise the texts of Edit1, Edit6, Edit7,
// Edit9, Edit10, Edit11, Edit12..Edit16 and the hints Edit1Hint, Edit6Hint,
// Edit7Hint.
std::optional<std::map<std::string, std::string>> PanelViewAfterClick(
    const DecodedStore& store, const std::map<std::string, std::string>& identifierBoxes,
    std::string_view click);

// One line: ECEF coordinates, latitude, longitude and ellipsoidal height, in
// the number formats of the panel.
std::string DescribePosition(const StationCoordinates& metres);

}  // namespace pelorin
