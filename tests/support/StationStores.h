#pragma once
// A store whose type 1 position and CMR+ station information name two
// different stations, with the message counts a test chooses: the reference
// panel's tests open it from each count box.

#include <cstdint>

#include "cmr/DecodedStore.h"

namespace pelorin::testdata {

// Metres, as type 1 messages give them.
inline const StationCoordinates kType1Station{1126674.412, -4357871.711, 4503860.481,
                                              1.5,         -0.25,        0.125};
// Millimetres, as the CMR+ station information holds them: a different station.
inline const StationCoordinates kInfoStationMm{-4646302562, 2553332808, -3534058022, 2000, 10, -20};

inline DecodedStore StoreWith(std::int32_t type1, std::int32_t type2, std::int32_t cmrPlus) {
  DecodedStore store;
  store.Type1Count = type1;
  store.Type2Count = type2;
  store.CmrPlusCount = cmrPlus;
  store.Type1Coordinates = kType1Station;
  store.StationInfoCoordinates = kInfoStationMm;
  return store;
}

}  // namespace pelorin::testdata
