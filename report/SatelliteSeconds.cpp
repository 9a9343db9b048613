#include "report/SatelliteSeconds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "log/DateTime.h"

namespace pelorin {
namespace {

// Far beyond any log, as in the points CSV; a point past it has no second.
constexpr double kLargestDatedDays = 3.0e6;
constexpr double kLargestDatedSeconds = kLargestDatedDays * kSecondsPerDay;
// No satellite number comes near this; a Y past it names no satellite.
constexpr double kLargestSatelliteNumber = 1.0e6;
// A range bound a hair off a whole second, as a zoom to whole seconds
// leaves it, still takes that second.
constexpr double kBoundToleranceSeconds = 1e-3;

enum Mark : unsigned { kInCorrections = 1, kWithoutL2 = 2, kTracked = 4 };

struct Mention {
  long Satellite = 0;
  unsigned Marks = 0;
};

// Walks one series second by second. The points are sorted by X, so their
// seconds never go back.
class SeriesCursor {
public:
  SeriesCursor(std::span<const ChartPoint> points, Mark mark) : points_(points), mark_(mark) {
    SkipUndated();
  }

  // The second of the next point; nothing past the last.
  std::optional<std::int64_t> Second() const {
    if (next_ >= points_.size()) return std::nullopt;
    return second_;
  }

  // Notes the satellites of the points in `second` and moves past them.
  void Take(std::int64_t second, std::vector<Mention>& mentions) {
    while (next_ < points_.size() && second_ == second) {
      mentions.push_back({std::lround(points_[next_].Y), mark_});
      ++next_;
      SkipUndated();
    }
  }

private:
  void SkipUndated() {
    for (; next_ < points_.size(); ++next_) {
      const ChartPoint& point = points_[next_];
      if (std::fabs(point.X) <= kLargestDatedDays &&
          std::fabs(point.Y) <= kLargestSatelliteNumber) {
        // Message points sit a millisecond apart from their second on.
        second_ = WholeSecond(point.X);
        return;
      }
    }
  }

  std::span<const ChartPoint> points_;
  Mark mark_;
  std::size_t next_ = 0;
  std::int64_t second_ = 0;
};

std::int64_t FirstSecondFrom(double days) {
  const double seconds = days * kSecondsPerDay - kBoundToleranceSeconds;
  return static_cast<std::int64_t>(
      std::ceil(std::clamp(seconds, -kLargestDatedSeconds, kLargestDatedSeconds)));
}

std::int64_t LastSecondTo(double days) {
  const double seconds = days * kSecondsPerDay + kBoundToleranceSeconds;
  return static_cast<std::int64_t>(
      std::floor(std::clamp(seconds, -kLargestDatedSeconds, kLargestDatedSeconds)));
}

void WriteRows(std::ostream& out, const std::string& time, const char* system,
               std::vector<Mention>& mentions) {
  std::sort(mentions.begin(), mentions.end(),
            [](const Mention& a, const Mention& b) { return a.Satellite < b.Satellite; });
  std::string line;
  for (std::size_t k = 0; k < mentions.size();) {
    const long satellite = mentions[k].Satellite;
    unsigned marks = 0;
    for (; k < mentions.size() && mentions[k].Satellite == satellite; ++k) {
      marks |= mentions[k].Marks;
    }
    const bool inCorrections = (marks & kInCorrections) != 0;
    const bool withL2 = inCorrections && (marks & kWithoutL2) == 0;
    line = time;
    line += ',';
    line += system;
    line += ',';
    line += std::to_string(satellite);
    line += inCorrections ? ",1" : ",0";
    line += withL2 ? ",1" : ",0";
    line += (marks & kTracked) != 0 ? ",1\n" : ",0\n";
    out << line;
  }
}

}  // namespace

void WriteSatelliteSecondsCsv(std::ostream& out, GnssSystem system,
                              const SatelliteSeriesPoints& points,
                              std::optional<WindowTimeRange> range, report::Clock clock) {
  out << kSatelliteSecondsCsvHeader;
  const std::int64_t first =
      range ? FirstSecondFrom(range->From) : std::numeric_limits<std::int64_t>::min();
  const std::int64_t last =
      range ? LastSecondTo(range->To) : std::numeric_limits<std::int64_t>::max();
  const char* systemName = system == GnssSystem::Gps ? "GPS" : "GLONASS";
  std::array<SeriesCursor, 3> cursors = {SeriesCursor(points.InCorrections, kInCorrections),
                                         SeriesCursor(points.WithoutL2, kWithoutL2),
                                         SeriesCursor(points.Tracked, kTracked)};
  std::vector<Mention> mentions;
  for (;;) {
    std::optional<std::int64_t> second;
    for (const SeriesCursor& cursor : cursors) {
      const std::optional<std::int64_t> next = cursor.Second();
      if (next && (!second || *next < *second)) second = next;
    }
    if (!second || *second > last) break;
    mentions.clear();
    for (SeriesCursor& cursor : cursors) cursor.Take(*second, mentions);
    if (*second < first) continue;
    const double windowTime = static_cast<double>(*second) / kSecondsPerDay;
    const double gpsTime =
        system == GnssSystem::Glonass ? GlonassToGpsTime(windowTime) : windowTime;
    WriteRows(out, report::ClockText(gpsTime, clock), systemName, mentions);
  }
}

}  // namespace pelorin
