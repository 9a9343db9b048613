#pragma once
// The start-time probe: resolves the date-time at which a log begins from its
// first receiver time, receiver date, "rE" and "rM" records.

#include <string>

#include "log/ZelRecords.h"

namespace pelorin {

struct ProbeResult {
  bool Resolved = false;
  double Start = 0;  // date-time, meaningful only when resolved
};

inline constexpr int kFirstPlausibleYear = 1981;
// Logs are written to this day: years up to and including 2099 are plausible.
inline constexpr int kLastPlausibleYear = 2099;

ProbeResult ProbeStartTime(const std::string& path);
// The same over an image already in memory.
ProbeResult ProbeStartTimeInImage(const LogImage& image);
// The same over the bytes of a log and a text to search them by.
ProbeResult ProbeStartTimeIn(ByteSpan bytes, std::string_view search);

}  // namespace pelorin
