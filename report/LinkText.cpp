#include "report/LinkText.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "log/DateTime.h"
#include "report/Report.h"

namespace pelorin::report {
namespace {

constexpr const char* kSystemKeys[] = {"gps", "gln"};
constexpr const char* kSystemNames[] = {"GPS", "GLONASS"};

std::string OptionalNumber(const std::optional<double>& value) {
  return value ? JsonNumber(*value) : "null";
}

// {"gps": ..., "gln": ...} with each system's value written by `write`.
template <typename Write>
void PerSystem(std::ostream& out, const LinkReport& link, Write write) {
  out << "{";
  for (std::size_t s = 0; s < 2; ++s) {
    out << (s ? ", " : "") << "\"" << kSystemKeys[s] << "\": ";
    write(link.Systems[s]);
  }
  out << "}";
}

template <typename Items, typename Write>
void List(std::ostream& out, const Items& items, Write write) {
  out << "[";
  for (std::size_t k = 0; k < items.size(); ++k) {
    out << (k ? ", " : "");
    write(items[k]);
  }
  out << "]";
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds + 0.0);  // never "-0.000"
  return text;
}

}  // namespace

std::string DateTimeText(double dateTime) {
  return ClockText(dateTime, Clock::Gps);
}

void WriteLinkJson(std::ostream& out, const LinkReport& link) {
  out << "{\"span\": ";
  PerSystem(out, link, [&out](const SystemLink& s) {
    out << "{\"first\": " << OptionalNumber(s.Span.First)
        << ", \"last\": " << OptionalNumber(s.Span.Last) << ", \"seconds\": " << s.Span.Seconds
        << ", \"percent\": " << JsonNumber(s.Span.Percent) << "}";
  });
  out << ",\n  \"gaps\": ";
  PerSystem(out, link, [&out](const SystemLink& s) {
    List(out, s.Gaps, [&out](const LinkGap& g) {
      out << "[" << JsonNumber(g.Start) << ", " << JsonNumber(g.End) << ", " << g.Seconds << "]";
    });
  });
  out << ",\n  \"repeated\": ";
  PerSystem(out, link, [&out](const SystemLink& s) { out << s.Delivery.Repeated; });
  out << ",\n  \"late\": ";
  PerSystem(out, link, [&out](const SystemLink& s) {
    out << "{\"count\": " << s.Delivery.Late
        << ", \"maxSeconds\": " << JsonNumber(s.Delivery.MostLateMs / 1000.0) << "}";
  });
  out << ",\n  \"age\": ";
  PerSystem(out, link, [&out](const SystemLink& s) {
    const LinkAges& a = s.Ages;
    const auto value = [&a](double v) { return a.Count ? JsonNumber(v) : "null"; };
    out << "{\"median\": " << value(a.Median) << ", \"p95\": " << value(a.P95)
        << ", \"max\": " << value(a.Max) << ", \"over5s\": " << a.Over5s
        << ", \"count\": " << a.Count << "}";
  });
  out << ",\n  \"satellites\": ";
  PerSystem(out, link, [&out](const SystemLink& s) {
    List(out, s.Satellites, [&out](const LinkSatellite& v) {
      out << "{\"id\": " << v.Id << ", \"tracked\": " << v.Tracked
          << ", \"corrected\": " << v.Corrected
          << ", \"trackedWithoutCorrections\": " << v.TrackedWithoutCorrections << "}";
    });
  });
  out << ",\n  \"common\": ";
  PerSystem(out, link, [&out](const SystemLink& s) {
    List(out, s.Common, [&out](const CommonSecond& c) {
      out << "[" << JsonNumber(c.Time) << ", " << c.Corrected << ", " << c.Tracked << ", "
          << c.Common << "]";
    });
  });
  const LinkIntegrity& i = link.Integrity;
  out << ",\n  \"integrity\": {\"badFrames\": " << i.BadFrames << ", \"badPages\": " << i.BadPages
      << ", \"strayBytes\": " << i.StrayBytes << ", \"perMinute\": ";
  List(out, i.PerMinute, [&out](const LinkMinute& m) {
    out << "[" << JsonNumber(m.Time) << ", " << m.BadFrames << ", " << m.StrayBytes << "]";
  });
  out << "},\n  \"stations\": ";
  List(out, link.Stations, [&out](const LinkStation& s) {
    out << "{\"id\": " << s.Id << ", \"messages\": " << s.Messages << "}";
  });
  out << ",\n  \"positionChanges\": ";
  List(out, link.PositionChanges, [&out](const PositionChange& p) {
    out << "[" << OptionalNumber(p.Time) << ", " << JsonNumber(p.X) << ", " << JsonNumber(p.Y)
        << ", " << JsonNumber(p.Z) << "]";
  });
  out << ",\n  \"type1VsInfoMetres\": " << OptionalNumber(link.Type1VsInfoMetres) << "}";
}

void WriteLinkSummary(std::ostream& out, const LinkReport& link, Clock clock) {
  for (std::size_t s = 0; s < 2; ++s) {
    const SystemLink& system = link.Systems[s];
    const auto when = [s, clock](double windowTime) {
      return ClockText(s == 0 ? windowTime : GlonassToGpsTime(windowTime), clock);
    };
    out << "  link " << kSystemNames[s] << ": ";
    if (!system.Span.First) {
      out << "no messages\n";
      continue;
    }
    out << when(*system.Span.First) << " to " << when(*system.Span.Last) << ", "
        << system.Span.Seconds << " s with a message (";
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.2f", system.Span.Percent);
    out << percent << " %)\n";
    std::vector<LinkGap> longest = system.Gaps;
    std::stable_sort(longest.begin(), longest.end(),
                     [](const LinkGap& a, const LinkGap& b) { return a.Seconds > b.Seconds; });
    out << "    gaps: " << longest.size();
    for (std::size_t k = 0; k < std::min<std::size_t>(longest.size(), 3); ++k) {
      out << (k ? ", " : "; longest ") << longest[k].Seconds << " s from "
          << when(longest[k].Start);
    }
    out << "\n";
    const DeliveryOrder& d = system.Delivery;
    out << "    delivery: " << d.Repeated << " repeated, " << d.Late << " late";
    if (d.Late > 0) out << " (the latest by " << Seconds(d.MostLateMs / 1000.0) << ")";
    out << "\n";
    const LinkAges& a = system.Ages;
    if (a.Count > 0) {
      out << "    age at the rover: median " << Seconds(a.Median) << ", 95 % " << Seconds(a.P95)
          << ", max " << Seconds(a.Max) << ", " << a.Over5s << " of " << a.Count
          << " older than 5 s\n";
    }
    if (!system.Common.empty()) {
      std::vector<int> common;
      for (const CommonSecond& c : system.Common) common.push_back(c.Common);
      std::nth_element(common.begin(), common.begin() + common.size() / 2, common.end());
      out << "    satellites in the corrections and tracked at the rover: median "
          << common[common.size() / 2] << " over " << system.Common.size() << " s\n";
    }
  }
  const LinkIntegrity& i = link.Integrity;
  out << "  link integrity: " << i.BadFrames << " bad frames, " << i.BadPages << " bad pages, "
      << i.StrayBytes << " stray bytes\n";
  out << "  stations heard:";
  for (const LinkStation& s : link.Stations) out << " " << s.Id << " (" << s.Messages << ")";
  out << "\n";
  if (link.Type1VsInfoMetres) {
    char metres[32];
    std::snprintf(metres, sizeof metres, "%.3f m", *link.Type1VsInfoMetres);
    out << "  type 1 against station information: " << metres << "\n";
  }
  out << "  station positions (type 1): " << link.PositionChanges.size()
      << " (the first and each change)\n";
}

}  // namespace pelorin::report
