#include "log/EpochScan.h"

#include <cstdio>
#include <string>
#include <utility>

#include "log/ZelRecords.h"

namespace pelorin {
namespace {

constexpr std::uint64_t kMsOfDayFieldOffset = 0;
constexpr std::uint32_t kHalfDayMs = 43'200'000;

// The busy cursor for as long as the scan shows anything, however it ends.
class BusyCursor {
public:
  explicit BusyCursor(Toolkit& toolkit) : toolkit_(toolkit) { toolkit_.SetBusyCursor(true); }
  ~BusyCursor() { toolkit_.SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

private:
  Toolkit& toolkit_;
};

// The date a receiver date record in the chunk gives, read without a range
// check; nothing when the chunk holds none.
std::optional<ReceiverDateInForce> FindReceiverDate(ByteSpan log, EpochChunk chunk) {
  const std::string_view text = RawSearchText(log.subspan(chunk.Begin, chunk.End - chunk.Begin));
  const auto at = FindPattern(text, kReceiverDatePattern);
  if (!at) return std::nullopt;
  const std::uint64_t record = chunk.Begin + *at;
  const auto year = ReadU16LE(log, FieldOffset(record, 0));
  const auto month = ReadU8(log, FieldOffset(record, 2));
  const auto day = ReadU8(log, FieldOffset(record, 3));
  if (!year || !month || !day) return std::nullopt;
  return ReceiverDateInForce{{*year, *month, *day}, record};
}

// The date set before the first epoch counts as not resolved for as long as
// no record has replaced it with another.
bool IsResolved(const ReceiverDateInForce& date) {
  return date.Date != ReceiverDateInForce{}.Date;
}

// Whether the log has at least `count` receiver time records.
bool HasReceiverTimes(std::string_view text, std::uint64_t count) {
  std::uint64_t found = 0;
  for (auto at = FindPattern(text, kReceiverTimePattern); at && found < count;
       at = FindPattern(text, kReceiverTimePattern, *at + kReceiverTimePattern.size())) {
    ++found;
  }
  return found >= count;
}

// Milliseconds of day of the receiver time record at `start`, when below a day.
std::optional<std::uint32_t> ReadMillisecondsOfDay(ByteSpan log, std::uint64_t start) {
  const auto msOfDay = ReadU32LE(log, FieldOffset(start, kMsOfDayFieldOffset));
  if (!msOfDay || *msOfDay >= kMsPerDay) return std::nullopt;
  return msOfDay;
}

// The milliseconds of day fell by more than half a day: midnight passed.
bool RollsOver(std::uint32_t fromMs, std::uint32_t toMs) {
  return toMs + kHalfDayMs < fromMs;
}

// The receiver date from epoch to epoch.
struct EpochDating {
  ReceiverDateInForce InForce;
  // A new day's date found in the epoch before that day's first epoch.
  std::optional<ReceiverDateInForce> Deferred;
  std::optional<std::uint32_t> PreviousMs;
};

struct EpochDate {
  double Time = 0;
  EpochScanStop Stop = EpochScanStop::None;
};

// The date-time of an epoch: the receiver date in force plus its
// milliseconds of day. Receivers write date records sparsely, so midnight
// moves the date on by itself; and a record of the new day written just
// before that day's first receiver time serves from that epoch on.
EpochDate DateEpoch(ByteSpan log, std::uint64_t epoch, EpochChunk chunk,
                    std::optional<std::uint64_t> nextStart, std::uint32_t msOfDay,
                    EpochDating& dating) {
  const bool deferredNow = dating.Deferred.has_value();
  if (deferredNow) dating.InForce = *std::exchange(dating.Deferred, std::nullopt);
  const bool afterRollOver = dating.PreviousMs && RollsOver(*dating.PreviousMs, msOfDay);
  dating.PreviousMs = msOfDay;

  if (const auto found = FindReceiverDate(log, chunk)) {
    const auto nextMs = nextStart ? ReadU32LE(log, FieldOffset(*nextStart, 0)) : std::nullopt;
    // A record in the first epoch's chunk serves that epoch.
    if (epoch > 0 && found->Date != dating.InForce.Date && nextMs && RollsOver(msOfDay, *nextMs)) {
      dating.Deferred = *found;
    } else {
      dating.InForce = *found;
    }
  } else if (!IsResolved(dating.InForce)) {
    return {0, EpochScanStop::StartingDateUnresolved};
  } else if (afterRollOver && !deferredNow) {
    if (const auto next = NextDay(dating.InForce.Date)) dating.InForce.Date = *next;
  }

  const CalendarDate& d = dating.InForce.Date;
  const auto day = EncodeDate(d.Year, d.Month, d.Day);
  if (!day) return {0, EpochScanStop::DateDoesNotExist};
  return {*day + msOfDay / static_cast<double>(kMsPerDay), EpochScanStop::None};
}

EpochScanResult Stopped(EpochScanResult result, EpochScanStop stop) {
  result.Stop = stop;
  return result;
}

void ShowStop(const EpochScanResult& scan, Toolkit& toolkit) {
  const auto corrupt = [&toolkit](std::string_view text, std::string_view caption) {
    toolkit.MessageBox(text, caption, MessageIcon::Information);
    toolkit.CentreMainWindow();
  };
  const auto fatal = [&toolkit](std::string_view text) {
    toolkit.MessageBox(text, "Fatal Error", MessageIcon::Information);
  };
  switch (scan.Stop) {
    case EpochScanStop::None:
      return;
    case EpochScanStop::NoReceiverDate:
      return corrupt("There are no 'Receiver Date' messages in the selected file!", "Corrupt File");
    case EpochScanStop::NoReceiverTime:
      return corrupt("There are no 'Receiver Time' messages in the selected file!", "Corrupt File");
    case EpochScanStop::TooFewEpochs:
      return corrupt("Selected ZEL file is too small (has less than four epochs in it).",
                     "Bad input file");
    case EpochScanStop::StartingEpochTooLarge:
      return toolkit.ShowMessage(
          "Starting epoch requires more memory than is allocated to 'curr_buf'! Fatal error!");
    case EpochScanStop::CurrentEpochTooLarge:
      return toolkit.ShowMessage(
          "Current epoch requires more memory than is allocated to 'curr_buf'! Fatal error!");
    case EpochScanStop::MillisecondsOfDayTooLarge:
      return fatal("'Milliseconds of day' must be less than 86,400,000. \n\n ");
    case EpochScanStop::StartingDateUnresolved:
      return fatal(
          "\tFailed to resolve 'Starting Receiver Date'. \n\nThis ZEL file appears broken!");
    case EpochScanStop::DateDoesNotExist: {
      const CalendarDate& d = scan.BadDate.Date;
      char date[32];
      std::snprintf(date, sizeof date, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
      return fatal("The receiver date " + std::string(date) + " of the record at file offset " +
                   std::to_string(scan.BadDate.RecordOffset) +
                   " is no day of the calendar. The epoch scan stops here.");
    }
  }
}

}  // namespace

EpochScanResult ReadEpochs(ByteSpan log) {
  EpochScanResult result;
  const std::string_view text = RawSearchText(log);

  if (!FindPattern(text, kReceiverDatePattern)) {
    return Stopped(std::move(result), EpochScanStop::NoReceiverDate);
  }
  auto start = FindPattern(text, kReceiverTimePattern);
  if (!start) return Stopped(std::move(result), EpochScanStop::NoReceiverTime);
  if (!HasReceiverTimes(text, kFewestReceiverTimes)) {
    return Stopped(std::move(result), EpochScanStop::TooFewEpochs);
  }

  EpochDating dating;
  TrackedSatelliteState trackState;
  // Epoch m runs from its receiver time record to the next; the first also
  // holds the log's header in front of it, and the last record opens no epoch.
  auto next = FindPattern(text, kReceiverTimePattern, *start + kReceiverTimePattern.size());
  std::uint64_t m = 0;
  for (; next; ++m) {
    const EpochChunk chunk{m == 0 ? 0 : *start, *next};
    if (chunk.End - chunk.Begin >= kCurrBufBytes) {
      return Stopped(std::move(result), m == 0 ? EpochScanStop::StartingEpochTooLarge
                                               : EpochScanStop::CurrentEpochTooLarge);
    }

    const auto msOfDay = ReadMillisecondsOfDay(log, *start);
    if (!msOfDay) return Stopped(std::move(result), EpochScanStop::MillisecondsOfDayTooLarge);

    const EpochDate date = DateEpoch(log, m, chunk, next, *msOfDay, dating);
    if (date.Stop != EpochScanStop::None) {
      result.BadDate = dating.InForce;
      return Stopped(std::move(result), date.Stop);
    }

    const EpochTracking tracking = TrackSatellitesInEpoch(log, chunk, m, trackState);
    if (tracking.GlnTotalsDiffer) ++result.GlnTotalsMismatchEpochs;
    result.Epochs.push_back({*start, date.Time, tracking.Tracked});
    result.DatedUpTo = *next;

    start = next;
    next = FindPattern(text, kReceiverTimePattern, *start + kReceiverTimePattern.size());
  }

  // The epoch of the last receiver time record is never analysed, but it is
  // dated all the same: what the receiver logged after it arrived then.
  if (const auto msOfDay = ReadMillisecondsOfDay(log, *start)) {
    const EpochDate date = DateEpoch(log, m, {*start, log.size()}, std::nullopt, *msOfDay, dating);
    if (date.Stop == EpochScanStop::None) {
      result.LastEpoch = TrackedEpoch{*start, date.Time, {}};
      result.DatedUpTo = log.size();
    }
  }
  return result;
}

void ShowEpochScan(const EpochScanResult& scan, Toolkit& toolkit, SatelliteCharts& charts) {
  const BusyCursor busy(toolkit);
  charts.Series(SatelliteWindow::Gps, 5).Clear();
  charts.Series(SatelliteWindow::Gln, 5).Clear();
  // Such a disagreement tends to last for hours at 1 Hz: it is told once,
  // at its first epoch, and the scan goes on.
  if (scan.GlnTotalsMismatchEpochs > 0) {
    toolkit.MessageBox("Totals of GLN satellites specified in [SI] and [NN] are different!",
                       "Warning", MessageIcon::Information);
  }
  if (!scan.Completed()) return ShowStop(scan, toolkit);
  AddTrackedPoints(scan.Epochs, charts);
}

EpochScanResult ScanEpochs(ByteSpan log, Toolkit& toolkit, SatelliteCharts& charts) {
  EpochScanResult scan = ReadEpochs(log);
  ShowEpochScan(scan, toolkit, charts);
  return scan;
}

}  // namespace pelorin
