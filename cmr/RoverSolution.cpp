#include "cmr/RoverSolution.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>

#include "log/DateTime.h"

namespace pelorin {
namespace {

constexpr double kMetresPerKm = 1000.0;
// A system's corrections of a second count towards an epoch's common
// satellites for this long.
constexpr std::int64_t kCommonHeldSeconds = 10;

// Epoch times are whole milliseconds: so are the durations between them.
double SecondsBetween(double from, double to) {
  return std::round((to - from) * kSecondsPerDay * 1000) / 1000;
}

// How many items (in ascending order of their key) lie at or below a query:
// queries that move forward walk on from the last answer, one that goes
// back searches.
template <typename Item>
class Cursor {
public:
  using KeyOf = double (*)(const Item&);
  explicit Cursor(KeyOf keyOf) : keyOf_(keyOf) {}

  template <typename Items>
  std::size_t AtOrBelow(const Items& items, double query) {
    if (next_ > 0 && keyOf_(items[next_ - 1]) > query) {
      next_ = static_cast<std::size_t>(
          std::upper_bound(items.begin(), items.end(), query,
                           [this](double q, const Item& item) { return q < keyOf_(item); }) -
          items.begin());
    }
    while (next_ < items.size() && keyOf_(items[next_]) <= query) ++next_;
    return next_;
  }

private:
  KeyOf keyOf_;
  std::size_t next_ = 0;
};

// Arrivals never go back, those not dated aside.
bool ArrivalsInOrder(const LargeVector<TimedMessage>& messages) {
  double latest = -std::numeric_limits<double>::infinity();
  for (const TimedMessage& m : messages) {
    if (std::isnan(m.Arrival)) continue;
    if (m.Arrival < latest) return false;
    latest = m.Arrival;
  }
  return true;
}

// The newest message time (GPS) of a system that had reached the rover by a
// time: its messages in order of arrival, walked on as the time goes on.
class NewestCorrection {
public:
  NewestCorrection(const LargeVector<TimedMessage>& messages, bool gps) : gps_(gps) {
    messages_ = &messages;
    if (ArrivalsInOrder(messages)) return;
    // A link that delivers out of order within one epoch's echoes.
    sorted_ = messages;
    std::stable_sort(
        sorted_.begin(), sorted_.end(), [](const TimedMessage& a, const TimedMessage& b) {
          return std::isnan(b.Arrival) ? !std::isnan(a.Arrival) : a.Arrival < b.Arrival;
        });
    messages_ = &sorted_;
  }

  // For times that never go back.
  std::optional<double> At(double time) {
    const LargeVector<TimedMessage>& messages = *messages_;
    for (; next_ < messages.size(); ++next_) {
      const TimedMessage& m = messages[next_];
      if (std::isnan(m.Arrival)) continue;
      if (m.Arrival > time) break;
      // GLONASS messages carry GLONASS system time, 3 h less the leap
      // seconds ahead of GPS time.
      const double sent = gps_ ? m.Time : m.Time - offsets_.At(m.Arrival);
      if (!newest_ || sent > *newest_) newest_ = sent;
    }
    return newest_;
  }

private:
  bool gps_;
  const LargeVector<TimedMessage>* messages_ = nullptr;
  LargeVector<TimedMessage> sorted_;
  std::size_t next_ = 0;
  std::optional<double> newest_;
  GlonassOffsets offsets_;
};

// The moments the station heard, or its type 1 position, changed, in time order.
std::vector<double> StationChangeTimes(const LinkReport& link) {
  std::vector<double> times = link.StationChanges;
  for (std::size_t k = 1; k < link.PositionChanges.size(); ++k) {
    if (link.PositionChanges[k].Time) times.push_back(*link.PositionChanges[k].Time);
  }
  std::sort(times.begin(), times.end());
  return times;
}

// The type 1 positions with a dated arrival, in time order.
std::vector<PositionChange> DatedPositions(const LinkReport& link) {
  std::vector<PositionChange> dated;
  for (const PositionChange& p : link.PositionChanges) {
    if (p.Time) dated.push_back(p);
  }
  std::stable_sort(
      dated.begin(), dated.end(),
      [](const PositionChange& a, const PositionChange& b) { return *a.Time < *b.Time; });
  return dated;
}

// Walks the rover's epochs through what the link report knows, in time.
class EpochFollower {
public:
  EpochFollower(const TimeLineRecord& timeLine, const LinkReport& link)
      : link_(link),
        newest_{NewestCorrection(timeLine.Messages[0], true),
                NewestCorrection(timeLine.Messages[1], false)},
        outages_(CorrectionOutages(link)),
        changes_(StationChangeTimes(link)),
        positions_(DatedPositions(link)) {}

  RoverEpoch Follow(double time, const std::optional<RoverPosition>& position) {
    RoverEpoch epoch;
    epoch.Time = time;
    const auto gps = newest_[0].At(time);
    const auto gln = newest_[1].At(time);
    if (gps || gln) {
      const double newest = std::max(gps.value_or(*gln), gln.value_or(*gps));
      epoch.CorrectionAge = static_cast<float>(SecondsBetween(newest, time));
    }
    epoch.Common = CommonAt(time);
    const std::int64_t second = WholeSecond(time);
    if (const std::size_t n = outageCursor_.AtOrBelow(outages_, static_cast<double>(second))) {
      epoch.InGap = second <= WholeSecond(outages_[n - 1].End);
    }
    if (const std::size_t n = changeCursor_.AtOrBelow(changes_, time)) {
      epoch.StationChanged = SecondsBetween(changes_[n - 1], time) <= kStationChangeSeconds;
    }
    if (position) {
      const RoverPosition& p = *position;
      epoch.HasPosition = true;
      epoch.Solution = p.Solution;
      epoch.Sigma = p.Sigma;
      if (const std::size_t n = positionCursor_.AtOrBelow(positions_, time)) {
        const PositionChange& base = positions_[n - 1];
        epoch.BaselineKm =
            static_cast<float>(std::hypot(p.X - base.X, p.Y - base.Y, p.Z - base.Z) / kMetresPerKm);
      }
    }
    return epoch;
  }

private:
  // Each system's satellites of its newest second with corrections at or
  // before the epoch's, when recent, in common with those tracked then.
  std::uint8_t CommonAt(double gpsTime) {
    int common = 0;
    for (std::size_t s = 0; s < 2; ++s) {
      const LargeVector<CommonSecond>& seconds = link_.Systems[s].Common;
      const double time = s == 0 ? gpsTime : gpsTime + glonassOffsets_.At(gpsTime);
      const std::int64_t second = WholeSecond(time);
      const std::size_t n = commonCursors_[s].AtOrBelow(seconds, second + 0.5);
      if (n > 0 && second - WholeSecond(seconds[n - 1].Time) < kCommonHeldSeconds) {
        common += seconds[n - 1].Common;
      }
    }
    return static_cast<std::uint8_t>(std::min(common, 255));
  }

  static double OutageStart(const LinkGap& g) { return static_cast<double>(WholeSecond(g.Start)); }
  static double Itself(const double& t) { return t; }
  static double PositionTime(const PositionChange& p) { return *p.Time; }
  static double SecondOf(const CommonSecond& c) { return static_cast<double>(WholeSecond(c.Time)); }

  const LinkReport& link_;
  std::array<NewestCorrection, 2> newest_;
  GlonassOffsets glonassOffsets_;
  std::vector<LinkGap> outages_;
  std::vector<double> changes_;
  std::vector<PositionChange> positions_;
  Cursor<LinkGap> outageCursor_{OutageStart};
  Cursor<double> changeCursor_{Itself};
  Cursor<PositionChange> positionCursor_{PositionTime};
  std::array<Cursor<CommonSecond>, 2> commonCursors_{Cursor<CommonSecond>{SecondOf},
                                                     Cursor<CommonSecond>{SecondOf}};
};

bool IsFixed(const RoverEpoch& epoch) {
  return epoch.Solution == kRtkFixed;
}

LossCause CauseOfLoss(const RoverEpoch& epoch, const SolutionLimits& limits) {
  if (epoch.CorrectionAge > limits.MaxAgeSeconds || epoch.InGap) {
    return LossCause::CorrectionsMissing;
  }
  if (epoch.Common < limits.MinCommonSatellites) return LossCause::TooFewCommonSatellites;
  if (epoch.StationChanged) return LossCause::StationChanged;
  return LossCause::AtTheRover;
}

template <typename Values>
double MedianOf(Values values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

void CountShares(const LargeVector<RoverEpoch>& epochs, SolutionReport& report) {
  std::array<std::int64_t, 256> counts{};
  for (const RoverEpoch& e : epochs) {
    ++counts[e.Solution];
    if (!e.HasPosition) ++report.EpochsWithoutPosition;
  }
  for (std::size_t type = 0; type < counts.size(); ++type) {
    if (counts[type] == 0) continue;
    report.Shares.push_back(
        {static_cast<std::uint8_t>(type), counts[type],
         100.0 * static_cast<double>(counts[type]) / static_cast<double>(epochs.size())});
  }
  report.FixedPercent =
      100.0 * static_cast<double>(counts[kRtkFixed]) / static_cast<double>(epochs.size());
}

// From the first epoch to the last and one epoch interval more: the time the
// last epoch stands for.
double EpochInterval(const LargeVector<RoverEpoch>& epochs, double first, double last) {
  if (epochs.size() < 2) return 1.0;
  return std::round(SecondsBetween(first, last) * 1000 / static_cast<double>(epochs.size() - 1)) /
         1000;
}

// Losses of the fix and the longest fixed run, in one walk over the epochs.
void FollowTheFix(const LargeVector<RoverEpoch>& epochs, double interval,
                  const SolutionLimits& limits, SolutionReport& report) {
  // The fixed run in hand starts at epoch runStart, when inRun.
  bool inRun = false;
  std::size_t runStart = 0;
  const auto endRun = [&](double endTime) {
    const double start = epochs[runStart].Time;
    const double seconds = SecondsBetween(start, endTime);
    if (!report.LongestFixed || seconds > report.LongestFixed->Seconds) {
      report.LongestFixed = FixRun{start, seconds};
    }
    inRun = false;
  };
  std::optional<std::size_t> openLoss;
  for (std::size_t k = 0; k < epochs.size(); ++k) {
    const RoverEpoch& e = epochs[k];
    if (IsFixed(e)) {
      if (!inRun) {
        inRun = true;
        runStart = k;
      }
      if (openLoss) {
        FixLoss& loss = report.Losses[*openLoss];
        loss.Seconds = SecondsBetween(loss.Start, e.Time);
        openLoss.reset();
      }
      continue;
    }
    if (!inRun) continue;
    endRun(e.Time);
    openLoss = report.Losses.size();
    report.Losses.push_back({e.Time, std::nullopt, e.Solution, CauseOfLoss(e, limits)});
  }
  if (inRun) endRun(epochs.back().Time + interval / kSecondsPerDay);
}

// The epochs in time order: themselves, or a sorted copy where a clock
// jumped back.
const LargeVector<RoverEpoch>& InTimeOrder(const LargeVector<RoverEpoch>& epochs,
                                           LargeVector<RoverEpoch>& sorted) {
  const auto earlier = [](const RoverEpoch& a, const RoverEpoch& b) { return a.Time < b.Time; };
  if (std::is_sorted(epochs.begin(), epochs.end(), earlier)) return epochs;
  sorted = epochs;
  std::stable_sort(sorted.begin(), sorted.end(), earlier);
  return sorted;
}

void MeasureTimesToFix(const LargeVector<RoverEpoch>& epochs, const LinkReport& link,
                       SolutionReport& report) {
  const std::vector<LinkGap> outages = CorrectionOutages(link);
  if (outages.empty()) return;
  LargeVector<RoverEpoch> sorted;
  const LargeVector<RoverEpoch>& order = InTimeOrder(epochs, sorted);
  const auto atSecond = [&order](std::int64_t second) {
    return std::lower_bound(
        order.begin(), order.end(), second - 0.5,
        [](const RoverEpoch& e, double s) { return e.Time * kSecondsPerDay < s; });
  };
  for (const LinkGap& outage : outages) {
    const std::int64_t endSecond = WholeSecond(outage.End) + 1;
    auto at = atSecond(WholeSecond(outage.Start));
    bool lost = false;
    for (; at != order.end() && WholeSecond(at->Time) < endSecond; ++at)
      lost = lost || !IsFixed(*at);
    // Not fixed as the corrections came back counts as lost too.
    if (at != order.end() && !IsFixed(*at)) lost = true;
    if (!lost) continue;
    const auto fixed = std::find_if(at, order.end(), IsFixed);
    if (fixed == order.end()) continue;
    report.TimesToFix.push_back(std::max(
        0.0, SecondsBetween(static_cast<double>(endSecond) / kSecondsPerDay, fixed->Time)));
  }
  if (report.TimesToFix.empty()) return;
  report.TimeToFixMedian = MedianOf(report.TimesToFix);
  report.TimeToFixMax = *std::max_element(report.TimesToFix.begin(), report.TimesToFix.end());
}

void MeasureBaseline(const LargeVector<RoverEpoch>& epochs, SolutionReport& report) {
  LargeVector<float> km;
  for (const RoverEpoch& e : epochs) {
    if (std::isfinite(e.BaselineKm)) km.push_back(e.BaselineKm);
  }
  if (km.empty()) return;
  const auto [min, max] = std::minmax_element(km.begin(), km.end());
  report.BaselineKm = SpreadOf{*min, MedianOf(km), *max};
}

}  // namespace

RoverEpochs FollowRoverEpochs(const EpochScanResult& scan, const TimeLineRecord& timeLine,
                              const LinkReport& link) {
  RoverEpochs rover;
  rover.PositionRecords = static_cast<std::int64_t>(scan.Positions.size());
  rover.SkippedRecords = static_cast<std::int64_t>(scan.PositionRecordsSkipped);
  const std::size_t count = scan.Epochs.size() + (scan.LastEpoch ? 1 : 0);
  const auto timeOf = [&scan](std::size_t k) {
    return k < scan.Epochs.size() ? scan.Epochs[k].Time : scan.LastEpoch->Time;
  };
  const auto positionOf = [&scan](std::size_t k) -> std::optional<RoverPosition> {
    const auto at =
        std::lower_bound(scan.Positions.begin(), scan.Positions.end(), k,
                         [](const EpochPosition& p, std::size_t epoch) { return p.Epoch < epoch; });
    if (at == scan.Positions.end() || at->Epoch != k) return std::nullopt;
    return scan.PositionOf(*at);
  };
  EpochFollower follower(timeLine, link);
  rover.Epochs.resize(count);
  bool inTimeOrder = true;
  for (std::size_t k = 1; k < count && inTimeOrder; ++k) inTimeOrder = timeOf(k - 1) <= timeOf(k);
  if (inTimeOrder) {
    std::size_t next = 0;  // the positions come in epoch order
    for (std::size_t k = 0; k < count; ++k) {
      std::optional<RoverPosition> position;
      if (next < scan.Positions.size() && scan.Positions[next].Epoch == k) {
        position = scan.PositionOf(scan.Positions[next++]);
      }
      rover.Epochs[k] = follower.Follow(timeOf(k), position);
    }
    return rover;
  }
  // The follower walks forward in time: epochs out of time order (a clock
  // that jumped back) are followed in time order all the same.
  LargeVector<std::uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&timeOf](std::uint32_t a, std::uint32_t b) { return timeOf(a) < timeOf(b); });
  for (const std::uint32_t k : order) rover.Epochs[k] = follower.Follow(timeOf(k), positionOf(k));
  return rover;
}

SolutionReport MeasureSolution(const RoverEpochs& rover, const LinkReport& link,
                               const SolutionLimits& limits) {
  SolutionReport report;
  report.SkippedRecords = rover.SkippedRecords;
  const LargeVector<RoverEpoch>& epochs = rover.Epochs;
  report.Epochs = static_cast<std::int64_t>(epochs.size());
  if (epochs.empty()) return report;
  CountShares(epochs, report);
  const auto [first, last] =
      std::minmax_element(epochs.begin(), epochs.end(),
                          [](const RoverEpoch& a, const RoverEpoch& b) { return a.Time < b.Time; });
  const double interval = EpochInterval(epochs, first->Time, last->Time);
  report.SpanSeconds = SecondsBetween(first->Time, last->Time) + interval;
  FollowTheFix(epochs, interval, limits, report);
  MeasureTimesToFix(epochs, link, report);
  MeasureBaseline(epochs, report);
  return report;
}

std::vector<LinkGap> CorrectionOutages(const LinkReport& link) {
  std::vector<LinkGap> gaps = link.Systems[0].Gaps;
  for (const LinkGap& g : link.Systems[1].Gaps) {
    gaps.push_back({GlonassToGpsTime(g.Start), GlonassToGpsTime(g.End), g.Seconds});
  }
  std::stable_sort(gaps.begin(), gaps.end(),
                   [](const LinkGap& a, const LinkGap& b) { return a.Start < b.Start; });
  std::vector<LinkGap> joined;
  for (const LinkGap& g : gaps) {
    if (!joined.empty() && WholeSecond(g.Start) <= WholeSecond(joined.back().End) + 1) {
      LinkGap& last = joined.back();
      if (g.End > last.End) last.End = g.End;
      last.Seconds = WholeSecond(last.End) - WholeSecond(last.Start) + 1;
      continue;
    }
    joined.push_back(g);
  }
  return joined;
}

std::string_view LossCauseText(LossCause cause) {
  switch (cause) {
    case LossCause::CorrectionsMissing:
      return "corrections missing";
    case LossCause::TooFewCommonSatellites:
      return "too few common satellites";
    case LossCause::StationChanged:
      return "reference station changed";
    case LossCause::AtTheRover:
      return "at the rover";
  }
  return "at the rover";
}

namespace {

// The solution types the receiver names, the best first.
struct SolutionTypeWords {
  std::uint8_t Solution;
  const char* Name;
  const char* Key;
};
constexpr SolutionTypeWords kSolutionTypes[] = {
    {kRtkFixed, "RTK fixed", "rtkFixed"},
    {kRtkFloat, "RTK float", "rtkFloat"},
    {kCodeDifferential, "code differential", "codeDifferential"},
    {kStandalone, "standalone", "standalone"},
    {kNoSolution, "no solution", "noSolution"},
};

const SolutionTypeWords* WordsOf(std::uint8_t solution) {
  for (const SolutionTypeWords& words : kSolutionTypes) {
    if (words.Solution == solution) return &words;
  }
  return nullptr;
}

}  // namespace

std::string SolutionTypeName(std::uint8_t solution) {
  const SolutionTypeWords* words = WordsOf(solution);
  return words ? words->Name : std::to_string(solution);
}

std::string SolutionTypeKey(std::uint8_t solution) {
  const SolutionTypeWords* words = WordsOf(solution);
  return words ? words->Key : std::to_string(solution);
}

int SolutionRank(std::uint8_t solution) {
  const SolutionTypeWords* words = WordsOf(solution);
  constexpr int kNamed = static_cast<int>(std::size(kSolutionTypes));
  return words ? static_cast<int>(words - kSolutionTypes) : kNamed + solution;
}

}  // namespace pelorin
