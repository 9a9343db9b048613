#pragma once
// The link report: how well the radio link carried the corrections to the
// rover, measured from what one analysis already has in hand, instead of
// read by eye off the satellite windows.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "cmr/ArrivalTimes.h"
#include "cmr/CmrStream.h"
#include "cmr/DecodedStore.h"
#include "cmr/StationPasses.h"
#include "cmr/TimeLine.h"
#include "log/EpochScan.h"
#include "platform/LargeMemory.h"

namespace pelorin {

inline constexpr double kOldCorrectionSeconds = 5.0;

// First and last message, the whole seconds that had one, and their share
// of the seconds from the first to the last.
struct LinkSpan {
  std::optional<double> First;
  std::optional<double> Last;
  std::int64_t Seconds = 0;
  double Percent = 0;
};

// A run of missing seconds, as the time line marks them: the first and the
// last missing second.
struct LinkGap {
  double Start = 0;
  double End = 0;
  std::int64_t Seconds = 0;
};

// Age of the corrections at the rover: the time of the rover epoch in which
// a message's echo was logged minus the message's own time, in seconds.
struct LinkAges {
  std::int64_t Count = 0;  // messages whose arrival is dated
  double Median = 0;
  double P95 = 0;
  double Max = 0;
  std::int64_t Over5s = 0;
};

struct LinkSatellite {
  int Id = 0;
  std::int64_t Tracked = 0;    // seconds tracked at the rover
  std::int64_t Corrected = 0;  // seconds in the corrections
  // Seconds tracked while the message of that second carried others, not it.
  std::int64_t TrackedWithoutCorrections = 0;
  bool operator==(const LinkSatellite&) const = default;
};

// A second with both a message and a rover epoch.
struct CommonSecond {
  double Time = 0;
  int Corrected = 0;
  int Tracked = 0;
  int Common = 0;
};

// One message's age at the rover, at its own time (in the window's time).
struct AgeAt {
  double Time = 0;
  double Seconds = 0;
};

struct SystemLink {
  LinkSpan Span;
  std::vector<LinkGap> Gaps;  // in time order
  // Seconds of jumps of more than a day, and of gaps beyond the most a
  // window marks, which are no gaps above: with the seconds with a message
  // and the gaps' seconds they make up the span.
  std::int64_t UnmarkedSeconds = 0;
  LinkAges Ages;                          // of each message time's first copy
  LargeVector<AgeAt> AgeOverTime;         // in the order of the messages, first copies dated
  std::vector<LinkSatellite> Satellites;  // by id
  LargeVector<CommonSecond> Common;       // in time order, a second once
  DeliveryOrder Delivery;                 // copies and late messages
};

struct LinkMinute {
  double Time = 0;  // start of the minute, GPS time
  std::int64_t BadFrames = 0;
  std::int64_t StrayBytes = 0;
};

// What the link did to the stream: frames and pages that fail their checks,
// and bytes that belong to no frame, in all and per minute of arrival (only
// the minutes with any).
struct LinkIntegrity {
  std::int64_t BadFrames = 0;
  std::int64_t BadPages = 0;
  std::int64_t StrayBytes = 0;
  std::vector<LinkMinute> PerMinute;
};

struct LinkStation {
  int Id = 0;
  std::int64_t Messages = 0;  // CMR frames and CMR+ pages
  bool operator==(const LinkStation&) const = default;
};

// The type 1 position the analysis took, at the first message and wherever
// it changed; Time is the GPS time the message arrived, when dated.
struct PositionChange {
  std::optional<double> Time;
  double X = 0;
  double Y = 0;
  double Z = 0;
};

struct LinkReport {
  std::array<SystemLink, 2> Systems;  // GPS (type 0), GLONASS (type 3)
  LinkIntegrity Integrity;
  std::vector<LinkStation> Stations;
  // GPS times at which the station heard changed: another station's
  // observation frames began to arrive, three in a row without the station
  // heard before; in stream order, dated arrivals only.
  std::vector<double> StationChanges;
  std::optional<double> Type1VsInfoMetres;
  std::vector<PositionChange> PositionChanges;
};

struct LinkInputs {
  const CmrStream& Stream;
  const ArrivalTimes& Arrivals;
  const TimeLineRecord& TimeLine;
  const EpochScanResult& Epochs;
  const std::vector<AcceptedPosition>& Type1Positions;
  const DecodedStore& Store;
};

LinkReport MeasureLink(const LinkInputs& inputs);

}  // namespace pelorin
