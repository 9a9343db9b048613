#pragma once
// The results of the last analysis. One instance lives for the whole run;
// each analysis overwrites it, and the views and chart windows only read it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelorin {

// X, Y, Z (Earth-centred, Earth-fixed), antenna height, east and north offset.
struct StationCoordinates {
  double X = 0, Y = 0, Z = 0, AntennaHeight = 0, EastOffset = 0, NorthOffset = 0;
  bool operator==(const StationCoordinates&) const = default;
};

// The short station ID, COGO code and long station ID, trimmed.
struct StationIdentifiers {
  std::string ShortId;
  std::string CogoCode;
  std::string LongId;
  bool operator==(const StationIdentifiers&) const = default;
};

inline constexpr std::size_t kShortIdWidth = 8;
inline constexpr std::size_t kCogoCodeWidth = 17;
inline constexpr std::size_t kLongIdWidth = 51;
inline constexpr std::size_t kStationInfoBytes = 200;

struct DecodedStore {
  std::string SelectedLogPath;
  std::string ProgramDirectory;

  std::int32_t Type0Count = 0;
  std::int32_t Type1Count = 0;
  std::int32_t Type2Count = 0;
  std::int32_t Type3Count = 0;
  std::int32_t CmrPlusCount = 0;

  std::int32_t ReferenceStationId = 0;
  std::array<std::int32_t, 32> StationIdTally{};
  std::int32_t AntennaTypeNumber = 0;
  std::array<std::int32_t, 256> AntennaTypeTally{};

  double LogStartTime = 0;
  std::uint64_t CmrStreamLength = 0;

  StationCoordinates Type1Coordinates;  // metres
  std::array<std::uint8_t, kStationInfoBytes> StationInfoBlock{};
  bool StationInfoWaiting = true;
  bool StationInfoComplete = false;
  StationCoordinates StationInfoCoordinates;  // millimetres

  std::string Type2ShortId = std::string(kShortIdWidth, ' ');
  std::string Type2CogoCode = std::string(kCogoCodeWidth, ' ');
  std::string Type2LongId = std::string(kLongIdWidth, ' ');
  std::string InfoShortId = std::string(kShortIdWidth, ' ');
  std::string InfoCogoCode = std::string(kCogoCodeWidth, ' ');
  std::string InfoLongId = std::string(kLongIdWidth, ' ');
};

// The five message counts back to 0.
inline void ZeroCounts(DecodedStore& store) {
  store.Type0Count = store.Type1Count = store.Type2Count = store.Type3Count = 0;
  store.CmrPlusCount = 0;
}

// A set held in millimetres (the station information) in metres.
inline StationCoordinates MillimetresToMetres(const StationCoordinates& mm) {
  constexpr double kMetresPerMillimetre = 0.001;
  return {mm.X * kMetresPerMillimetre,          mm.Y * kMetresPerMillimetre,
          mm.Z * kMetresPerMillimetre,          mm.AntennaHeight * kMetresPerMillimetre,
          mm.EastOffset * kMetresPerMillimetre, mm.NorthOffset * kMetresPerMillimetre};
}

}  // namespace pelorin
