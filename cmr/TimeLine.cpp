#include "cmr/TimeLine.h"

#include <cmath>
#include <limits>

#include "log/DateTime.h"

namespace pelorin {
namespace {

constexpr double kBlockTolerance = 1e-6;  // of a 4-minute block: 0.24 ms
constexpr double kNotDated = std::numeric_limits<double>::quiet_NaN();

// Per-system view of the time-line state.
struct SystemTimeLine {
  bool& Started;
  double& CmrTime;
  double& AnchorTime;
  std::int64_t& ElapsedMs;
  std::int32_t& LastEpochMs;
  std::int32_t& Count;
  std::int64_t& MissingMarked;
  SatelliteWindow Window;
  double Reference;
};

SystemTimeLine TimeLineOf(bool gps, DecodedStore& store, TimeLineState& t) {
  if (gps) {
    return {t.GpsTimeLineStarted, t.GpsCmrTime,         t.GpsAnchorTime,
            t.GpsElapsedMs,       t.LastGpsEpochMs,     store.Type0Count,
            t.GpsMissingMarked,   SatelliteWindow::Gps, store.LogStartTime};
  }
  return {t.GlnTimeLineStarted, t.GlnCmrTime,         t.GlnAnchorTime,
          t.GlnElapsedMs,       t.LastGlnEpochMs,     store.Type3Count,
          t.GlnMissingMarked,   SatelliteWindow::Gln, store.LogStartTime + kGlnTimeOffsetDays};
}

// Markers at T - 1 s .. T - n s for the seconds in which no message came,
// counted from the time between the two messages, the 4-minute wrap
// included: a gap across the wrap is as much a gap as any other.
// Gives how many seconds it marked.
std::int64_t AddMissingEpochPoints(ChartSeries& series, double messageTime,
                                   std::int64_t differenceMs) {
  if (differenceMs <= kMissingEpochThresholdMs) return 0;
  std::int64_t missing = static_cast<std::int64_t>((differenceMs + 0.000001) * 0.001) - 1;
  if (missing < 1) missing = 1;
  for (std::int64_t i = 1; i <= missing; ++i) {
    series.AddPoint(messageTime - i * kOneSecondDays, -1, "", kColourBlue);
  }
  return missing;
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
                                   double messageTime, SatelliteCharts& charts,
                                   SatelliteWindow window) {
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
  for (SatelliteWindow window : {SatelliteWindow::Gln, SatelliteWindow::Gps}) {
    for (int n = 1; n <= kSeriesPerWindow; ++n) charts.Series(window, n).Clear();
    charts.Series(window, 3).SetActive(false);
  }
}

void ResetTimeLine(DecodedStore& store, TimeLineState& timeLine) {
  store.StationIdTally.fill(0);
  timeLine.GpsTimeLineStarted = false;
  timeLine.GlnTimeLineStarted = false;
  timeLine.GlnCmrTime = 0;
  timeLine.GpsMissingMarked = 0;
  timeLine.GlnMissingMarked = 0;
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

void BuildTimeLine(const CmrStream& cmr, DecodedStore& store, TimeLineState& timeLine,
                   SatelliteCharts& charts, const ArrivalTimes& arrivals, TimeLineRecord* record) {
  const ByteSpan stream = cmr.Bytes();
  ForEachCmrFrame(cmr, [&](std::uint64_t frame) {
    const std::uint64_t message = frame + kFrameHeaderBytes;
    const auto header = DecodeObsHeader(stream, message);
    if (!header || header->StationId != store.ReferenceStationId) return message;

    SystemTimeLine system = TimeLineOf(header->Gps, store, timeLine);
    const auto gpsArrival = arrivals.At(frame);
    const auto arrival = ArrivalInSystemTime(gpsArrival, header->Gps);
    const auto window = static_cast<std::size_t>(system.Window);
    if (!system.Started) {
      // The first message anchors the time line; its own bytes are scanned on.
      system.CmrTime =
          NearestCycleToArrival(AnchorFirstMessage(system.Reference, header->EpochTimeMs), arrival);
      system.AnchorTime = system.CmrTime;
      system.ElapsedMs = 0;
      system.Started = true;
      system.LastEpochMs = header->EpochTimeMs;
      ++system.Count;
      if (record) {
        // Its satellites are not plotted, but it is a message of its second.
        const SatelliteSet plotted =
            PlottedSatellites(stream, message + kMessageHeaderBytes, *header);
        record->Messages[window].push_back(
            {system.CmrTime, gpsArrival.value_or(kNotDated), plotted});
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

    charts.Series(system.Window, 1).AddPoint(messageTime, header->SatelliteCount, "", kColourBlue);
    // A jump of more than a day is a log whose dates jump, not an outage;
    // nor is a gap beyond the most a window marks.
    const bool withinMarking =
        system.MissingMarked + elapsedMs / 1000 <= timeLine.MostMissingMarked;
    if (elapsedMs <= kMsPerDay && withinMarking) {
      const std::int64_t missing =
          AddMissingEpochPoints(charts.Series(system.Window, 3), messageTime, elapsedMs);
      system.MissingMarked += missing;
      if (record && missing > 0) {
        record->Gaps[window].push_back(
            {messageTime - missing * kOneSecondDays, messageTime - kOneSecondDays, missing});
      }
    }
    system.LastEpochMs = header->EpochTimeMs;
    ++system.Count;

    const SatelliteBlocks blocks = AddSatellitePoints(stream, message + kMessageHeaderBytes,
                                                      *header, messageTime, charts, system.Window);
    if (record) {
      record->Messages[window].push_back(
          {messageTime, gpsArrival.value_or(kNotDated), blocks.WithL1Phase});
    }
    return blocks.End;
  });
}

}  // namespace pelorin
