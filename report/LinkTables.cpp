#include "report/LinkTables.h"

#include <algorithm>
#include <functional>
#include <string>

#include "log/DateTime.h"
#include "report/LinkText.h"

namespace pelorin {
namespace {

using Row = std::vector<std::string>;

std::string Count(std::int64_t value) {
  return std::to_string(value);
}

// A row with each system's value written by `value`.
Row PerSystem(const LinkReport& link, const std::string& measure,
              const std::function<std::string(const SystemLink&)>& value) {
  return {measure, value(link.Systems[0]), value(link.Systems[1])};
}

// A time of system `s` (GPS time, or GLONASS system time) on `clock`.
std::string TimeText(double windowTime, std::size_t s, report::Clock clock) {
  return report::ClockText(s == 0 ? windowTime : GlonassToGpsTime(windowTime), clock);
}

// A row with each system's time written on `clock`, or "none".
Row PerSystemTime(const LinkReport& link, const std::string& measure,
                  std::optional<double> LinkSpan::*time, report::Clock clock) {
  Row row{measure};
  for (std::size_t s = 0; s < link.Systems.size(); ++s) {
    const std::optional<double>& t = link.Systems[s].Span.*time;
    row.push_back(t ? TimeText(*t, s, clock) : std::string("none"));
  }
  return row;
}

Row LongestGaps(const LinkReport& link, report::Clock clock) {
  Row row{"Longest gap (s)"};
  for (std::size_t s = 0; s < link.Systems.size(); ++s) {
    const std::vector<LinkGap>& gaps = link.Systems[s].Gaps;
    if (gaps.empty()) {
      row.push_back("none");
      continue;
    }
    // The first of the longest, as the report's summary names them.
    const auto longest =
        std::max_element(gaps.begin(), gaps.end(),
                         [](const LinkGap& a, const LinkGap& b) { return a.Seconds < b.Seconds; });
    row.push_back(Count(longest->Seconds) + " from " + TimeText(longest->Start, s, clock));
  }
  return row;
}

std::string AgeValue(const SystemLink& system, double LinkAges::*value) {
  return system.Ages.Count > 0 ? FixedText(system.Ages.*value, 3) : std::string();
}

std::string CommonMedian(const SystemLink& system) {
  if (system.Common.empty()) return {};
  std::vector<int> common;
  common.reserve(system.Common.size());
  for (const CommonSecond& second : system.Common) common.push_back(second.Common);
  const auto middle = common.begin() + static_cast<std::ptrdiff_t>(common.size() / 2);
  std::nth_element(common.begin(), middle, common.end());
  return std::to_string(*middle);
}

void AddSystemRows(const LinkReport& link, report::Clock clock, std::vector<Row>& rows) {
  rows.push_back(PerSystemTime(link, "First message", &LinkSpan::First, clock));
  rows.push_back(PerSystemTime(link, "Last message", &LinkSpan::Last, clock));
  rows.push_back(PerSystem(link, "Seconds with a message",
                           [](const SystemLink& s) { return Count(s.Span.Seconds); }));
  rows.push_back(PerSystem(link, "Share of the span (%)", [](const SystemLink& s) {
    return s.Span.First ? FixedText(s.Span.Percent, 2) : std::string();
  }));
  rows.push_back(PerSystem(link, "Gaps", [](const SystemLink& s) { return Count(s.Gaps.size()); }));
  rows.push_back(LongestGaps(link, clock));
  rows.push_back(PerSystem(link, "Messages repeated",
                           [](const SystemLink& s) { return Count(s.Delivery.Repeated); }));
  rows.push_back(
      PerSystem(link, "Messages late", [](const SystemLink& s) { return Count(s.Delivery.Late); }));
  rows.push_back(PerSystem(link, "Latest by (s)", [](const SystemLink& s) {
    return s.Delivery.Late > 0 ? FixedText(s.Delivery.MostLateMs / 1000.0, 3) : std::string();
  }));
  rows.push_back(PerSystem(link, "Message times dated at the rover",
                           [](const SystemLink& s) { return Count(s.Ages.Count); }));
  rows.push_back(PerSystem(link, "Age, median (s)",
                           [](const SystemLink& s) { return AgeValue(s, &LinkAges::Median); }));
  rows.push_back(PerSystem(link, "Age, 95th percentile (s)",
                           [](const SystemLink& s) { return AgeValue(s, &LinkAges::P95); }));
  rows.push_back(PerSystem(link, "Age, maximum (s)",
                           [](const SystemLink& s) { return AgeValue(s, &LinkAges::Max); }));
  rows.push_back(PerSystem(link, "Messages older than 5 s",
                           [](const SystemLink& s) { return Count(s.Ages.Over5s); }));
  rows.push_back(PerSystem(link, "Seconds with message and epoch",
                           [](const SystemLink& s) { return Count(s.Common.size()); }));
  rows.push_back(PerSystem(link, "Common satellites, median", CommonMedian));
}

// The minute of arrival with the most damage: bad frames first, then stray bytes.
std::string WorstMinute(const LinkIntegrity& integrity, report::Clock clock) {
  if (integrity.PerMinute.empty()) return "none";
  const auto worst = std::max_element(integrity.PerMinute.begin(), integrity.PerMinute.end(),
                                      [](const LinkMinute& a, const LinkMinute& b) {
                                        return std::pair(a.BadFrames, a.StrayBytes) <
                                               std::pair(b.BadFrames, b.StrayBytes);
                                      });
  return report::ClockText(worst->Time, clock) + ": " + Count(worst->BadFrames) + " bad frames, " +
         Count(worst->StrayBytes) + " stray bytes";
}

void AddLinkRows(const LinkReport& link, report::Clock clock, std::vector<Row>& rows) {
  const LinkIntegrity& integrity = link.Integrity;
  rows.push_back({"Bad frames", Count(integrity.BadFrames)});
  rows.push_back({"Bad CMR+ pages", Count(integrity.BadPages)});
  rows.push_back({"Stray bytes", Count(integrity.StrayBytes)});
  rows.push_back({"Worst minute", WorstMinute(integrity, clock)});
  for (const LinkStation& station : link.Stations) {
    rows.push_back(
        {"Station " + std::to_string(station.Id), Count(station.Messages) + " messages"});
  }
  rows.push_back({"Type 1 vs station info (m)", link.Type1VsInfoMetres
                                                    ? FixedText(*link.Type1VsInfoMetres, 3)
                                                    : std::string("not both heard")});
  for (const PositionChange& change : link.PositionChanges) {
    const std::string when = change.Time ? report::ClockText(*change.Time, clock) : "not dated";
    rows.push_back({"Type 1 position", when + ": " + FixedText(change.X, 3) + ", " +
                                           FixedText(change.Y, 3) + ", " + FixedText(change.Z, 3)});
  }
}

}  // namespace

TextTable LinkSummaryTable(const LinkReport& link, report::Clock clock) {
  TextTable table{{"Measure", kSystemNames[0], kSystemNames[1]}, {}};
  AddSystemRows(link, clock, table.Rows);
  AddLinkRows(link, clock, table.Rows);
  return table;
}

TextTable LinkGapsTable(const LinkReport& link, report::Clock clock) {
  TextTable table{{"System", "Start", "End", "Seconds"}, {}};
  for (std::size_t s = 0; s < link.Systems.size(); ++s) {
    for (const LinkGap& gap : link.Systems[s].Gaps) {
      table.Rows.push_back({kSystemNames[s], TimeText(gap.Start, s, clock),
                            TimeText(gap.End, s, clock), Count(gap.Seconds)});
    }
  }
  return table;
}

TextTable LinkSatellitesTable(const LinkReport& link) {
  TextTable table{
      {"System", "Satellite", "Tracked (s)", "Corrected (s)", "Tracked without corrections (s)"},
      {}};
  for (std::size_t s = 0; s < link.Systems.size(); ++s) {
    for (const LinkSatellite& satellite : link.Systems[s].Satellites) {
      table.Rows.push_back({kSystemNames[s], std::to_string(satellite.Id), Count(satellite.Tracked),
                            Count(satellite.Corrected),
                            Count(satellite.TrackedWithoutCorrections)});
    }
  }
  return table;
}

TextTable TrackedWithoutCorrectionsTable(const LinkReport& link) {
  struct Left {
    std::size_t System;
    LinkSatellite Satellite;
  };
  std::vector<Left> left;
  for (std::size_t s = 0; s < link.Systems.size(); ++s) {
    for (const LinkSatellite& satellite : link.Systems[s].Satellites) {
      if (satellite.TrackedWithoutCorrections > 0) left.push_back({s, satellite});
    }
  }
  std::stable_sort(left.begin(), left.end(), [](const Left& a, const Left& b) {
    return a.Satellite.TrackedWithoutCorrections > b.Satellite.TrackedWithoutCorrections;
  });
  TextTable table{{"System", "Satellite", "Tracked without corrections (s)", "Tracked (s)"}, {}};
  for (const Left& l : left) {
    table.Rows.push_back({kSystemNames[l.System], std::to_string(l.Satellite.Id),
                          Count(l.Satellite.TrackedWithoutCorrections),
                          Count(l.Satellite.Tracked)});
  }
  return table;
}

}  // namespace pelorin
