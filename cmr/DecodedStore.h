#pragma once
// The results of the last analysis. One instance lives for the whole run;
// each analysis overwrites it, and the views and chart windows only read it.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "log/LogSweep.h"

namespace pelorin {

// X, Y, Z (Earth-centred, Earth-fixed), antenna height, east and north offset.
struct StationCoordinates {
  double X = 0, Y = 0, Z = 0, AntennaHeight = 0, EastOffset = 0, NorthOffset = 0;
  bool operator==(const StationCoordinates&) const = default;
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

// Time line of the CMR observation messages. The flags and GlnCmrTime are
// reset at every analysis; the other values are only overwritten.
struct TimeLineState {
  bool GpsTimeLineStarted = false;
  bool GlnTimeLineStarted = false;
  double GpsCmrTime = 0;
  double GlnCmrTime = 0;
  // Each system's time is kept as its first message's time plus whole
  // milliseconds since, so that a day of one-second steps does not gather
  // the rounding of 86 400 additions.
  double GpsAnchorTime = 0;
  double GlnAnchorTime = 0;
  std::int64_t GpsElapsedMs = 0;
  std::int64_t GlnElapsedMs = 0;
  std::int32_t LastGpsEpochMs = 0;
  std::int32_t LastGlnEpochMs = 0;
  // Missing seconds marked (Series3 points) in this analysis, per window, and
  // the most any window marks: a log whose receiver dates move a day on at
  // every message would otherwise make each few bytes ask for a day of
  // markers. The analysis sets it from the log's dated epochs; a year, more
  // than any real log misses, where the passes run on a stream alone.
  std::int64_t GpsMissingMarked = 0;
  std::int64_t GlnMissingMarked = 0;
  std::int64_t MostMissingMarked = std::int64_t{366} * 86'400;
};

// What the last epoch scan of the log gave; all zero when it did not run.
struct EpochScanSummary {
  bool Ran = false;
  bool Completed = false;
  std::uint64_t EpochsScanned = 0;
  std::uint64_t GlnTotalsMismatchEpochs = 0;
};

// Where the last analysis wrote the CMR stream, or why it did not.
struct ContentsOutcome {
  bool Attempted = false;
  bool Written = false;
  std::string Path;
  std::string Reason;  // when not written
};

// How the last analysis went besides its results: how the log was read and
// where its stream went. The report and the window's hints tell of it.
struct AnalysisNotes {
  SweepResult Read;
  std::optional<std::uint64_t> SizeWhenChosen;
  ContentsOutcome Contents;
  bool OutOfMemory = false;
};

struct LinkReport;

// Everything the main window's unit owns for the whole run.
struct SharedState {
  DecodedStore Store;
  TimeLineState TimeLine;
  EpochScanSummary LastEpochScan;
  AnalysisNotes LastAnalysis;
  // The link report and the unwrapped CMR stream of the last analysis that
  // got as far as its passes, for the views and exports that ask for them.
  std::shared_ptr<const LinkReport> LastLink;
  std::shared_ptr<const std::vector<std::uint8_t>> LastCmrStream;
  std::int32_t GpsLegendClickCount = 0;
  std::int32_t GlnLegendClickCount = 0;
};

}  // namespace pelorin
