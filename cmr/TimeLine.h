#pragma once
// The CMR time line: absolute times for the type 0 and type 3 messages of the
// reference station, and the chart points of the two satellite windows.

#include <array>
#include <optional>
#include <vector>

#include "cmr/ArrivalTimes.h"
#include "cmr/CmrDecode.h"
#include "cmr/CmrStream.h"
#include "cmr/DecodedStore.h"
#include "platform/ChartSeries.h"
#include "platform/LargeMemory.h"

namespace pelorin {

inline constexpr double kFourMinuteBlockDays = 1.0 / 360.0;
inline constexpr std::int32_t kEpochCycleMs = 240'000;
// GLONASS reference time is the log's start plus 10 787 s.
inline constexpr double kGlnTimeOffsetDays = 10'787.0 / 86'400.0;
inline constexpr double kMissingEpochThresholdMs = 1000.01;
inline constexpr double kNoL2Offset = 0.003;
inline constexpr int kGpsPrnForZero = 32;

// The time line of one system's observation messages (GPS from type 0,
// GLONASS from type 3), for one analysis.
struct SystemTimeLineState {
  // A first message of the system has anchored its time line.
  bool TimeLineStarted = false;
  // The time of the latest message, and the epoch time (ms within the
  // 4-minute cycle) it carried.
  double CmrTime = 0;
  std::int32_t LastEpochMs = 0;
  // The time is kept as the first message's time plus whole milliseconds
  // since, so that a day of one-second steps does not gather the rounding
  // of 86 400 additions.
  double AnchorTime = 0;
  std::int64_t ElapsedMs = 0;
  // Missing seconds marked (Series3 points) in this analysis.
  std::int64_t MissingMarked = 0;
};

struct TimeLineState {
  std::array<SystemTimeLineState, kSystemCount> Systems;
  // The most missing seconds a window marks: a log whose receiver dates move
  // a day on at every message would otherwise make each few bytes ask for a
  // day of markers. The analysis sets it from the log's dated epochs; a
  // year, more than any real log misses, where the passes run on a stream
  // alone.
  std::int64_t MostMissingMarked = std::int64_t{366} * 86'400;

  SystemTimeLineState& operator[](GnssSystem system) {
    return Systems[static_cast<std::size_t>(system)];
  }
  const SystemTimeLineState& operator[](GnssSystem system) const {
    return Systems[static_cast<std::size_t>(system)];
  }
};

// Empties all five series of both windows and hides Series3 (GLONASS first).
void ClearSatelliteSeries(SatelliteCharts& charts);
// Resets the station tally and the time-line flags before pass A.
void ResetTimeLine(DecodedStore& store, TimeLineState& timeLine);
// The time of the first message of a system, anchored on `reference`.
double AnchorFirstMessage(double reference, std::int32_t epochTimeMs);
// A message timed more than this far from its arrival at the rover is put in
// the 4-minute cycle nearest to its arrival.
inline constexpr double kArrivalToleranceDays = 120.0 / 86'400.0;
// The time congruent to `messageTime` modulo 4 minutes nearest to `arrival`,
// when the two are more than 120 s apart; otherwise `messageTime` itself.
double NearestCycleToArrival(double messageTime, std::optional<double> arrival);

// Satellite numbers as a set: bit n for number n (GPS PRN 1..32, the PRN
// field 0 counted as 32; GLONASS slot as received, 0..31).
using SatelliteSet = std::uint64_t;

// What pass B saw, kept for the link report: every message of the reference
// station with its time and satellites, and every run of missing seconds it
// marked, per window (GPS, GLONASS).
struct TimedMessage {
  double Time = 0;              // in the window's time: GPS, or GLONASS system time
  double Arrival = 0;           // GPS time of the rover epoch it arrived in; NaN when not dated
  SatelliteSet Satellites = 0;  // with L1 phase
  bool Repeated = false;        // a message of this time came before it
};
struct MissingRun {
  double First = 0;  // the first and last missing second
  double Last = 0;
  std::int64_t Seconds = 0;
};
// How a system's messages came in: copies of a time already seen (a
// repeater, a link that sends twice), and first copies that came after a
// newer message, with the largest such lateness.
struct DeliveryOrder {
  std::int64_t Repeated = 0;
  std::int64_t Late = 0;
  std::int64_t MostLateMs = 0;
};
struct TimeLineRecord {
  std::array<LargeVector<TimedMessage>, 2> Messages;
  std::array<std::vector<MissingRun>, 2> Gaps;
  std::array<DeliveryOrder, 2> Delivery;
  // Seconds between neighbouring messages left unmarked: jumps of more than
  // a day, and gaps beyond the most a window marks.
  std::array<std::int64_t, 2> UnmarkedSeconds{};
};

// The most missing seconds a window marks in one analysis: the span of the
// log's own dated epochs plus 240 s. Messages are kept within 120 s of their
// arrival, so no real outage is longer; a log whose dates jump or cannot be
// read asks for no more than that.
std::int64_t MostMissingSeconds(const EpochScanResult& scan);

// Pass B: counts the observables of the reference station and adds their
// points. Messages whose arrival is known are kept within 120 s of it. The
// seconds in which no message came are marked once all messages are timed,
// between neighbouring times of a system: a copy of an earlier message, or
// a message delivered late, is no outage.
// `record`, when given, keeps what the link report needs.
void BuildTimeLine(const CmrStream& stream, DecodedStore& store, TimeLineState& timeLine,
                   SatelliteCharts& charts, const ArrivalTimes& arrivals = {},
                   TimeLineRecord* record = nullptr);

}  // namespace pelorin
