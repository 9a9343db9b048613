#pragma once
// The rover's own solution beside the link: epoch by epoch, what the rover
// solved and how it stood with the corrections at that moment; then the
// shares of each solution type, every loss of the RTK fix with its cause,
// the time to fix after each outage, and the baseline to the reference.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cmr/LinkReport.h"
#include "cmr/TimeLine.h"
#include "log/EpochScan.h"
#include "platform/LargeMemory.h"

namespace pelorin {

// A change of the station, or of its type 1 position, counts against a loss
// of the fix for this long after it.
inline constexpr double kStationChangeSeconds = 10.0;

// One dated rover epoch.
struct RoverEpoch {
  double Time = 0;  // GPS time
  // From the epoch's position record; NaN where the epoch has none.
  float Sigma = std::numeric_limits<float>::quiet_NaN();
  // To the reference station's type 1 position in force; NaN before the first.
  float BaselineKm = std::numeric_limits<float>::quiet_NaN();
  // Seconds since the time of the newest correction message of either system
  // that had reached the rover; infinite before the first.
  float CorrectionAge = std::numeric_limits<float>::infinity();
  std::uint8_t Solution = kNoSolution;
  // Satellites of both systems in the newest corrections of that second and
  // tracked at the rover.
  std::uint8_t Common = 0;
  bool HasPosition : 1 = false;
  // The epoch's second is a missing second of either system's corrections.
  bool InGap : 1 = false;
  // The station heard, or its type 1 position, changed in the seconds before.
  bool StationChanged : 1 = false;
};

struct RoverEpochs {
  LargeVector<RoverEpoch> Epochs;  // in file order
  std::int64_t PositionRecords = 0;
  std::int64_t SkippedRecords = 0;
  // The log carries the rover's solution at all.
  bool HasSolution() const { return PositionRecords > 0 || SkippedRecords > 0; }
};

// Every dated epoch of the scan, with what the link report knows of its moment.
RoverEpochs FollowRoverEpochs(const EpochScanResult& scan, const TimeLineRecord& timeLine,
                              const LinkReport& link);

struct SolutionLimits {
  double MaxAgeSeconds = 10;
  int MinCommonSatellites = 5;
};

enum class LossCause { CorrectionsMissing, TooFewCommonSatellites, StationChanged, AtTheRover };
std::string_view LossCauseText(LossCause cause);
// "RTK fixed", "RTK float"..., or the type's number.
std::string SolutionTypeName(std::uint8_t solution);
// The JSON key of a type: "rtkFixed"..., or its number.
std::string SolutionTypeKey(std::uint8_t solution);
// The best first: RTK fixed 0, RTK float 1, code differential 2, standalone
// 3, no solution 4; the types of other numbers after them, by number.
int SolutionRank(std::uint8_t solution);

// An epoch not RTK fixed right after one that is.
struct FixLoss {
  double Start = 0;
  std::optional<double> Seconds;  // to the next fixed epoch; none when not regained
  std::uint8_t FellTo = kNoSolution;
  LossCause Cause = LossCause::AtTheRover;
};

struct SolutionShare {
  std::uint8_t Solution = kNoSolution;
  std::int64_t Epochs = 0;
  double Percent = 0;
};

struct FixRun {
  double Start = 0;
  double Seconds = 0;
};

struct SpreadOf {
  double Min = 0;
  double Median = 0;
  double Max = 0;
};

struct SolutionReport {
  std::int64_t Epochs = 0;
  std::int64_t EpochsWithoutPosition = 0;  // counted as no solution
  std::vector<SolutionShare> Shares;       // by type, the types that occur
  double FixedPercent = 0;
  double SpanSeconds = 0;  // first epoch to last, and one epoch interval
  std::optional<FixRun> LongestFixed;
  std::vector<FixLoss> Losses;
  // From the end of each outage of the corrections during which the fix was
  // lost, to the first fixed epoch after it.
  std::vector<double> TimesToFix;
  std::optional<double> TimeToFixMedian;
  std::optional<double> TimeToFixMax;
  std::optional<SpreadOf> BaselineKm;
  std::int64_t SkippedRecords = 0;
};

SolutionReport MeasureSolution(const RoverEpochs& rover, const LinkReport& link,
                               const SolutionLimits& limits);

// The outages of the corrections: the gaps of both systems, in GPS time,
// those that overlap or touch joined; [Start, End] are missing seconds.
std::vector<LinkGap> CorrectionOutages(const LinkReport& link);

}  // namespace pelorin
