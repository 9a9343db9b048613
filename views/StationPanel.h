#pragma once
// The reference station panel (Panel2) laid over the main window from the
// type 1, type 2 and CMR+ count boxes, and hidden by its own button. The
// window forwards its clicks here.

#include "cmr/DecodedStore.h"
#include "platform/Toolkit.h"
#include "station/ReferencePanel.h"

namespace pelorin {

// Fills the panel from a set in metres and lays it over the client area.
void ShowBasePanel(const StationCoordinates& metres, Toolkit& toolkit);
void Edit3Click(const DecodedStore& store, Toolkit& toolkit);
void Edit4Click(const DecodedStore& store, Toolkit& toolkit);
void Edit8Click(const DecodedStore& store, Toolkit& toolkit);
void SpeedButton4Click(Toolkit& toolkit);

}  // namespace pelorin
