#pragma once
// The rover's own solution, as its log gives it once an epoch: the cartesian
// position and velocity record ("PV", a body of 46 bytes): X, Y, Z as 64-bit
// floats (metres, ECEF), the position sigma, VX, VY, VZ and the velocity
// sigma as 32-bit floats, the solution type, and a checksum byte not read.

#include <cstdint>
#include <optional>
#include <string_view>

#include "log/Bytes.h"
#include "log/TrackedSatellites.h"

namespace pelorin {

inline constexpr std::string_view kPositionVelocityPattern = "PV";
inline constexpr int kPositionVelocityBodyLength = 0x2E;

// Solution types as the receiver writes them; other values are kept as
// read and count as no RTK solution.
inline constexpr std::uint8_t kNoSolution = 0;
inline constexpr std::uint8_t kStandalone = 1;
inline constexpr std::uint8_t kCodeDifferential = 2;
inline constexpr std::uint8_t kRtkFloat = 3;
inline constexpr std::uint8_t kRtkFixed = 4;

struct RoverPosition {
  double X = 0;  // metres, ECEF (WGS-84)
  double Y = 0;
  double Z = 0;
  float Sigma = 0;  // metres
  std::uint8_t Solution = kNoSolution;
  bool operator==(const RoverPosition&) const = default;
};

// What one epoch's bytes gave: its first position record that reads whole,
// and the records passed over before it (another length, a body beyond the
// epoch or the log, a value that is not a finite number, a position farther
// than any rover's from the Earth's centre).
struct PositionInEpoch {
  std::optional<RoverPosition> Position;
  std::uint32_t Skipped = 0;
};

// Searches `chunk` of `log` for the epoch's position record. A "PV" whose
// length digits do not parse is no record and is not counted.
PositionInEpoch FindRoverPosition(ByteSpan log, EpochChunk chunk);

}  // namespace pelorin
