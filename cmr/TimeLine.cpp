#include "cmr/TimeLine.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>

#include "log/DateTime.h"

namespace pelorin {
namespace {

constexpr double kBlockTolerance = 1e-6;  // of a 4-minute block: 0.24 ms
constexpr double kNotDated = std::numeric_limits<double>::quiet_NaN();

// A system's message times as whole milliseconds since its first message,
// in the order the messages came.
struct SystemTimes {
  double AnchorTime = 0;
  LargeVector<std::int64_t> ElapsedMs;
};

// The GLONASS reference time is the log's start plus 10 787 s.
double ReferenceTimeOf(GnssSystem system, const DecodedStore& store) {
  return system == GnssSystem::Gps ? store.LogStartTime : store.LogStartTime + kGlnTimeOffsetDays;
}

// Type0Count for GPS, Type3Count for GLONASS.
std::int32_t& CountOf(GnssSystem system, DecodedStore& store) {
  return system == GnssSystem::Gps ? store.Type0Count : store.Type3Count;
}

// The whole seconds in which no message came between two messages this
// far apart, counted back from the later one; none up to 1000.01 ms.
std::int64_t MissingSecondsBetween(std::int64_t differenceMs) {
  if (differenceMs <= kMissingEpochThresholdMs) return 0;
  const auto missing = static_cast<std::int64_t>((differenceMs + 0.000001) * 0.001) - 1;
  return missing < 1 ? 1 : missing;
}

// Markers at T - 1 s .. T - n s for the seconds in which no message came
// before the message at T.
void AddMissingEpochPoints(ChartSeries& series, double messageTime, std::int64_t missing) {
  for (std::int64_t i = 1; i <= missing; ++i) {
    series.AddPoint(messageTime - i * kOneSecondDays, -1, "", kColourBlue);
  }
}

// The times of a system's messages, each once, in time order. A link that
// delivers in order gives them so already.
LargeVector<std::int64_t> DistinctInTimeOrder(LargeVector<std::int64_t> elapsedMs) {
  if (!std::is_sorted(elapsedMs.begin(), elapsedMs.end())) {
    std::sort(elapsedMs.begin(), elapsedMs.end());
  }
  elapsedMs.erase(std::unique(elapsedMs.begin(), elapsedMs.end()), elapsedMs.end());
  return elapsedMs;
}

// Marks the missing seconds between neighbouring message times of a window,
// gaps in time order. A jump of more than a day is a log whose dates jump,
// not an outage; nor is a gap beyond the most a window marks.
void MarkMissingSeconds(const SystemTimes& times, std::int64_t mostMarked, ChartSeries& series,
                        std::int64_t& marked, std::vector<MissingRun>* gaps,
                        std::int64_t& unmarked) {
  const LargeVector<std::int64_t> distinct = DistinctInTimeOrder(times.ElapsedMs);
  for (std::size_t k = 1; k < distinct.size(); ++k) {
    const std::int64_t differenceMs = distinct[k] - distinct[k - 1];
    const std::int64_t missing = MissingSecondsBetween(differenceMs);
    if (missing == 0) continue;
    if (differenceMs > kMsPerDay || marked + differenceMs / 1000 > mostMarked) {
      unmarked += missing;
      continue;
    }
    const double messageTime = times.AnchorTime + distinct[k] / static_cast<double>(kMsPerDay);
    AddMissingEpochPoints(series, messageTime, missing);
    marked += missing;
    if (gaps) {
      gaps->push_back(
          {messageTime - missing * kOneSecondDays, messageTime - kOneSecondDays, missing});
    }
  }
}

// Which messages repeat a time already seen, and how many of the others
// came after a newer one, and by how much.
DeliveryOrder ReadDeliveryOrder(const LargeVector<std::int64_t>& elapsedMs,
                                std::vector<bool>& repeated) {
  DeliveryOrder order;
  repeated.assign(elapsedMs.size(), false);
  if (std::adjacent_find(elapsedMs.begin(), elapsedMs.end(), std::greater_equal<>()) ==
      elapsedMs.end()) {
    return order;  // strictly in time order: nothing came twice or late
  }
  std::vector<std::size_t> byTime(elapsedMs.size());
  std::iota(byTime.begin(), byTime.end(), std::size_t{0});
  std::stable_sort(byTime.begin(), byTime.end(), [&elapsedMs](std::size_t a, std::size_t b) {
    return elapsedMs[a] < elapsedMs[b];
  });
  for (std::size_t k = 1; k < byTime.size(); ++k) {
    if (elapsedMs[byTime[k]] == elapsedMs[byTime[k - 1]]) repeated[byTime[k]] = true;
  }
  std::int64_t newest = elapsedMs.front();
  for (std::size_t k = 0; k < elapsedMs.size(); ++k) {
    if (repeated[k]) {
      ++order.Repeated;
    } else if (elapsedMs[k] < newest) {
      ++order.Late;
      order.MostLateMs = std::max(order.MostLateMs, newest - elapsedMs[k]);
    }
    newest = std::max(newest, elapsedMs[k]);
  }
  return order;
}

// The numbers of the satellites with L1 phase in the blocks at `pos`, as
// they would be plotted.
SatelliteSet PlottedSatellites(ByteSpan stream, std::uint64_t pos, const ObsHeader& header) {
  SatelliteSet plotted = 0;
  for (int k = 0; k < header.SatelliteCount; ++k) {
    const auto block = DecodeSvBlock(stream, pos);
    if (!block) break;
    const int number =
        header.Gps && block->SatelliteNumber == 0 ? kGpsPrnForZero : block->SatelliteNumber;
    if (block->L1PhaseValid) plotted |= SatelliteSet{1} << number;
    pos += kSvBlockBytes + (block->L2Follows ? kL2BlockBytes : 0);
  }
  return plotted;
}

struct SatelliteBlocks {
  std::uint64_t End = 0;         // the position after them
  SatelliteSet WithL1Phase = 0;  // the numbers plotted
};

// Satellite and no-L2 points of the blocks at `pos`.
SatelliteBlocks AddSatellitePoints(ByteSpan stream, std::uint64_t pos, const ObsHeader& header,
                                   double messageTime, SatelliteCharts& charts, GnssSystem window) {
  SatelliteSet plotted = 0;
  ChartSeries& present = charts.Series(window, 2);
  ChartSeries& noL2 = charts.Series(window, 4);
  for (int k = 0; k < header.SatelliteCount; ++k) {
    const auto block = DecodeSvBlock(stream, pos);
    if (!block) break;
    const double x = messageTime + k * kOneMsDays;
    double y = block->SatelliteNumber;
    double yNoL2 = y + kNoL2Offset;
    if (header.Gps && block->SatelliteNumber == 0) y = yNoL2 = kGpsPrnForZero;
    if (block->L1PhaseValid) {
      present.AddPoint(x, y, "", kColourBlue);
      plotted |= SatelliteSet{1} << static_cast<int>(y);
    }
    pos += kSvBlockBytes;
    if (block->L2Follows) {
      pos += kL2BlockBytes;
    } else if (block->L1PhaseValid) {
      noL2.AddPoint(x, yNoL2, "", kColourBlue);
    }
  }
  return {pos, plotted};
}

// GLONASS messages are timed in GLONASS system time: UTC + 3 h.
std::optional<double> ArrivalInSystemTime(std::optional<double> gpsArrival, bool gps) {
  if (!gpsArrival || gps) return gpsArrival;
  return *gpsArrival + GpsToGlonassOffsetDays(*gpsArrival);
}

}  // namespace

void ClearSatelliteSeries(SatelliteCharts& charts) {
  for (GnssSystem window : {GnssSystem::Glonass, GnssSystem::Gps}) {
    for (int n = 1; n <= kSeriesPerWindow; ++n) charts.Series(window, n).Clear();
    charts.Series(window, 3).SetActive(false);
  }
}

void ResetTimeLine(DecodedStore& store, TimeLineState& timeLine) {
  store.StationIdTally.fill(0);
  for (SystemTimeLineState& system : timeLine.Systems) {
    system.TimeLineStarted = false;
    system.MissingMarked = 0;
  }
  timeLine[GnssSystem::Glonass].CmrTime = 0;
}

double AnchorFirstMessage(double reference, std::int32_t epochTimeMs) {
  // CMR time runs modulo four minutes, so the first message is placed in the
  // 4-minute block of the reference and moved by one block when it lands
  // more than a block away from it.
  // A start exactly on a block boundary can come out of reference * 360 a hair
  // below the whole number; a tolerance far below one millisecond keeps such a
  // start in its own block instead of the one before it.
  const double block =
      static_cast<double>(static_cast<long long>(reference * 360.0 + kBlockTolerance));
  double time = block / 360.0 + epochTimeMs / 86'400'000.0;
  if (time - reference > kFourMinuteBlockDays) time -= kFourMinuteBlockDays;
  if (time - reference < -kFourMinuteBlockDays) time += kFourMinuteBlockDays;
  return time;
}

double NearestCycleToArrival(double messageTime, std::optional<double> arrival) {
  if (!arrival || std::abs(messageTime - *arrival) <= kArrivalToleranceDays) return messageTime;
  const double cycles = std::round((*arrival - messageTime) / kFourMinuteBlockDays);
  return messageTime + cycles * kFourMinuteBlockDays;
}

std::int64_t MostMissingSeconds(const EpochScanResult& scan) {
  constexpr std::int64_t kMarginSeconds = 240;
  std::optional<double> first;
  std::optional<double> last;
  const auto take = [&first, &last](double time) {
    first = first ? std::min(*first, time) : time;
    last = last ? std::max(*last, time) : time;
  };
  for (const TrackedEpoch& epoch : scan.Epochs) take(epoch.Time);
  if (scan.LastEpoch) take(scan.LastEpoch->Time);
  if (!first) return kMarginSeconds;
  return std::llround((*last - *first) * kSecondsPerDay) + kMarginSeconds;
}

void BuildTimeLine(const CmrStream& cmr, DecodedStore& store, TimeLineState& timeLine,
                   SatelliteCharts& charts, const ArrivalTimes& arrivals, TimeLineRecord* record) {
  const ByteSpan stream = cmr.Bytes();
  std::array<SystemTimes, 2> times;
  ForEachCmrFrame(cmr, [&](std::uint64_t frame) {
    const std::uint64_t message = frame + kFrameHeaderBytes;
    const auto header = DecodeObsHeader(stream, message);
    if (!header || header->StationId != store.ReferenceStationId) return message;

    const GnssSystem id = header->Gps ? GnssSystem::Gps : GnssSystem::Glonass;
    SystemTimeLineState& system = timeLine[id];
    const auto gpsArrival = arrivals.At(frame);
    const auto arrival = ArrivalInSystemTime(gpsArrival, header->Gps);
    const auto w = static_cast<std::size_t>(id);
    if (!system.TimeLineStarted) {
      // The first message anchors the time line; its own bytes are scanned on.
      system.CmrTime = NearestCycleToArrival(
          AnchorFirstMessage(ReferenceTimeOf(id, store), header->EpochTimeMs), arrival);
      system.AnchorTime = system.CmrTime;
      system.ElapsedMs = 0;
      system.TimeLineStarted = true;
      system.LastEpochMs = header->EpochTimeMs;
      ++CountOf(id, store);
      times[w] = {system.AnchorTime, {0}};
      if (record) {
        // Its satellites are not plotted, but it is a message of its second.
        const SatelliteSet plotted =
            PlottedSatellites(stream, message + kMessageHeaderBytes, *header);
        record->Messages[w].push_back({system.CmrTime, gpsArrival.value_or(kNotDated), plotted});
      }
      return message;
    }

    const std::int32_t rawDifference = header->EpochTimeMs - system.LastEpochMs;
    const std::int32_t difference =
        rawDifference < 0 ? rawDifference + kEpochCycleMs : rawDifference;
    std::int64_t elapsedMs = difference;
    // After an outage of 4 minutes or more the cycle alone cannot tell how
    // many cycles passed; the message's arrival at the rover can.
    const double cycleTime = system.AnchorTime + (system.ElapsedMs + difference) * kOneMsDays;
    const double nearArrival = NearestCycleToArrival(cycleTime, arrival);
    if (nearArrival != cycleTime) {
      elapsedMs += std::llround((nearArrival - cycleTime) / kFourMinuteBlockDays) * kEpochCycleMs;
    }
    system.ElapsedMs += elapsedMs;
    const double messageTime =
        system.AnchorTime + system.ElapsedMs / static_cast<double>(kMsPerDay);
    system.CmrTime = messageTime;
    times[w].ElapsedMs.push_back(system.ElapsedMs);

    charts.Series(id, 1).AddPoint(messageTime, header->SatelliteCount, "", kColourBlue);
    system.LastEpochMs = header->EpochTimeMs;
    ++CountOf(id, store);

    const SatelliteBlocks blocks =
        AddSatellitePoints(stream, message + kMessageHeaderBytes, *header, messageTime, charts, id);
    if (record) {
      record->Messages[w].push_back(
          {messageTime, gpsArrival.value_or(kNotDated), blocks.WithL1Phase});
    }
    return blocks.End;
  });

  for (const GnssSystem window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    const auto w = static_cast<std::size_t>(window);
    std::int64_t unmarked = 0;
    MarkMissingSeconds(times[w], timeLine.MostMissingMarked, charts.Series(window, 3),
                       timeLine[window].MissingMarked, record ? &record->Gaps[w] : nullptr,
                       unmarked);
    if (!record) continue;
    record->UnmarkedSeconds[w] = unmarked;
    std::vector<bool> repeated;
    record->Delivery[w] = ReadDeliveryOrder(times[w].ElapsedMs, repeated);
    for (std::size_t k = 0; k < repeated.size(); ++k) {
      record->Messages[w][k].Repeated = repeated[k];
    }
  }
}

}  // namespace pelorin
