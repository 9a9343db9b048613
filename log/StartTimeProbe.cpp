#include "log/StartTimeProbe.h"

#include "log/DateTime.h"

namespace pelorin {
namespace {

// Milliseconds of day of the first receiver time record, when it is below a day.
std::optional<std::uint32_t> FirstMillisecondsOfDay(const std::optional<FirstRecord>& record) {
  if (!record) return std::nullopt;
  const auto ms = ReadU32LE(record->View(), FieldOffset(0, 0));
  if (!ms || *ms >= kMsPerDay) return std::nullopt;
  return ms;
}

// The date of the first receiver date record, when it is plausible and real.
std::optional<double> FirstReceiverDate(const std::optional<FirstRecord>& record) {
  if (!record) return std::nullopt;
  const ByteSpan bytes = record->View();
  const auto year = ReadU16LE(bytes, FieldOffset(0, 0));
  const auto month = ReadU8(bytes, FieldOffset(0, 2));
  const auto day = ReadU8(bytes, FieldOffset(0, 3));
  if (!year || !month || !day) return std::nullopt;
  if (*year < kFirstPlausibleYear || *year > kLastPlausibleYear) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;
  return EncodeDate(*year, *month, *day);
}

}  // namespace

FirstRecordFinder::FirstRecordFinder()
    : searches_{{{kReceiverTimePattern, &FirstRecords::ReceiverTime},
                 {kReceiverDatePattern, &FirstRecords::ReceiverDate},
                 {kREPattern, &FirstRecords::RE},
                 {kRMPattern, &FirstRecords::RM}}} {}

std::uint64_t FirstRecordFinder::Continue(Search& search, const LogWindow& window) {
  if (search.Done) return kNeedsNothing;
  const ByteSpan unsearched = window.Slice(search.From, window.End());
  const auto at = FindPattern(RawSearchText(unsearched), search.Pattern);
  if (!at) {
    search.From = SearchResumesAt(window, search.Pattern);
    search.Done = window.AtEnd;
    return search.From;
  }
  const std::uint64_t record = search.From + *at;
  if (!window.Holds(record, FirstRecord::kBytes)) {
    search.From = record;  // its fields come with the next window
    return record;
  }
  const ByteSpan bytes = window.Slice(record, record + FirstRecord::kBytes);
  FirstRecord first;
  std::copy(bytes.begin(), bytes.end(), first.Bytes.begin());
  first.Size = bytes.size();
  found_.*search.Into = first;
  search.Done = true;
  return kNeedsNothing;
}

std::uint64_t FirstRecordFinder::Take(const LogWindow& window) {
  std::uint64_t neededFrom = kNeedsNothing;
  for (Search& search : searches_) neededFrom = std::min(neededFrom, Continue(search, window));
  // A plausible receiver date settles the probe: the "rE" and "rM" records
  // need not be looked for any further.
  if (searches_[0].Done && FirstReceiverDate(found_.ReceiverDate)) {
    searches_[2].Done = searches_[3].Done = true;
    neededFrom = std::min(Continue(searches_[0], window), Continue(searches_[1], window));
  }
  return neededFrom;
}

ProbeResult ResolveStartTime(const FirstRecords& first) {
  const auto msOfDay = FirstMillisecondsOfDay(first.ReceiverTime);

  if (const auto date = FirstReceiverDate(first.ReceiverDate)) {
    return {true, *date + (msOfDay ? *msOfDay * kOneMsDays : 0.0)};
  }

  if (first.RE) {
    if (const auto wt = ReadWeekTime(first.RE->View(), 0)) {
      return {true, GpsWeekTimeToDateTime(wt->Week, wt->MsOfWeek)};
    }
  }

  // Only the first "rM" is tried: a bad length there ends the probe.
  if (!first.RM) return {false, GpsTimeOrigin()};
  const auto length = ParseLengthDigits(first.RM->View(), 0);
  if (!length || *length > kRMMaxBodyLength) return {false, GpsTimeOrigin()};
  const auto wt = ReadWeekTime(first.RM->View(), 0);
  if (!wt) return {false, GpsTimeOrigin()};
  return {true, GpsWeekTimeToDateTime(wt->Week, wt->MsOfWeek)};
}

}  // namespace pelorin
