#pragma once
// When the pieces of the CMR stream reached the rover: the GPS time of the
// rover epoch in which the echo record that carried them was logged, that is
// the epoch of the receiver time record in front of that record.

#include <cstdint>
#include <optional>
#include <vector>

#include "cmr/EchoUnwrap.h"
#include "log/EpochScan.h"

namespace pelorin {

class ArrivalTimes {
public:
  // Nothing is dated.
  ArrivalTimes() = default;
  ArrivalTimes(const EchoSources& sources, const EpochScanResult& scan);

  // The arrival time of stream byte `streamOffset`, or nothing when its echo
  // record lies before the first receiver time record or beyond the epochs
  // the scan dated.
  std::optional<double> At(std::uint64_t streamOffset) const;

private:
  // From StreamOffset on the stream arrived at Time (NaN: not dated). Runs of
  // records within one epoch share an entry.
  struct Run {
    std::uint64_t StreamOffset = 0;
    double Time = 0;
  };
  std::vector<Run> runs_;
};

}  // namespace pelorin
