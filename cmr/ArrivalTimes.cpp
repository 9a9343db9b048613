#include "cmr/ArrivalTimes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pelorin {
namespace {

constexpr double kNotDated = std::numeric_limits<double>::quiet_NaN();

// Walks the dated epochs in file order alongside echo records in file order.
class EpochCursor {
public:
  explicit EpochCursor(const EpochScanResult& scan) : scan_(scan) {}

  // The time of the epoch that holds file offset `offset`; offsets only grow.
  double TimeAt(std::uint64_t offset) {
    if (offset >= scan_.DatedUpTo) return kNotDated;
    while (next_ < EpochCount() && EpochStart(next_) <= offset) ++next_;
    return next_ == 0 ? kNotDated : EpochTime(next_ - 1);
  }

private:
  std::size_t EpochCount() const { return scan_.Epochs.size() + (scan_.LastEpoch ? 1 : 0); }
  const TrackedEpoch& Epoch(std::size_t k) const {
    return k < scan_.Epochs.size() ? scan_.Epochs[k] : *scan_.LastEpoch;
  }
  std::uint64_t EpochStart(std::size_t k) const { return Epoch(k).Start; }
  double EpochTime(std::size_t k) const { return Epoch(k).Time; }

  const EpochScanResult& scan_;
  std::size_t next_ = 0;
};

bool SameTime(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

ArrivalTimes::ArrivalTimes(const EchoSources& sources, const EpochScanResult& scan) {
  EpochCursor epochs(scan);
  for (const EchoSource& source : sources) {
    const double time = epochs.TimeAt(source.RecordOffset);
    if (runs_.empty() || !SameTime(runs_.back().Time, time)) {
      runs_.push_back({source.StreamOffset, time});
    }
  }
}

std::optional<double> ArrivalTimes::At(std::uint64_t streamOffset) const {
  const auto after = std::upper_bound(
      runs_.begin(), runs_.end(), streamOffset,
      [](std::uint64_t offset, const Run& run) { return offset < run.StreamOffset; });
  if (after == runs_.begin()) return std::nullopt;
  const double time = std::prev(after)->Time;
  if (std::isnan(time)) return std::nullopt;
  return time;
}

}  // namespace pelorin
