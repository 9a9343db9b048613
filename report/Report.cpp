#include "report/Report.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "cmr/LinkReport.h"
#include "cmr/LogText.h"
#include "report/LinkText.h"
#include "report/SolutionText.h"
#include "report/VerdictText.h"
#include "station/ReferencePanel.h"

namespace pelorin::report {

const std::array<const char*, 11> kReportedBoxes = {"Edit2",  "Edit3",  "Edit4",  "Edit5",
                                                    "Edit8",  "Edit12", "Edit13", "Edit14",
                                                    "Edit15", "Edit16", "Edit100"};

namespace {

// The panel's views as the count boxes open it, and the boxes' names.
constexpr std::array<std::pair<const char*, PanelSource>, 3> kPanelClicks = {
    {{"Edit3Click", PanelSource::Type1},
     {"Edit4Click", PanelSource::Type2},
     {"Edit8Click", PanelSource::CmrPlus}}};
constexpr std::array<const char*, 6> kPanelValueBoxes = {"Edit1", "Edit6",  "Edit7",
                                                         "Edit9", "Edit10", "Edit11"};
constexpr std::array<const char*, 3> kPanelHintKeys = {"Edit1Hint", "Edit6Hint", "Edit7Hint"};
// The hints of the X, Y and Z boxes before any panel was shown.
constexpr std::array<const char*, 3> kDesignHints = {"X-coordinate", "Y-coordinate",
                                                     "Z-coordinate"};
constexpr std::array<const char*, 5> kIdentifierBoxes = {"Edit12", "Edit13", "Edit14", "Edit15",
                                                         "Edit16"};

const char* IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop:
      return "stop";
    case MessageIcon::Exclamation:
      return "exclamation";
    case MessageIcon::Information:
      return "information";
  }
  return "information";
}

std::string Coordinates(const StationCoordinates& c) {
  std::ostringstream text;
  text << "[" << JsonNumber(c.X) << ", " << JsonNumber(c.Y) << ", " << JsonNumber(c.Z) << ", "
       << JsonNumber(c.AntennaHeight) << ", " << JsonNumber(c.EastOffset) << ", "
       << JsonNumber(c.NorthOffset) << "]";
  return text.str();
}

void WriteSeries(std::ostream& out, const SeriesData& series) {
  out << "[";
  for (std::size_t k = 0; k < series.Points.size(); ++k) {
    const ChartPoint& p = series.Points[k];
    out << (k ? ", " : "") << "[" << JsonNumber(p.X) << ", " << JsonNumber(p.Y) << ", " << p.Colour
        << "]";
  }
  out << "]";
}

// {"Series1": ..., "Series5": ...} with each series written by `write`.
template <typename Write>
void PerSeries(std::ostream& out, const WindowSeries& window, Write write) {
  out << "{";
  for (std::size_t n = 0; n < window.size(); ++n) {
    out << (n ? ", " : "") << "\"Series" << n + 1 << "\": ";
    write(window[n]);
  }
  out << "}";
}

void WriteAllSeries(std::ostream& out, const AnalysisResult& result, bool withPoints) {
  const WindowSeries& gps = result.SeriesOf(GnssSystem::Gps);
  const WindowSeries& gln = result.SeriesOf(GnssSystem::Glonass);
  const auto points = [&out](const SeriesData& s) { WriteSeries(out, s); };
  const auto count = [&out](const SeriesData& s) { out << s.Points.size(); };
  const auto active = [&out](const SeriesData& s) { out << (s.Active ? "true" : "false"); };
  if (withPoints) {
    out << "\"gps\": ";
    PerSeries(out, gps, points);
    out << ",\n            \"gln\": ";
    PerSeries(out, gln, points);
  } else {
    out << "\"counts\": {\"gps\": ";
    PerSeries(out, gps, count);
    out << ", \"gln\": ";
    PerSeries(out, gln, count);
    out << "}";
  }
  out << ",\n            \"active\": {\"gps\": ";
  PerSeries(out, gps, active);
  out << ", \"gln\": ";
  PerSeries(out, gln, active);
  out << "}";
}

void WriteStore(std::ostream& out, const DecodedStore& s) {
  out << "{\"Type0Count\": " << s.Type0Count << ", \"Type1Count\": " << s.Type1Count
      << ", \"Type2Count\": " << s.Type2Count << ", \"Type3Count\": " << s.Type3Count
      << ", \"CmrPlusCount\": " << s.CmrPlusCount
      << ",\n   \"ReferenceStationId\": " << s.ReferenceStationId
      << ", \"AntennaTypeNumber\": " << s.AntennaTypeNumber
      << ", \"LogStartTime\": " << JsonNumber(s.LogStartTime)
      << ", \"CmrStreamLength\": " << s.CmrStreamLength
      << ",\n   \"Type1Coordinates\": " << Coordinates(s.Type1Coordinates)
      << ", \"StationInfoCoordinates\": " << Coordinates(s.StationInfoCoordinates)
      << ",\n   \"StationInfoComplete\": " << (s.StationInfoComplete ? "true" : "false")
      << ", \"Type2ShortId\": " << JsonString(s.Type2ShortId)
      << ", \"Type2CogoCode\": " << JsonString(s.Type2CogoCode)
      << ", \"Type2LongId\": " << JsonString(s.Type2LongId)
      << ",\n   \"InfoShortId\": " << JsonString(s.InfoShortId)
      << ", \"InfoCogoCode\": " << JsonString(s.InfoCogoCode)
      << ", \"InfoLongId\": " << JsonString(s.InfoLongId) << "}";
}

// What the panel shows after one click in a freshly started program whose
// analysis left the store and the identifier boxes as given: null when the
// click does not open it.
void WritePanelView(std::ostream& out, PanelSource source, const DecodedStore& store,
                    const BoxTexts& texts) {
  const PanelView view = PanelViewFor(source, store);
  if (!view.Opens) {
    out << "null";
    return;
  }
  out << "{";
  for (std::size_t k = 0; k < kPanelValueBoxes.size(); ++k) {
    out << (k ? ", " : "") << JsonString(kPanelValueBoxes[k]) << ": "
        << JsonString(view.Fill ? view.Fill->Values[k] : std::string());
  }
  for (std::size_t k = 0; k < kPanelHintKeys.size(); ++k) {
    out << ", " << JsonString(kPanelHintKeys[k]) << ": "
        << JsonString(view.Fill ? view.Fill->Hints[k] : std::string(kDesignHints[k]));
  }
  for (const char* box : kIdentifierBoxes) {
    out << ", " << JsonString(box) << ": " << JsonString(BoxText(texts, box));
  }
  out << "}";
}

// Text shown in a box stops at a zero byte, as in the window.
std::string AsShown(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

bool PastTheProbe(AnalysisOutcome outcome) {
  return outcome == AnalysisOutcome::Completed || outcome == AnalysisOutcome::ScanStopped;
}

}  // namespace

void WriteJson(std::ostream& out, const JsonInput& input) {
  const AnalysisResult& r = *input.Result;
  out << "{\"file\": " << JsonString(input.File)
      << ", \"completed\": " << (r.Outcome == AnalysisOutcome::Completed ? "true" : "false")
      << ", \"GlnTotalsMismatchEpochs\": " << r.Scan.GlnTotalsMismatchEpochs;
  out << ",\n \"messages\": [";
  for (std::size_t k = 0; k < r.Messages.size(); ++k) {
    const ShownMessage& m = r.Messages[k];
    out << (k ? ", " : "") << "{\"caption\": " << (m.Caption ? JsonString(*m.Caption) : "null")
        << ", \"text\": " << JsonString(m.Text)
        << ", \"icon\": " << (m.Icon ? JsonString(IconName(*m.Icon)) : "null") << "}";
  }
  out << "],\n \"window\": {";
  for (std::size_t k = 0; k < kReportedBoxes.size(); ++k) {
    out << (k ? ", " : "") << JsonString(kReportedBoxes[k]) << ": "
        << JsonString(AsShown(BoxText(input.Texts, kReportedBoxes[k])));
  }
  out << "},\n \"store\": ";
  WriteStore(out, *input.Store);
  out << ",\n \"series\": {";
  WriteAllSeries(out, r, input.WithPoints);
  out << "},\n \"views\": {";
  for (std::size_t k = 0; k < kPanelClicks.size(); ++k) {
    out << (k ? ", " : "") << JsonString(kPanelClicks[k].first) << ": ";
    WritePanelView(out, kPanelClicks[k].second, *input.Store, input.Texts);
  }
  out << "},\n \"link\": ";
  if (r.Link) {
    WriteLinkJson(out, *r.Link);
  } else {
    out << "null";
  }
  out << ",\n \"solution\": ";
  WriteSolutionJson(out, r.Solution.get(), r.Rover.get(), input.WithPoints);
  out << ",\n \"verdict\": ";
  WriteVerdictJson(out, r.Judged.get(), input.TimesOn);
  out << "}";
}

void WriteSummary(std::ostream& out, const SummaryInput& input) {
  const AnalysisResult& r = *input.Result;
  const DecodedStore& s = r.Store;
  const bool completed = r.Outcome == AnalysisOutcome::Completed;
  out << PrintableLogText(input.File) << ": " << (completed ? "analysed" : "stopped") << "\n";
  if (r.Judged) out << "  verdict: " << VerdictLine(*r.Judged, input.TimesOn) << "\n";
  for (const ShownMessage& m : r.Messages) {
    out << "  message: " << (m.Caption ? "[" + *m.Caption + "] " : std::string())
        << PrintableLogText(OnOneLine(m.Text)) << "\n";
  }
  if (!PastTheProbe(r.Outcome)) return;
  out << "  messages of the reference station: type 0 " << s.Type0Count << ", type 1 "
      << s.Type1Count << ", type 2 " << s.Type2Count << ", type 3 " << s.Type3Count
      << ", CMR+ pages " << s.CmrPlusCount << "\n";
  out << "  station " << s.ReferenceStationId << ", antenna type " << s.AntennaTypeNumber << "\n";
  for (const auto& [box, label] :
       {std::pair{"Edit14", "short ID"}, std::pair{"Edit15", "COGO code"},
        std::pair{"Edit16", "long ID"}}) {
    out << "  " << label << ": " << Quoted(PrintableLogText(BoxText(input.Texts, box))) << "\n";
  }
  if (s.Type1Count > 0)
    out << "  type 1 position: " << DescribePosition(s.Type1Coordinates) << "\n";
  if (s.CmrPlusCount > 0) {
    out << "  station information position: "
        << DescribePosition(MillimetresToMetres(s.StationInfoCoordinates)) << "\n";
  }
  const EpochScanSummary& scan = r.Scan;
  out << "  rover epochs: " << (scan.Completed ? "" : "stopped after ") << scan.EpochsScanned
      << "; satellites tracked at the rover: GPS " << input.PointCounts[0][4] << ", GLONASS "
      << input.PointCounts[1][4] << " (satellite-epochs)\n";
  out << "  epochs whose satellite list records disagree on the number of GLONASS satellites: "
      << scan.GlnTotalsMismatchEpochs << "\n";
  for (std::size_t w = 0; w < kSystemCount; ++w) {
    const auto& n = input.PointCounts[w];
    out << "  " << (w == 0 ? "GPS" : "GLONASS") << " chart: messages " << n[0]
        << ", satellites in the corrections " << n[1] << ", missing seconds " << n[2]
        << ", without L2 " << n[3] << ", tracked at the rover " << n[4] << "\n";
  }
  if (r.Link) WriteLinkSummary(out, *r.Link, input.TimesOn);
  if (r.Solution) WriteSolutionSummary(out, *r.Solution, input.TimesOn);
}

std::string SummaryText(const SummaryInput& summary) {
  std::ostringstream text;
  WriteSummary(text, summary);
  return text.str();
}

std::string OnOneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\t') c = ' ';
  }
  return text;
}

std::string JsonString(std::string_view text) {
  const std::string utf8 = DecodeLogText(text);
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace pelorin::report
