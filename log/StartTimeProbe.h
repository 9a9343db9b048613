#pragma once
// The start-time probe: resolves the date-time at which a log begins from its
// first receiver time, receiver date, "rE" and "rM" records.

#include <array>
#include <optional>
#include <string>

#include "log/LogSweep.h"
#include "log/ZelRecords.h"

namespace pelorin {

struct ProbeResult {
  bool Resolved = false;
  double Start = 0;  // date-time, meaningful only when resolved
};

inline constexpr int kFirstPlausibleYear = 1981;
// Logs are written to this day: years up to and including 2099 are plausible.
inline constexpr int kLastPlausibleYear = 2099;

// The first bytes of a record, as many as the probe reads of it (an "rM"
// record's milliseconds end at its 13th byte); fewer where the log ends.
struct FirstRecord {
  static constexpr std::uint64_t kBytes = 13;
  std::array<std::uint8_t, kBytes> Bytes{};
  std::uint64_t Size = 0;
  ByteSpan View() const { return ByteSpan(Bytes).first(Size); }
};

// The first occurrence of each record the probe looks at.
struct FirstRecords {
  std::optional<FirstRecord> ReceiverTime;
  std::optional<FirstRecord> ReceiverDate;
  std::optional<FirstRecord> RE;
  std::optional<FirstRecord> RM;
};

// Finds them while the log is read.
class FirstRecordFinder : public LogWindowReader {
public:
  FirstRecordFinder();
  std::uint64_t Take(const LogWindow& window) override;
  const FirstRecords& Found() const { return found_; }

private:
  struct Search {
    std::string_view Pattern;
    std::optional<FirstRecord> FirstRecords::*Into;
    std::uint64_t From = 0;
    bool Done = false;
  };
  std::uint64_t Continue(Search& search, const LogWindow& window);

  FirstRecords found_;
  std::array<Search, 4> searches_;
};

// The start of the log from its first records.
ProbeResult ResolveStartTime(const FirstRecords& first);

}  // namespace pelorin
