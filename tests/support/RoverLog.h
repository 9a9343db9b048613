#pragma once
// A whole rover log: 1 Hz epochs with receiver time and date records, the
// rover's satellite index and GLONASS number records, filler records standing
// for its own observations, and the CMR corrections it echoed in.

#include <cstdint>
#include <set>
#include <string>

#include "tests/support/ZelBuilder.h"

namespace pelorin::testdata {

// The satellite record the rover writes each epoch: the satellite index
// record of older receivers, the satellite list record of today's, or both.
enum class RoverSatelliteRecords { Index, List, IndexAndList };

struct RoverLogOptions {
  std::uint16_t Year = 2009;
  std::uint8_t Month = 6;
  std::uint8_t Day = 15;
  std::uint32_t StartMsOfDay = 36'000'000;  // 10:00:00
  int Seconds = 3600;
  int Station = 7;
  // A second, weaker station: one GPS message every this many seconds (0: none).
  int SecondStation = 3;
  int SecondStationEvery = 10;
  // Seconds (counted from 0) in which no correction arrived.
  std::set<int> Gaps;
  int Type1Every = 10;
  int Type2Every = 30;
  bool StationInfoPages = true;
  RoverSatelliteRecords SatelliteRecords = RoverSatelliteRecords::Index;
  // Bytes of rover observation filler per epoch (a record of up to 4095 bytes each).
  std::size_t FillerBytesPerEpoch = 200;
};

// Where the demo and the benchmark put their reference station.
CoordinatesMm DemoStationMm();

Bytes MakeRoverLog(const RoverLogOptions& options);

}  // namespace pelorin::testdata
