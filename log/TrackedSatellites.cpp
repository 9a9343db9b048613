#include "log/TrackedSatellites.h"

#include <algorithm>
#include <bit>

#include "log/DateTime.h"
#include "log/ZelRecords.h"

namespace pelorin {
namespace {

bool IsGpsPrn(std::uint8_t index) {
  return index >= 1 && index <= kGpsPrnCount;
}

bool IsGlnIndex(std::uint8_t index) {
  return index >= kFirstGlnIndex && index <= kLastGlnIndex;
}

bool IsGlnSlot(std::uint8_t slot) {
  return slot >= 1 && slot <= kGlnSlotCount;
}

// A satellite list record stands for a satellite index record that holds
// only indices this step knows.
static_assert(kHighestGpsPrn == kGpsPrnCount);
static_assert(kGlonassChannelIndexBase + kLowestGlonassChannel == kFirstGlnIndex &&
              kGlonassChannelIndexBase + kHighestGlonassChannel == kLastGlnIndex);

TrackedMask Bit(int number) {
  return TrackedMask{1} << (number - 1);
}

using CandidateCheck = std::optional<RecordEntries> (*)(ByteSpan, std::uint64_t);

// The first candidate of `pattern` in the chunk that its check accepts. A
// rejected candidate is passed over and the search resumes one byte after
// it, which finds exactly what blanking it out and searching again would.
std::optional<RecordEntries> FindAcceptedRecord(ByteSpan log, EpochChunk chunk,
                                                std::string_view pattern, CandidateCheck check) {
  const std::string_view text = RawSearchText(log.subspan(chunk.Begin, chunk.End - chunk.Begin));
  for (auto at = FindPattern(text, pattern); at; at = FindPattern(text, pattern, *at + 1)) {
    if (auto entries = check(log, chunk.Begin + *at)) return entries;
  }
  return std::nullopt;
}

// The epoch's satellite index record or, failing one, the satellite index
// record its satellite list record stands for: today's receivers write only
// the list.
std::optional<RecordEntries> FindSatelliteIndex(ByteSpan log, EpochChunk chunk) {
  if (auto si =
          FindAcceptedRecord(log, chunk, kSatelliteIndexPattern, CheckSatelliteIndexCandidate)) {
    return si;
  }
  return FindAcceptedRecord(log, chunk, kSatelliteListPattern, CheckSatelliteListCandidate);
}

void AcceptSatelliteIndex(const RecordEntries& entries, std::uint64_t epoch,
                          TrackedSatelliteState& state, TrackedSatellites& tracked) {
  state.SiList = entries;
  state.GlnCandidates.clear();
  for (const std::uint8_t v : state.SiList) {
    if (IsGlnIndex(v)) state.GlnCandidates.push_back(v);
    if (IsGpsPrn(v)) tracked.Gps |= Bit(v);
  }
  state.LastSiEpoch = epoch;
}

// Without a satellite index record: the list in force, its GLONASS
// satellites found in the slot map (the lowest slot that holds each).
void TrackFromListInForce(const TrackedSatelliteState& state, TrackedSatellites& tracked) {
  for (const std::uint8_t v : state.SiList) {
    if (IsGpsPrn(v)) tracked.Gps |= Bit(v);
    if (!IsGlnIndex(v)) continue;
    const auto slot = std::find(state.GlnSlotMap.begin() + 1, state.GlnSlotMap.end(), v);
    if (slot != state.GlnSlotMap.end()) {
      tracked.Gln |= Bit(static_cast<int>(slot - state.GlnSlotMap.begin()));
    }
  }
}

// Without a GLONASS number record: every slot mapped so far.
void TrackEveryMappedSlot(const TrackedSatelliteState& state, TrackedSatellites& tracked) {
  for (int s = 1; s <= kGlnSlotCount; ++s) {
    if (state.GlnSlotMap[static_cast<std::size_t>(s)] != 0) tracked.Gln |= Bit(s);
  }
}

// Pairs the GLONASS candidates with the slots in order; a slot named twice
// keeps the later index, a number 0 is skipped.
void PairGlonassSlots(TrackedSatelliteState& state, TrackedSatellites& tracked) {
  state.GlnSlotMap.fill(0);
  for (std::size_t i = 0; i < state.GlnCandidates.size(); ++i) {
    const std::uint8_t s = state.GlnNumbers[i];
    if (!IsGlnSlot(s)) continue;
    state.GlnSlotMap[s] = state.GlnCandidates[i];
    tracked.Gln |= Bit(s);
  }
}

}  // namespace

EpochTracking TrackSatellitesInEpoch(ByteSpan log, EpochChunk chunk, std::uint64_t epoch,
                                     TrackedSatelliteState& state) {
  EpochTracking result;
  TrackedSatellites& tracked = result.Tracked;

  // A. Satellite index record, or B. the list in force.
  if (const auto si = FindSatelliteIndex(log, chunk)) {
    AcceptSatelliteIndex(*si, epoch, state, tracked);
  } else {
    if (state.SiList.empty()) return result;  // nothing tracked yet
    TrackFromListInForce(state, tracked);
  }

  // C. GLONASS number record, or D. every mapped slot.
  if (auto nn =
          FindAcceptedRecord(log, chunk, kGlonassNumberPattern, CheckGlonassNumberCandidate)) {
    state.GlnNumbers = *nn;
    state.LastNnEpoch = epoch;
  } else {
    TrackEveryMappedSlot(state, tracked);
  }

  // E. Pairing, only in an epoch that accepted both records.
  if (state.LastSiEpoch != epoch || state.LastNnEpoch != epoch) return result;
  if (state.GlnCandidates.empty()) return result;
  if (state.GlnCandidates.size() == state.GlnNumbers.size()) {
    PairGlonassSlots(state, tracked);
  } else {
    result.GlnTotalsDiffer = true;
  }
  return result;
}

void AddTrackedPoints(std::span<const TrackedEpoch> epochs, SatelliteCharts& charts,
                      const std::atomic<bool>* stop) {
  constexpr std::size_t kEpochsBetweenLooks = 1 << 16;
  ChartSeries& gps = charts.Series(GnssSystem::Gps, 5);
  ChartSeries& gln = charts.Series(GnssSystem::Glonass, 5);
  std::size_t gpsPoints = 0;
  std::size_t glnPoints = 0;
  for (std::size_t m = 0; m < epochs.size(); ++m) {
    if (stop && m % kEpochsBetweenLooks == 0 && *stop) return;
    const TrackedEpoch& epoch = epochs[m];
    gpsPoints += static_cast<std::size_t>(std::popcount(epoch.Tracked.Gps));
    glnPoints += static_cast<std::size_t>(std::popcount(epoch.Tracked.Gln));
  }
  gps.ReservePoints(gpsPoints);
  gln.ReservePoints(glnPoints);
  for (std::size_t m = 0; m < epochs.size(); ++m) {
    if (stop && m % kEpochsBetweenLooks == 0 && *stop) return;
    const TrackedEpoch& epoch = epochs[m];
    for (int prn = 1; prn <= kGpsPrnCount; ++prn) {
      if (epoch.Tracked.Gps & Bit(prn)) gps.AddPoint(epoch.Time, prn, "", kColourBlue);
    }
    // The GLONASS window's time axis is GLONASS system time: UTC + 3 h,
    // with the leap seconds in force at the epoch.
    const double glnTime = epoch.Time + GpsToGlonassOffsetDays(epoch.Time);
    for (int slot = 1; slot <= kGlnSlotCount; ++slot) {
      if (epoch.Tracked.Gln & Bit(slot)) gln.AddPoint(glnTime, slot, "", kColourYellow);
    }
  }
}

}  // namespace pelorin
