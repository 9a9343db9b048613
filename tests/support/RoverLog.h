#pragma once
// A whole rover log: 1 Hz epochs with receiver time and date records, the
// rover's satellite index and GLONASS number records, filler records standing
// for its own observations, and the CMR corrections it echoed in.

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "tests/support/ZelBuilder.h"

namespace pelorin::testdata {

// The satellite record the rover writes each epoch: the satellite index
// record of older receivers, the satellite list record of today's, or both;
// or the index record of a receiver that also tracks Galileo and SBAS, 28
// entries long.
enum class RoverSatelliteRecords { Index, List, IndexAndList, IndexWithOtherSystems };

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
  // The GPS and GLONASS observations of these seconds arrive this many
  // seconds late (their only copy), after the epoch's own messages.
  std::map<int, int> LateSeconds;
  // ...and arrive once more, this many seconds after the first copy, as a
  // repeater that stores and forwards sends them.
  std::map<int, int> RepeatedSeconds;
  int Type1Every = 10;
  int Type2Every = 30;
  bool StationInfoPages = true;
  RoverSatelliteRecords SatelliteRecords = RoverSatelliteRecords::Index;
  // The GLONASS number records name slot 255 for the satellite in slot 8:
  // the receiver does not know its slot yet.
  bool UnknownGlonassSlot = false;
  // The receiver writes its first date record in this second's epoch, none
  // before it (0: in the log's header too).
  int FirstDateAtSecond = 0;
  // The rover writes its position and solution each epoch: RTK fixed, or
  // from each second named here on the solution type given, until the next.
  bool WritePositions = false;
  std::map<int, std::uint8_t> SolutionFrom;
  // In these seconds the rover tracks only two GPS satellites and no GLONASS.
  std::set<int> ObstructedSeconds;
  // From this second on the type 1 messages give a position 2.5 m away (-1: never).
  int MoveStationAtSecond = -1;
  // Bytes of rover observation filler per epoch (a record of up to 4095 bytes each).
  std::size_t FillerBytesPerEpoch = 200;
};

// Where the demo and the benchmark put their reference station, and how
// far its type 1 position moves when it moves.
CoordinatesMm DemoStationMm();
inline constexpr double kStationMoveMetres = 2.5;
// The rover stands this far from the station, east of it on the X axis and
// north on the Y axis (metres).
inline constexpr double kRoverOffsetX = 1500;
inline constexpr double kRoverOffsetY = 2000;

// The solution type of a rover log's second, as its options plan it.
std::uint8_t PlannedSolution(const RoverLogOptions& options, int second);

Bytes MakeRoverLog(const RoverLogOptions& options);

// A link in trouble, 155 s long: a repeater sends the messages of 31 seconds
// (20 to 50) again 1 to 3 s later, the messages of second 80 come 4 s late,
// and no correction arrives in seconds 100 to 104.
RoverLogOptions TroubledLinkOptions();

}  // namespace pelorin::testdata
