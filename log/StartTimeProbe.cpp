#include "log/StartTimeProbe.h"

#include "log/DateTime.h"

namespace pelorin {
namespace {

// Milliseconds of day of the first receiver time record, when it is below a day.
std::optional<std::uint32_t> FirstMillisecondsOfDay(ByteSpan bytes, std::string_view search) {
  const auto at = FindPattern(search, kReceiverTimePattern);
  if (!at) return std::nullopt;
  const auto ms = ReadU32LE(bytes, FieldOffset(*at, 0));
  if (!ms || *ms >= kMsPerDay) return std::nullopt;
  return ms;
}

// The date of the first receiver date record, when it is plausible and real.
std::optional<double> FirstReceiverDate(ByteSpan bytes, std::string_view search) {
  const auto at = FindPattern(search, kReceiverDatePattern);
  if (!at) return std::nullopt;
  const auto year = ReadU16LE(bytes, FieldOffset(*at, 0));
  const auto month = ReadU8(bytes, FieldOffset(*at, 2));
  const auto day = ReadU8(bytes, FieldOffset(*at, 3));
  if (!year || !month || !day) return std::nullopt;
  if (*year < kFirstPlausibleYear || *year > kLastPlausibleYear) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;
  return EncodeDate(*year, *month, *day);
}

}  // namespace

ProbeResult ProbeStartTimeIn(ByteSpan bytes, std::string_view search) {
  const auto msOfDay = FirstMillisecondsOfDay(bytes, search);

  if (const auto date = FirstReceiverDate(bytes, search)) {
    return {true, *date + (msOfDay ? *msOfDay * kOneMsDays : 0.0)};
  }

  if (const auto at = FindPattern(search, kREPattern)) {
    if (const auto wt = ReadWeekTime(bytes, *at)) {
      return {true, GpsWeekTimeToDateTime(wt->Week, wt->MsOfWeek)};
    }
  }

  // Only the first "rM" is tried: a bad length there ends the probe.
  const auto at = FindPattern(search, kRMPattern);
  if (!at) return {false, GpsTimeOrigin()};
  const auto length = ParseLengthDigits(bytes, *at);
  if (!length || *length > kRMMaxBodyLength) return {false, GpsTimeOrigin()};
  const auto wt = ReadWeekTime(bytes, *at);
  if (!wt) return {false, GpsTimeOrigin()};
  return {true, GpsWeekTimeToDateTime(wt->Week, wt->MsOfWeek)};
}

ProbeResult ProbeStartTimeInImage(const LogImage& image) {
  return ProbeStartTimeIn(image.Bytes, image.Search);
}

ProbeResult ProbeStartTime(const std::string& path) {
  if (path.empty()) return {false, GpsTimeOrigin()};
  return ProbeStartTimeInImage(LoadLog(path));
}

}  // namespace pelorin
