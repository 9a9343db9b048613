#include "cmr/LinkReport.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>

#include "cmr/CmrDecode.h"
#include "log/DateTime.h"

namespace pelorin {
namespace {

constexpr int kMaxSatelliteNumber = 32;
constexpr double kMinutesPerDay = 1440.0;

LinkSpan MeasureSpan(const LargeVector<TimedMessage>& messages) {
  LinkSpan span;
  if (messages.empty()) return span;
  std::vector<std::int64_t> seconds;
  seconds.reserve(messages.size());
  for (const TimedMessage& m : messages) seconds.push_back(WholeSecond(m.Time));
  std::sort(seconds.begin(), seconds.end());
  seconds.erase(std::unique(seconds.begin(), seconds.end()), seconds.end());
  span.First = seconds.front() / kSecondsPerDay;
  span.Last = seconds.back() / kSecondsPerDay;
  span.Seconds = static_cast<std::int64_t>(seconds.size());
  span.Percent = 100.0 * span.Seconds / static_cast<double>(seconds.back() - seconds.front() + 1);
  return span;
}

std::vector<LinkGap> ListGaps(const std::vector<MissingRun>& runs) {
  std::vector<LinkGap> gaps;
  for (const MissingRun& run : runs) gaps.push_back({run.First, run.Last, run.Seconds});
  std::stable_sort(gaps.begin(), gaps.end(),
                   [](const LinkGap& a, const LinkGap& b) { return a.Start < b.Start; });
  return gaps;
}

// A message's own time as GPS time: GLONASS messages carry GLONASS system
// time, 3 h less the leap seconds ahead of it.
double AsGpsTime(const TimedMessage& m, bool gps) {
  return gps ? m.Time : m.Time - GpsToGlonassOffsetDays(m.Arrival);
}

// The value below which `share` of the sorted values lie (nearest rank).
double Percentile(const std::vector<double>& sorted, double share) {
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

// A repeated copy of a message is not a correction the rover waited for:
// each message time counts once, at its first arrival.
LinkAges MeasureAges(const LargeVector<TimedMessage>& messages, bool gps,
                     LargeVector<AgeAt>& overTime) {
  std::vector<double> ages;
  ages.reserve(messages.size());
  overTime.reserve(messages.size());
  for (const TimedMessage& m : messages) {
    if (m.Repeated || std::isnan(m.Arrival)) continue;
    // Both times are whole milliseconds; their difference is taken as such.
    const double ageMs = std::round((m.Arrival - AsGpsTime(m, gps)) * kMsPerDay);
    ages.push_back(ageMs / 1000.0);
    overTime.push_back({m.Time, ages.back()});
  }
  LinkAges result;
  result.Count = static_cast<std::int64_t>(ages.size());
  if (ages.empty()) return result;
  std::sort(ages.begin(), ages.end());
  result.Median = Percentile(ages, 0.5);
  result.P95 = Percentile(ages, 0.95);
  result.Max = ages.back();
  result.Over5s = std::count_if(ages.begin(), ages.end(),
                                [](double age) { return age > kOldCorrectionSeconds; });
  return result;
}

// Satellites by whole second, in the window's time: a second counts once,
// however many messages or rover epochs it had.
struct SatelliteSecond {
  std::int64_t Second = 0;
  double Time = 0;  // the earliest of that second
  SatelliteSet Satellites = 0;
};

// In time order, the satellites of each second joined.
LargeVector<SatelliteSecond> JoinSeconds(LargeVector<SatelliteSecond> seconds) {
  const auto earlier = [](const SatelliteSecond& a, const SatelliteSecond& b) {
    return a.Second < b.Second;
  };
  if (!std::is_sorted(seconds.begin(), seconds.end(), earlier)) {
    std::stable_sort(seconds.begin(), seconds.end(), earlier);
  }
  LargeVector<SatelliteSecond> joined;
  joined.reserve(seconds.size());
  for (const SatelliteSecond& s : seconds) {
    if (!joined.empty() && joined.back().Second == s.Second) {
      joined.back().Satellites |= s.Satellites;
      joined.back().Time = std::min(joined.back().Time, s.Time);
    } else {
      joined.push_back(s);
    }
  }
  return joined;
}

LargeVector<SatelliteSecond> CorrectedBySecond(const LargeVector<TimedMessage>& messages) {
  LargeVector<SatelliteSecond> seconds;
  seconds.reserve(messages.size());
  for (const TimedMessage& m : messages) {
    seconds.push_back({WholeSecond(m.Time), m.Time, m.Satellites});
  }
  return JoinSeconds(std::move(seconds));
}

// The rover's tracked satellites by whole second.
LargeVector<SatelliteSecond> TrackedBySecond(const EpochScanResult& scan, bool gps) {
  LargeVector<SatelliteSecond> seconds;
  if (!scan.Completed()) return seconds;  // a stopped scan tracked nothing on the charts
  seconds.reserve(scan.Epochs.size());
  for (const TrackedEpoch& epoch : scan.Epochs) {
    const double time = gps ? epoch.Time : epoch.Time + GpsToGlonassOffsetDays(epoch.Time);
    const TrackedMask mask = gps ? epoch.Tracked.Gps : epoch.Tracked.Gln;
    // Bit n - 1 stands for number n there; here bit n does.
    seconds.push_back({WholeSecond(time), time, SatelliteSet{mask} << 1});
  }
  return JoinSeconds(std::move(seconds));
}

// Finds the rover's second for each message: messages come in time order,
// so the search walks on from where it last stopped, and only a message that
// goes back in time searches anew.
class SecondFinder {
public:
  explicit SecondFinder(const LargeVector<SatelliteSecond>& seconds) : seconds_(seconds) {}

  const SatelliteSecond* Find(std::int64_t second) {
    if (next_ > 0 && seconds_[next_ - 1].Second >= second) {
      next_ = static_cast<std::size_t>(
          std::lower_bound(seconds_.begin(), seconds_.end(), second,
                           [](const SatelliteSecond& t, std::int64_t s) { return t.Second < s; }) -
          seconds_.begin());
    }
    while (next_ < seconds_.size() && seconds_[next_].Second < second) ++next_;
    if (next_ < seconds_.size() && seconds_[next_].Second == second) return &seconds_[next_++];
    return nullptr;
  }

private:
  const LargeVector<SatelliteSecond>& seconds_;
  std::size_t next_ = 0;
};

void ForEachSatellite(SatelliteSet set, const auto& visit) {
  for (; set != 0; set &= set - 1) visit(std::countr_zero(set));
}

void CompareSatellites(const LargeVector<TimedMessage>& messages, const EpochScanResult& scan,
                       bool gps, SystemLink& link) {
  std::array<LinkSatellite, kMaxSatelliteNumber + 1> satellites{};
  for (std::size_t n = 0; n < satellites.size(); ++n) satellites[n].Id = static_cast<int>(n);
  const auto satellite = [&satellites](int id) -> LinkSatellite& {
    return satellites[static_cast<std::size_t>(id)];
  };
  const LargeVector<SatelliteSecond> tracked = TrackedBySecond(scan, gps);
  for (const SatelliteSecond& t : tracked)
    ForEachSatellite(t.Satellites, [&](int n) { ++satellite(n).Tracked; });

  const LargeVector<SatelliteSecond> corrected = CorrectedBySecond(messages);
  SecondFinder rovers(tracked);
  link.Common.reserve(corrected.size());
  for (const SatelliteSecond& c : corrected) {
    ForEachSatellite(c.Satellites, [&](int n) { ++satellite(n).Corrected; });
    const SatelliteSecond* rover = rovers.Find(c.Second);
    if (!rover) continue;
    link.Common.push_back({c.Time, std::popcount(c.Satellites), std::popcount(rover->Satellites),
                           std::popcount(c.Satellites & rover->Satellites)});
    if (c.Satellites == 0) continue;
    ForEachSatellite(rover->Satellites & ~c.Satellites,
                     [&](int n) { ++satellite(n).TrackedWithoutCorrections; });
  }
  for (const LinkSatellite& s : satellites) {
    if (s.Tracked > 0 || s.Corrected > 0) link.Satellites.push_back(s);
  }
}

// Messages per station ID: five bits in a CMR header, a byte in a CMR+ page.
using StationTally = std::array<std::int64_t, 256>;

// Walks the stream as a receiver would parse it: valid frames and pages are
// taken whole; a CMR frame or CMR+ page that opens but fails its checks is a
// corrupted one; every other byte belongs to no frame.
class IntegrityWalk {
public:
  IntegrityWalk(const CmrStream& stream, const ArrivalTimes& arrivals)
      : stream_(stream), arrivals_(arrivals) {}

  void Run(LinkIntegrity& integrity, StationTally& stations) {
    const ByteSpan bytes = stream_.Bytes();
    std::uint64_t pos = 0;
    while (pos < bytes.size()) {
      const auto stx = FindByte(bytes, pos, kStx);
      const std::uint64_t next = stx.value_or(bytes.size());
      if (next > pos) Stray(integrity, pos, next - pos);
      if (!stx) break;
      pos = Frame(integrity, stations, *stx);
    }
    for (const auto& [minute, counts] : minutes_) {
      integrity.PerMinute.push_back({minute / kMinutesPerDay, counts.first, counts.second});
    }
  }

private:
  // Takes what opens at `pos` with an STX; gives the position after it.
  std::uint64_t Frame(LinkIntegrity& integrity, StationTally& stations, std::uint64_t pos) {
    const ByteSpan bytes = stream_.Bytes();
    if (const auto length = stream_.CmrFrameLengthAt(pos)) {
      const auto header = DecodeMessageHeader(bytes, pos + kFrameHeaderBytes);
      if (header) {
        ++stations[header->StationId];
        if (header->MessageType == 0 || header->MessageType == 3) {
          NoteStation(header->StationId, pos);
        }
      }
      const bool observables = header && (header->MessageType == 0 || header->MessageType == 3);
      if (observables && !DecodeObsHeader(bytes, pos + kFrameHeaderBytes)) Bad(integrity, pos);
      return pos + *length + 6;
    }
    if (FitsIn(bytes, pos, 3) && bytes[pos + 2] == kCmrFrameType) {
      Bad(integrity, pos);
      return pos + 1;
    }
    if (OpensLikeCmrPlusPage(bytes, pos) && FitsIn(bytes, pos, 5)) {
      const int station = bytes[pos + 4];
      if (const auto page = CheckCmrPlusPage(bytes, pos, station)) {
        ++stations[station];
        // STX, status, type, length, the length's bytes, checksum and ETX.
        const std::uint64_t pageBytes = static_cast<std::uint64_t>(page->Length) + 6;
        return pos + std::min<std::uint64_t>(pageBytes, bytes.size() - pos);
      }
      ++integrity.BadPages;
      return pos + 1;
    }
    Stray(integrity, pos, 1);
    return pos + 1;
  }

  // The station heard changes when another station's observations follow
  // each other without the station heard in between: a weaker station
  // heard now and then, or a repeated message, is no change.
  void NoteStation(int station, std::uint64_t pos) {
    if (!heard_ || station == *heard_) {
      heard_ = station;
      challenger_.reset();
      return;
    }
    if (!challenger_ || challenger_->Station != station) challenger_ = Challenger{station, pos, 0};
    if (++challenger_->Frames < kFramesToTakeOver) return;
    if (const auto arrival = arrivals_.At(challenger_->FirstFrame)) {
      stationChanges_.push_back(*arrival);
    }
    heard_ = station;
    challenger_.reset();
  }

  void Bad(LinkIntegrity& integrity, std::uint64_t pos) {
    ++integrity.BadFrames;
    if (const auto minute = MinuteOf(pos)) ++minutes_[*minute].first;
  }

  void Stray(LinkIntegrity& integrity, std::uint64_t pos, std::uint64_t count) {
    integrity.StrayBytes += static_cast<std::int64_t>(count);
    if (const auto minute = MinuteOf(pos))
      minutes_[*minute].second += static_cast<std::int64_t>(count);
  }

  std::optional<std::int64_t> MinuteOf(std::uint64_t pos) const {
    const auto arrival = arrivals_.At(pos);
    if (!arrival) return std::nullopt;
    return static_cast<std::int64_t>(std::floor(*arrival * kMinutesPerDay));
  }

  const CmrStream& stream_;
  const ArrivalTimes& arrivals_;
  std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> minutes_;
  static constexpr int kFramesToTakeOver = 3;
  struct Challenger {
    int Station = 0;
    std::uint64_t FirstFrame = 0;
    int Frames = 0;
  };
  std::optional<int> heard_;
  std::optional<Challenger> challenger_;
  std::vector<double> stationChanges_;

public:
  std::vector<double> TakeStationChanges() { return std::move(stationChanges_); }
};

std::optional<double> Type1VsInfo(const DecodedStore& store) {
  // A station information still missing pages gives no position to compare.
  if (store.Type1Count == 0 || !store.StationInfoComplete) return std::nullopt;
  const StationCoordinates info = MillimetresToMetres(store.StationInfoCoordinates);
  const StationCoordinates& type1 = store.Type1Coordinates;
  return std::hypot(type1.X - info.X, type1.Y - info.Y, type1.Z - info.Z);
}

std::vector<PositionChange> ListPositionChanges(const std::vector<AcceptedPosition>& positions,
                                                const ArrivalTimes& arrivals) {
  std::vector<PositionChange> changes;
  for (const AcceptedPosition& p : positions) {
    const StationCoordinates& c = p.Metres;
    if (!changes.empty() && changes.back().X == c.X && changes.back().Y == c.Y &&
        changes.back().Z == c.Z) {
      continue;
    }
    changes.push_back({arrivals.At(p.Frame), c.X, c.Y, c.Z});
  }
  return changes;
}

}  // namespace

LinkReport MeasureLink(const LinkInputs& in) {
  LinkReport report;
  for (const GnssSystem window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    const auto w = static_cast<std::size_t>(window);
    const bool gps = window == GnssSystem::Gps;
    const LargeVector<TimedMessage>& messages = in.TimeLine.Messages[w];
    SystemLink& link = report.Systems[w];
    link.Span = MeasureSpan(messages);
    link.Gaps = ListGaps(in.TimeLine.Gaps[w]);
    link.Ages = MeasureAges(messages, gps, link.AgeOverTime);
    link.Delivery = in.TimeLine.Delivery[w];
    link.UnmarkedSeconds = in.TimeLine.UnmarkedSeconds[w];
    CompareSatellites(messages, in.Epochs, gps, link);
  }
  StationTally stations{};
  IntegrityWalk walk(in.Stream, in.Arrivals);
  walk.Run(report.Integrity, stations);
  report.StationChanges = walk.TakeStationChanges();
  for (std::size_t id = 0; id < stations.size(); ++id) {
    if (stations[id] > 0) report.Stations.push_back({static_cast<int>(id), stations[id]});
  }
  report.Type1VsInfoMetres = Type1VsInfo(in.Store);
  report.PositionChanges = ListPositionChanges(in.Type1Positions, in.Arrivals);
  return report;
}

}  // namespace pelorin
