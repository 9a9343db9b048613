#include "tests/support/RoverLog.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "log/DateTime.h"

namespace pelorin::testdata {
namespace {

constexpr std::uint32_t kMsPerDay = 86'400'000;
constexpr std::uint32_t kEpochCycleMs = 240'000;
// GLONASS system time runs 3 h ahead of UTC, GPS time the leap seconds
// ahead of it: 10 785 s from GPS to GLONASS time in 2009 to mid-2012.
// The offset at the log's second `second`: a log across a leap second's
// midnight changes it there.
std::uint32_t GpsToGlonassMs(const RoverLogOptions& o, int second) {
  const double time = *EncodeDate(o.Year, o.Month, o.Day) +
                      (o.StartMsOfDay + static_cast<double>(second) * 1000) / kMsPerDay;
  return static_cast<std::uint32_t>(std::lround(GpsToGlonassOffsetDays(time) * kMsPerDay));
}

// Deterministic filler, so that every run builds the same log.
struct Filler {
  std::uint32_t state = 0x12345678;
  std::uint8_t Next() {
    state = state * 1664525u + 1013904223u;
    const auto byte = static_cast<std::uint8_t>(state >> 24);
    return byte == '>' ? '=' : byte;  // no accidental echo records
  }
};

std::vector<SvContent> GpsSatellites(int second) {
  std::vector<SvContent> sats;
  const int first = 1 + (second / 600) % 8;  // the constellation turns slowly
  for (int k = 0; k < 9; ++k) {
    SvContent sv;
    sv.Number = (first + k * 3) % 32;  // includes PRN 32 (field 0) now and then
    sv.L2 = k != 4;                    // one satellite without L2
    sv.L1Valid = !(k == 7 && second % 17 == 0);
    sats.push_back(sv);
  }
  return sats;
}

const std::vector<int> kGlnSlots = {1, 2, 8, 9, 17, 23, 24};
const Bytes kGlnIndices = {45, 46, 47, 48, 50, 51, 52};

std::vector<SvContent> GlnSatellites() {
  std::vector<SvContent> sats;
  for (std::size_t k = 0; k < kGlnSlots.size(); ++k) {
    SvContent sv;
    sv.Number = kGlnSlots[k];
    sv.L2 = k != 2;
    sats.push_back(sv);
  }
  return sats;
}

Bytes RoverSatelliteIndex(int second) {
  Bytes entries;
  for (const SvContent& sv : GpsSatellites(second))
    entries.push_back(sv.Number == 0 ? 32 : sv.Number);
  entries.insert(entries.end(), kGlnIndices.begin(), kGlnIndices.end());
  return entries;
}

// Galileo and SBAS as a receiver that tracks them lists them in its
// satellite index record.
const Bytes kGalileoIndices = {79, 89, 74, 83};
const Bytes kSbasIndices = {131, 132, 133, 134, 135, 136, 137, 138};

Bytes RoverSatelliteIndexWithOtherSystems(int second) {
  Bytes entries;
  for (const SvContent& sv : GpsSatellites(second))
    entries.push_back(sv.Number == 0 ? 32 : sv.Number);
  entries.insert(entries.end(), kGalileoIndices.begin(), kGalileoIndices.end());
  entries.insert(entries.end(), kGlnIndices.begin(), kGlnIndices.end());
  entries.insert(entries.end(), kSbasIndices.begin(), kSbasIndices.end());
  return entries;
}

constexpr std::uint8_t kUnknownSlot = 255;

Bytes GlonassSlots(bool unknownSlot) {
  Bytes slots(kGlnSlots.begin(), kGlnSlots.end());
  if (unknownSlot) std::replace(slots.begin(), slots.end(), std::uint8_t{8}, kUnknownSlot);
  return slots;
}

// The GLONASS frequency channels of kGlnSlots, in the same order.
const std::vector<int> kGlnChannels = {1, -4, 6, -2, 4, 3, 2};
const std::vector<ListEntry> kGalileo = {{kGalileoCode, 2},  {kGalileoCode, 7},
                                         {kGalileoCode, 11}, {kGalileoCode, 19},
                                         {kGalileoCode, 26}, {kGalileoCode, 30}};
const std::vector<ListEntry> kOtherSystems = {
    {kBeiDouCode, 6},  {kBeiDouCode, 14}, {kBeiDouCode, 23}, {kBeiDouCode, 28}, {kBeiDouCode, 37},
    {kBeiDouCode, 42}, {kSbasCode, 123},  {kSbasCode, 136},  {kQzssCode, 194},  {kNavIcCode, 2}};

// The satellite list of a receiver of today, 32 satellites: GPS as in the
// satellite index record, then Galileo, GLONASS in the order of the GLONASS
// number record, and the other systems.
std::vector<ListEntry> RoverSatelliteList(int second) {
  std::vector<ListEntry> entries;
  for (const SvContent& sv : GpsSatellites(second)) {
    entries.push_back({kGpsCode, sv.Number == 0 ? 32 : sv.Number});
  }
  entries.insert(entries.end(), kGalileo.begin(), kGalileo.end());
  for (const int channel : kGlnChannels) entries.push_back({kGlonassCode, channel});
  entries.insert(entries.end(), kOtherSystems.begin(), kOtherSystems.end());
  return entries;
}

void AddSatelliteRecords(ZelLog& log, RoverSatelliteRecords records, int second) {
  if (records == RoverSatelliteRecords::IndexWithOtherSystems) {
    log.SatelliteIndex(RoverSatelliteIndexWithOtherSystems(second));
    return;
  }
  // With both, the list comes first, so that the index record wins by its kind alone.
  if (records != RoverSatelliteRecords::Index) log.SatelliteList(RoverSatelliteList(second));
  if (records != RoverSatelliteRecords::List) log.SatelliteIndex(RoverSatelliteIndex(second));
}

// The rover's position sigma of each solution type, in metres.
float SigmaOf(std::uint8_t solution) {
  switch (solution) {
    case 4:
      return 0.012f;
    case 3:
      return 0.35f;
    case 2:
      return 0.8f;
    case 1:
      return 3.2f;
    default:
      return 30.0f;
  }
}

void AddPosition(ZelLog& log, const RoverLogOptions& o, int second) {
  const CoordinatesMm base = DemoStationMm();
  // A surveyor walks a few metres about the point.
  const double sway = 3.0 * std::sin(second / 300.0);
  log.PositionVelocity({.X = base.X / 1000.0 + kRoverOffsetX + sway,
                        .Y = base.Y / 1000.0 + kRoverOffsetY,
                        .Z = base.Z / 1000.0,
                        .Sigma = SigmaOf(PlannedSolution(o, second)),
                        .Solution = PlannedSolution(o, second)});
}

// Two GPS satellites, no GLONASS: the rover under a bridge.
void AddObstructedSatellites(ZelLog& log, int second) {
  Bytes entries;
  for (const SvContent& sv : GpsSatellites(second)) {
    if (entries.size() < 2) entries.push_back(sv.Number == 0 ? 32 : sv.Number);
  }
  log.SatelliteIndex(entries);
  log.GlonassNumbers({});
}

void AddFiller(ZelLog& log, Filler& filler, std::size_t bytes) {
  while (bytes > 0) {
    const std::size_t body = std::min<std::size_t>(bytes, 0xFFF);
    Bytes data(body);
    for (auto& b : data) b = filler.Next();
    log.Record("RO", data);
    bytes -= body;
  }
}

}  // namespace

CoordinatesMm DemoStationMm() {
  return {1'126'674'412, -4'357'871'711, 4'503'860'481, 1'500, 25, -40};
}

std::uint8_t PlannedSolution(const RoverLogOptions& options, int second) {
  const auto from = options.SolutionFrom.upper_bound(second);
  return from == options.SolutionFrom.begin() ? 4 : std::prev(from)->second;
}

Bytes MakeRoverLog(const RoverLogOptions& o) {
  ZelLog log;
  log.Raw("ZEL rover log\r\n").HeadText().Raw("pos},rtcm={off}}\r\n");
  if (o.FirstDateAtSecond == 0) log.ReceiverDate(o.Year, o.Month, o.Day);

  const StationInfoContent info{12, DemoStationMm(), "PELO", "BASE-NORTH-01",
                                "Pelorin demo reference station"};
  const auto infoPages =
      StationInfoPages(o.Station, StationInfoBlock(info), 53 + info.LongId.size());
  Filler filler;

  const double startDay = *EncodeDate(o.Year, o.Month, o.Day);
  const auto msOfDayAt = [&o](int second) {
    return static_cast<std::uint32_t>((o.StartMsOfDay + static_cast<std::uint64_t>(second) * 1000) %
                                      kMsPerDay);
  };
  const auto echoObservations = [&](int second) {
    const std::uint32_t msOfDay = msOfDayAt(second);
    const auto gpsEpoch = static_cast<std::int32_t>(msOfDay % kEpochCycleMs);
    const auto glnEpoch =
        static_cast<std::int32_t>((msOfDay + GpsToGlonassMs(o, second)) % kEpochCycleMs);
    log.Echo(CmrFrame(ObsMessage({o.Station, 0, 0, gpsEpoch, GpsSatellites(second), {}})));
    log.Echo(CmrFrame(ObsMessage({o.Station, 3, 0, glnEpoch, GlnSatellites(), {}})), 'D');
  };
  // The observations each epoch delivers late, by the second they belong to.
  std::map<int, std::vector<int>> delivered;
  const auto deliverAt = [&delivered](int epoch, int second) {
    delivered[epoch].push_back(second);
  };
  // A second of an outage delivers nothing, late or again; nor does an
  // epoch of one.
  for (const auto& [second, late] : o.LateSeconds) {
    if (!o.Gaps.count(second)) deliverAt(second + late, second);
  }
  for (const auto& [second, delay] : o.RepeatedSeconds) {
    if (o.Gaps.count(second)) continue;
    const auto late = o.LateSeconds.find(second);
    deliverAt(second + (late == o.LateSeconds.end() ? 0 : late->second) + delay, second);
  }

  for (int second = 0; second < o.Seconds; ++second) {
    const std::uint64_t msSinceStartDay =
        o.StartMsOfDay + static_cast<std::uint64_t>(second) * 1000;
    const auto msOfDay = static_cast<std::uint32_t>(msSinceStartDay % kMsPerDay);
    log.ReceiverTime(msOfDay);
    if (second == o.FirstDateAtSecond || (second > o.FirstDateAtSecond && second % 60 == 0)) {
      // The receiver writes the date of the day it is in.
      const CalendarTime today =
          DecodeDateTime(startDay + static_cast<double>(msSinceStartDay / kMsPerDay));
      log.ReceiverDate(static_cast<std::uint16_t>(today.Year),
                       static_cast<std::uint8_t>(today.Month),
                       static_cast<std::uint8_t>(today.Day));
    }
    if (o.WritePositions) AddPosition(log, o, second);
    if (o.ObstructedSeconds.count(second)) {
      AddObstructedSatellites(log, second);
    } else {
      AddSatelliteRecords(log, o.SatelliteRecords, second);
      log.GlonassNumbers(GlonassSlots(o.UnknownGlonassSlot));
    }
    AddFiller(log, filler, o.FillerBytesPerEpoch);

    const auto lateOnes = delivered.find(second);
    if (o.Gaps.count(second)) continue;
    const auto gpsEpoch = static_cast<std::int32_t>(msOfDay % kEpochCycleMs);
    if (!o.LateSeconds.count(second)) echoObservations(second);
    if (o.SecondStationEvery > 0 && second % o.SecondStationEvery == 5 % o.SecondStationEvery) {
      log.Echo(
          CmrFrame(ObsMessage({o.SecondStation, 0, 0, gpsEpoch, GpsSatellites(second + 1), {}})));
    }
    if (o.Type1Every > 0 && second % o.Type1Every == 2 % o.Type1Every) {
      CoordinatesMm station = DemoStationMm();
      if (o.MoveStationAtSecond >= 0 && second >= o.MoveStationAtSecond) {
        station.X += static_cast<std::int64_t>(kStationMoveMetres * 1000);
      }
      log.Echo(CmrFrame(Type1Message(o.Station, 12, station, gpsEpoch)));
    }
    if (o.Type2Every > 0 && second % o.Type2Every == 3 % o.Type2Every) {
      log.Echo(CmrFrame(
          Type2Message(o.Station, 12, "PELO", "BASE-NORTH-01", "Pelorin demo reference station")));
    }
    if (o.StationInfoPages) {
      log.Echo(infoPages[static_cast<std::size_t>(second) % infoPages.size()], 'E');
    }
    if (lateOnes != delivered.end()) {
      for (const int earlier : lateOnes->second) echoObservations(earlier);
    }
  }
  return log.bytes();
}

RoverLogOptions TroubledLinkOptions() {
  RoverLogOptions options;
  options.Seconds = 155;
  options.Gaps = {100, 101, 102, 103, 104};
  options.LateSeconds = {{80, 4}};
  for (int second = 20; second <= 50; ++second) options.RepeatedSeconds[second] = 1 + second % 3;
  return options;
}

}  // namespace pelorin::testdata
