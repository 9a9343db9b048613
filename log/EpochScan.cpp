#include "log/EpochScan.h"

#include <cstdio>
#include <string>
#include <utility>

#include "log/PatternSearch.h"
#include "log/ZelRecords.h"

namespace pelorin {
namespace {

constexpr std::uint64_t kMsOfDayFieldOffset = 0;
constexpr std::uint32_t kHalfDayMs = 43'200'000;

// The date the receiver date record at `record` gives, read without a range
// check. `log` holds the log's bytes from file offset `base` on, and `record`
// counts from there too.
std::optional<ReceiverDateInForce> ReadReceiverDate(ByteSpan log, std::uint64_t record,
                                                    std::uint64_t base) {
  const auto year = ReadU16LE(log, FieldOffset(record, 0));
  const auto month = ReadU8(log, FieldOffset(record, 2));
  const auto day = ReadU8(log, FieldOffset(record, 3));
  if (!year || !month || !day) return std::nullopt;
  return ReceiverDateInForce{{*year, *month, *day}, base + record};
}

// The first receiver time or date record that starts at or after `from`
// and lies wholly in the window: one search finds either kind, in file order.
std::optional<FoundDayRecord> FindTimeOrDate(const LogWindow& window, std::uint64_t from) {
  const auto match = FindEitherPattern(RawSearchText(window.Slice(from, window.End())),
                                       kReceiverTimePattern, kReceiverDatePattern);
  if (!match) return std::nullopt;
  return FoundDayRecord{from + match->Offset,
                        match->First ? DayRecord::ReceiverTime : DayRecord::ReceiverDate};
}

std::optional<std::uint64_t> Relative(std::optional<std::uint64_t> offset, std::uint64_t base) {
  if (!offset) return std::nullopt;
  return *offset - base;
}

// The date set before the first epoch counts as not resolved for as long as
// no record has replaced it with another.
bool IsResolved(const ReceiverDateInForce& date) {
  return date.Date != ReceiverDateInForce{}.Date;
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

struct EpochDate {
  double Day = 0;  // the date-time of the epoch's day at 00:00
  double Time = 0;
  // No receiver date has been read yet: the epoch waits for the log's first.
  bool Undated = false;
  EpochScanStop Stop = EpochScanStop::None;
};

bool NamesACalendarDay(const ReceiverDateInForce& date) {
  return IsRealDate(date.Date.Year, date.Date.Month, date.Date.Day);
}

// The date-time of an epoch: the receiver date in force plus its
// milliseconds of day. Receivers write date records sparsely, so midnight
// moves the date on by itself; and a record of the new day written just
// before that day's first receiver time serves from that epoch on.
EpochDate DateEpoch(ByteSpan log, std::uint64_t base, std::uint64_t epoch,
                    std::optional<std::uint64_t> dateRecord, std::optional<std::uint64_t> nextStart,
                    std::uint32_t msOfDay, EpochDating& dating) {
  const bool deferredNow = dating.Deferred.has_value();
  if (deferredNow) dating.InForce = *std::exchange(dating.Deferred, std::nullopt);
  const bool afterRollOver = dating.PreviousMs && RollsOver(*dating.PreviousMs, msOfDay);
  dating.PreviousMs = msOfDay;

  auto found = dateRecord ? ReadReceiverDate(log, *dateRecord, base) : std::nullopt;
  // Until a date is in force, only a record that names a day can bring one.
  if (found && !IsResolved(dating.InForce) && !NamesACalendarDay(*found)) found.reset();
  if (found) {
    const auto nextMs = nextStart ? ReadU32LE(log, FieldOffset(*nextStart, 0)) : std::nullopt;
    // A record in the first epoch's chunk serves that epoch.
    if (epoch > 0 && found->Date != dating.InForce.Date && nextMs && RollsOver(msOfDay, *nextMs)) {
      dating.Deferred = *found;
    } else {
      dating.InForce = *found;
    }
  } else if (afterRollOver && !deferredNow && IsResolved(dating.InForce)) {
    if (const auto next = NextDay(dating.InForce.Date)) dating.InForce.Date = *next;
  }
  if (!IsResolved(dating.InForce)) return {.Undated = true};

  const CalendarDate& d = dating.InForce.Date;
  const auto day = EncodeDate(d.Year, d.Month, d.Day);
  if (!day) return {.Stop = EpochScanStop::DateDoesNotExist};
  return {.Day = *day, .Time = *day + msOfDay / static_cast<double>(kMsPerDay)};
}

ShownMessage Box(std::string text, std::string caption, bool centres = false) {
  return {std::move(text), std::move(caption), MessageIcon::Information, centres};
}

// The message of a scan that stopped; none for one that completed.
std::optional<ShownMessage> StopMessage(const EpochScanResult& scan) {
  constexpr bool kCentres = true;
  switch (scan.Stop) {
    case EpochScanStop::None:
      return std::nullopt;
    case EpochScanStop::NoReceiverDate:
      return Box("There are no 'Receiver Date' messages in the selected file!", "Corrupt File",
                 kCentres);
    case EpochScanStop::NoReceiverTime:
      return Box("There are no 'Receiver Time' messages in the selected file!", "Corrupt File",
                 kCentres);
    case EpochScanStop::TooFewEpochs:
      return Box("Selected ZEL file is too small (has less than four epochs in it).",
                 "Bad input file", kCentres);
    case EpochScanStop::StartingEpochTooLarge:
      return ShownMessage{
          "Starting epoch requires more memory than is allocated to 'curr_buf'! Fatal error!",
          std::nullopt, std::nullopt};
    case EpochScanStop::CurrentEpochTooLarge:
      return ShownMessage{
          "Current epoch requires more memory than is allocated to 'curr_buf'! Fatal error!",
          std::nullopt, std::nullopt};
    case EpochScanStop::MillisecondsOfDayTooLarge:
      return Box("'Milliseconds of day' must be less than 86,400,000. \n\n ", "Fatal Error");
    case EpochScanStop::StartingDateUnresolved:
      return Box("\tFailed to resolve 'Starting Receiver Date'. \n\nThis ZEL file appears broken!",
                 "Fatal Error");
    case EpochScanStop::DateDoesNotExist: {
      const CalendarDate& d = scan.BadDate.Date;
      char date[32];
      std::snprintf(date, sizeof date, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
      return Box("The receiver date " + std::string(date) + " of the record at file offset " +
                     std::to_string(scan.BadDate.RecordOffset) +
                     " is no day of the calendar. The epoch scan stops here.",
                 "Fatal Error");
    }
  }
  return std::nullopt;
}

}  // namespace

std::uint64_t EpochReader::Take(const LogWindow& window) {
  while (true) {
    // Once the epochs have stopped, only the checks before the first epoch
    // still look further: a receiver date anywhere, and four receiver times.
    if (stop_ != EpochScanStop::None && receiverDateSeen_ &&
        receiverTimes_ >= kFewestReceiverTimes) {
      return kNeedsNothing;
    }
    const auto found = FindTimeOrDate(window, searchFrom_);
    if (!found) return WaitForNextRecord(window);
    const std::uint64_t record = found->Offset;
    if (found->Kind == DayRecord::ReceiverDate) {
      receiverDateSeen_ = true;
      if (!chunkDateRecord_) chunkDateRecord_ = record;  // the first in the epoch serves it
      searchFrom_ = record + kReceiverDatePattern.size();
      continue;
    }
    if (start_) {
      // Epoch m ends here. Its records may reach a little past its end.
      if (stop_ == EpochScanStop::None && !chunkOversized_ &&
          !window.Holds(record, kEpochFieldReach)) {
        searchFrom_ = record;
        return ChunkBegin();
      }
      EndEpoch(window, record);
    }
    start_ = record;
    ++receiverTimes_;
    searchFrom_ = record + kReceiverTimePattern.size();
  }
}

void EpochReader::EndEpoch(const LogWindow& window, std::uint64_t next) {
  if (stop_ == EpochScanStop::None) {
    if (chunkOversized_) {
      Stop(m_ == 0 ? EpochScanStop::StartingEpochTooLarge : EpochScanStop::CurrentEpochTooLarge);
    } else {
      ReadEpoch(window, next);
    }
  }
  ++m_;
  chunkOversized_ = false;
  chunkDateRecord_.reset();
}

std::uint64_t EpochReader::WaitForNextRecord(const LogWindow& window) {
  searchFrom_ = SearchResumesAt(window, kReceiverTimePattern);
  if (window.AtEnd) {
    if (start_ && stop_ == EpochScanStop::None && !chunkOversized_) DateLastEpoch(window);
    // A log cut off while the receiver wrote it ends inside a record.
    if (start_ && window.Offset <= *start_) {
      cutAtEnd_ = FindCutRecordAtEnd(window.Bytes, window.Offset, *start_);
    }
    return kNeedsNothing;
  }
  if (stop_ != EpochScanStop::None || chunkOversized_) return searchFrom_;
  // The current epoch, the first one included before its receiver time is
  // even found, is kept until it ends; but an epoch of curr_buf's size or
  // more is never read, so its bytes need not be kept.
  if (window.End() - ChunkBegin() >= kCurrBufBytes + kEpochFieldReach) {
    chunkOversized_ = true;
    return searchFrom_;
  }
  return ChunkBegin();
}

std::uint64_t EpochReader::ChunkBegin() const {
  return m_ == 0 ? 0 : *start_;  // the first epoch also holds the log's header
}

void EpochReader::Stop(EpochScanStop stop) {
  stop_ = stop;
}

void EpochReader::ReadEpoch(const LogWindow& window, std::uint64_t next) {
  const std::uint64_t base = window.Offset;
  const ByteSpan log = window.Bytes;
  const EpochChunk chunk{ChunkBegin() - base, next - base};
  if (chunk.End - chunk.Begin >= kCurrBufBytes) {
    return Stop(m_ == 0 ? EpochScanStop::StartingEpochTooLarge
                        : EpochScanStop::CurrentEpochTooLarge);
  }

  const auto msOfDay = ReadMillisecondsOfDay(log, *start_ - base);
  if (!msOfDay) return Stop(EpochScanStop::MillisecondsOfDayTooLarge);

  const EpochDate date =
      DateEpoch(log, base, m_, Relative(chunkDateRecord_, base), chunk.End, *msOfDay, dating_);
  if (date.Stop != EpochScanStop::None) {
    result_.BadDate = dating_.InForce;
    return Stop(date.Stop);
  }

  const EpochTracking tracking = TrackSatellitesInEpoch(log, chunk, m_, trackState_);
  if (tracking.GlnTotalsDiffer) ++result_.GlnTotalsMismatchEpochs;
  ReadPosition(log, chunk);
  RoomForOneMore(result_.Epochs);
  if (date.Undated) {
    undatedMsOfDay_.push_back(*msOfDay);
    result_.Epochs.push_back({*start_, 0, tracking.Tracked});
    return;
  }
  DateEarlierEpochs(date.Day, *msOfDay);
  result_.Epochs.push_back({*start_, date.Time, tracking.Tracked});
  result_.DatedUpTo = next;
}

// The epoch about to be added to the epochs, or the last epoch.
void EpochReader::ReadPosition(ByteSpan log, EpochChunk chunk) {
  const PositionInEpoch found = FindRoverPosition(log, chunk);
  result_.PositionRecordsSkipped += found.Skipped;
  if (!found.Position) return;
  const RoverPosition& p = *found.Position;
  if (result_.Positions.empty()) result_.PositionOrigin = p;
  const RoverPosition& origin = result_.PositionOrigin;
  RoomForOneMore(result_.Positions);
  result_.Positions.push_back({static_cast<std::uint32_t>(result_.Epochs.size()),
                               static_cast<float>(p.X - origin.X),
                               static_cast<float>(p.Y - origin.Y),
                               static_cast<float>(p.Z - origin.Z), p.Sigma, p.Solution});
}

// Receivers may write their first date record an epoch or more into the
// log. The epochs before the first dated one take its day, a day less for
// each midnight passed between.
void EpochReader::DateEarlierEpochs(double datedDay, std::uint32_t datedMsOfDay) {
  double day = datedDay;
  std::uint32_t laterMs = datedMsOfDay;
  for (std::size_t k = undatedMsOfDay_.size(); k-- > 0;) {
    const std::uint32_t msOfDay = undatedMsOfDay_[k];
    if (RollsOver(msOfDay, laterMs)) day -= 1;
    result_.Epochs[k].Time = day + msOfDay / static_cast<double>(kMsPerDay);
    laterMs = msOfDay;
  }
  undatedMsOfDay_.clear();
}

// The epoch of the last receiver time record is never analysed, but it is
// dated all the same: what the receiver logged after it arrived then.
void EpochReader::DateLastEpoch(const LogWindow& window) {
  const std::uint64_t base = window.Offset;
  const auto msOfDay = ReadMillisecondsOfDay(window.Bytes, *start_ - base);
  if (!msOfDay) return;
  const EpochDate date = DateEpoch(window.Bytes, base, m_, Relative(chunkDateRecord_, base),
                                   std::nullopt, *msOfDay, dating_);
  if (date.Stop != EpochScanStop::None || date.Undated) return;
  DateEarlierEpochs(date.Day, *msOfDay);
  lastEpoch_ = TrackedEpoch{*start_, date.Time, {}};
  // The rover's solution of its last epoch counts like any other's.
  ReadPosition(window.Bytes, {*start_ - base, window.Bytes.size()});
}

EpochScanResult EpochReader::Finish() {
  // The checks the scan makes before its first epoch, now that the whole
  // log has been seen; the epochs read meanwhile then count for nothing.
  const auto before = [this](EpochScanStop stop) {
    EpochScanResult result;
    result.Stop = stop;
    result.CutAtEnd = cutAtEnd_;
    return result;
  };
  if (!receiverDateSeen_) return before(EpochScanStop::NoReceiverDate);
  if (receiverTimes_ == 0) return before(EpochScanStop::NoReceiverTime);
  if (receiverTimes_ < kFewestReceiverTimes) return before(EpochScanStop::TooFewEpochs);
  EpochScanResult result = std::move(result_);
  result.Stop = stop_;
  if (!undatedMsOfDay_.empty()) {
    // No record from the first epoch on names a day: nothing can be dated.
    if (result.Completed()) result.Stop = EpochScanStop::StartingDateUnresolved;
    result.Epochs.clear();
    result.Positions.clear();
    result.DatedUpTo = 0;
  }
  result.CutAtEnd = cutAtEnd_;
  if (result.Completed() && lastEpoch_) {
    result.LastEpoch = lastEpoch_;
    result.DatedUpTo = kNeedsNothing;  // to the end of the log
  }
  return result;
}

std::vector<ShownMessage> EpochScanMessages(const EpochScanResult& scan) {
  std::vector<ShownMessage> messages;
  // Such a disagreement tends to last for hours at 1 Hz: it is told once,
  // at its first epoch, and the scan goes on.
  if (scan.GlnTotalsMismatchEpochs > 0) {
    messages.push_back(
        Box("Totals of GLN satellites specified in [SI] and [NN] are different!", "Warning"));
  }
  if (auto stop = StopMessage(scan)) messages.push_back(std::move(*stop));
  return messages;
}

}  // namespace pelorin
