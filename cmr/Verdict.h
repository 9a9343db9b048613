#pragma once
// The verdict on a day's link: the figures a surveyor is asked for, judged
// against limits the user can see. "good" when every limit holds,
// "marginal" when a limit is missed by less than a fifth of its value, "poor"
// otherwise, and "not enough data" for a log with under ten minutes of
// corrections.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "cmr/LinkReport.h"
#include "cmr/RoverSolution.h"

namespace pelorin {

inline constexpr double kShortestJudgedSeconds = 600;
// A limit missed by less than this share of its value is missed narrowly.
inline constexpr double kMarginalShare = 0.2;

struct LinkLimits {
  double MaxAgeSeconds = 10;
  int MinCommonSatellites = 5;
  double MinAvailablePercent = 95;
  double MaxOutageSeconds = 30;

  SolutionLimits ForSolution() const { return {MaxAgeSeconds, MinCommonSatellites}; }
};

// A move of the reference station's type 1 position.
struct BaseMove {
  std::optional<double> Time;  // GPS time it arrived
  double Metres = 0;
};

// The figures of one log, as the verdict and the table of many logs give them.
struct LinkFigures {
  // The first and last correction of either system (GPS time), and the
  // seconds between them.
  std::optional<double> FirstCorrection;
  std::optional<double> LastCorrection;
  double CorrectionSeconds = 0;
  // The rover's epochs, first to last and one interval: the time judged.
  std::int64_t Epochs = 0;
  double SpanSeconds = 0;
  // Epochs whose newest correction at the rover is no older than the age limit.
  std::optional<double> UsablePercent;
  // The outages of the corrections (both systems' gaps joined) and the longest.
  std::int64_t Outages = 0;
  std::optional<LinkGap> LongestOutage;
  // Age of the newest correction at the rover, over the epochs that had one.
  std::optional<double> AgeMedian;
  std::optional<double> AgeP95;
  std::optional<double> AgeMax;
  // Satellites in the corrections and tracked, over the epochs with usable ones.
  std::optional<double> CommonMedian;
  std::int64_t BadFrames = 0;  // CMR frames and CMR+ pages
  std::int64_t Stations = 0;
  std::optional<double> FixedPercent;  // with the rover's solution
  std::vector<BaseMove> BaseMoves;
};

enum class VerdictGrade { Good, Marginal, Poor, NotEnoughData };
std::string_view GradeText(VerdictGrade grade);

enum class VerdictCheck { Available, Outage, Common, BaseMoved };

// A limit missed, or the base moved.
struct VerdictReason {
  VerdictCheck Check = VerdictCheck::Available;
  VerdictGrade Grade = VerdictGrade::Poor;
  double Value = 0;
  double Limit = 0;
  std::optional<double> At;  // GPS time, where the reason has one
};

struct Verdict {
  VerdictGrade Grade = VerdictGrade::NotEnoughData;
  std::vector<VerdictReason> Reasons;  // in the order of the checks
  LinkLimits Limits;
  LinkFigures Figures;
};

LinkFigures MeasureFigures(const LinkReport& link, const RoverEpochs& rover,
                           const SolutionReport* solution, const LinkLimits& limits);
Verdict JudgeLink(const LinkFigures& figures, const LinkLimits& limits);

}  // namespace pelorin
