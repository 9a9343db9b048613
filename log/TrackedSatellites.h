#pragma once
// Which GPS satellites and GLONASS orbit slots the rover tracked in an epoch,
// decided from the epoch's satellite index (or satellite list) and GLONASS
// number records. When an epoch lacks them, the lists seen last stay in force.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "log/Bytes.h"
#include "log/ZelRecords.h"
#include "platform/ChartSeries.h"

namespace pelorin {

inline constexpr int kGpsPrnCount = 32;
inline constexpr int kGlnSlotCount = 24;
inline constexpr std::uint8_t kFirstGlnIndex = 38;
inline constexpr std::uint8_t kLastGlnIndex = 69;

// Bit n - 1 stands for GPS PRN n or GLONASS slot n.
using TrackedMask = std::uint32_t;

struct TrackedSatellites {
  TrackedMask Gps = 0;
  TrackedMask Gln = 0;
  bool operator==(const TrackedSatellites&) const = default;
};

// File offsets [Begin, End) of one epoch's bytes.
struct EpochChunk {
  std::uint64_t Begin = 0;
  std::uint64_t End = 0;
};

// What carries over from one epoch to the next during a scan.
struct TrackedSatelliteState {
  // Entries of the satellite index record accepted last, or of the one a
  // satellite list record stood for.
  RecordEntries SiList;
  // GLONASS entries (38..69) of the satellite index record and the slots of
  // the GLONASS number record; they pair only in the epoch that accepted both.
  RecordEntries GlnCandidates;
  RecordEntries GlnNumbers;
  // Satellite index in each orbit slot 1..24 (index 0 unused); 0 for none.
  std::array<std::uint8_t, kGlnSlotCount + 1> GlnSlotMap{};
  std::optional<std::uint64_t> LastSiEpoch;
  std::optional<std::uint64_t> LastNnEpoch;
};

struct EpochTracking {
  TrackedSatellites Tracked;
  // Both records were accepted but list different numbers of GLONASS
  // satellites: no slot is tracked and the slot map stays as it was.
  bool GlnTotalsDiffer = false;
};

// The per-epoch step for epoch `epoch`, whose bytes are `chunk` of `log`.
// Searches look inside the chunk only; fields are read from the log's bytes
// and may run past the chunk's end.
EpochTracking TrackSatellitesInEpoch(ByteSpan log, EpochChunk chunk, std::uint64_t epoch,
                                     TrackedSatelliteState& state);

// One scanned epoch: where its receiver time record lies, its time (GPS
// time, from the receiver's date and milliseconds of day) and what it tracked.
struct TrackedEpoch {
  std::uint64_t Start = 0;
  double Time = 0;
  TrackedSatellites Tracked;
};

// The "Tracked" points (Series5) of both windows, epoch by epoch: GPS at the
// epoch time, GLONASS carried to GLONASS system time, numbers ascending.
// Gives up, leaving the points partial, once `stop` (when given) is set.
void AddTrackedPoints(std::span<const TrackedEpoch> epochs, SatelliteCharts& charts,
                      const std::atomic<bool>* stop = nullptr);

}  // namespace pelorin
