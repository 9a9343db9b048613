#include "app/report/Report.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <sstream>

#include "cmr/Analysis.h"
#include "platform/RecordingCharts.h"
#include "platform/RecordingToolkit.h"
#include "station/ReferencePanel.h"

namespace pelorin::report {
namespace {

constexpr const char* kUsage =
    "usage: pelorin-report [--json] [--cmr-out PATH] LOG...\n"
    "Analyses each LOG as the open button does and prints what the window shows.\n";

const char* const kWindowBoxes[] = {"Edit2",  "Edit3",  "Edit4",  "Edit5",  "Edit8",  "Edit12",
                                    "Edit13", "Edit14", "Edit15", "Edit16", "Edit100"};
const char* const kPanelClicks[] = {"Edit3Click", "Edit4Click", "Edit8Click"};
const char* const kPanelViewKeys[] = {"Edit1",  "Edit6",     "Edit7",     "Edit9",     "Edit10",
                                      "Edit11", "Edit1Hint", "Edit6Hint", "Edit7Hint", "Edit12",
                                      "Edit13", "Edit14",    "Edit15",    "Edit16"};

struct Options {
  bool Json = false;
  std::optional<std::string> CmrOut;
  std::vector<std::string> Logs;
};

std::optional<Options> ParseArguments(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t k = 1; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (arg == "--json") {
      options.Json = true;
    } else if (arg == "--cmr-out") {
      if (++k >= args.size()) return std::nullopt;
      options.CmrOut = args[k];
    } else if (arg == "--") {
      options.Logs.insert(options.Logs.end(), args.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                          args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return std::nullopt;
    } else {
      options.Logs.push_back(arg);
    }
  }
  if (options.Logs.empty()) return std::nullopt;
  return options;
}

std::string ProgramFilePath(const std::vector<std::string>& args) {
  std::error_code error;
  const auto self = std::filesystem::canonical("/proc/self/exe", error);
  if (!error) return self.string();
  return std::filesystem::absolute(args.empty() ? "pelorin-report" : args[0], error).string();
}

// A freshly started main window, as far as the report shows it.
void SetDesignTexts(RecordingToolkit& toolkit) {
  toolkit.SetText("Edit2", " Type 0: ");
  toolkit.SetText("Edit3", " Type 1: ");
  toolkit.SetText("Edit4", " Type 2: ");
  toolkit.SetText("Edit5", " Type 3: ");
  toolkit.SetText("Edit8", "            Scrolling Station Info:");
  toolkit.SetText("Edit100", " SELECTED FILE:");
  toolkit.SetVisible("Edit100", false);
}

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

// What one analysis left, taken right after it.
struct AnalysisReport {
  std::string File;
  AnalysisOutcome Outcome = AnalysisOutcome::NoFile;
  bool Completed = false;
  EpochScanSummary Scan;
  std::vector<ShownMessage> Messages;
  std::vector<std::pair<std::string, std::string>> Window;
  std::map<std::string, std::optional<std::map<std::string, std::string>>> Views;
};

std::string Coordinates(const StationCoordinates& c) {
  return "[" + JsonNumber(c.X) + ", " + JsonNumber(c.Y) + ", " + JsonNumber(c.Z) + ", " +
         JsonNumber(c.AntennaHeight) + ", " + JsonNumber(c.EastOffset) + ", " +
         JsonNumber(c.NorthOffset) + "]";
}

void WriteSeries(std::ostream& out, const RecordingSeries& series) {
  out << "[";
  for (std::size_t k = 0; k < series.Points.size(); ++k) {
    const ChartPoint& p = series.Points[k];
    out << (k ? ", " : "") << "[" << JsonNumber(p.X) << ", " << JsonNumber(p.Y) << ", " << p.Colour
        << "]";
  }
  out << "]";
}

void WriteWindowSeries(std::ostream& out, const RecordingCharts& charts, SatelliteWindow window) {
  out << "{";
  for (int n = 1; n <= kSeriesPerWindow; ++n) {
    out << (n > 1 ? ", " : "") << "\"Series" << n << "\": ";
    WriteSeries(out, charts.At(window, n));
  }
  out << "}";
}

void WriteActive(std::ostream& out, const RecordingCharts& charts, SatelliteWindow window) {
  out << "{";
  for (int n = 1; n <= kSeriesPerWindow; ++n) {
    out << (n > 1 ? ", " : "") << "\"Series" << n
        << "\": " << (charts.At(window, n).Active() ? "true" : "false");
  }
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

void WriteJson(std::ostream& out, const AnalysisReport& r, const DecodedStore& store,
               const RecordingCharts& charts) {
  out << "{\"file\": " << JsonString(r.File)
      << ", \"completed\": " << (r.Completed ? "true" : "false")
      << ", \"GlnTotalsMismatchEpochs\": " << r.Scan.GlnTotalsMismatchEpochs;
  out << ",\n \"messages\": [";
  for (std::size_t k = 0; k < r.Messages.size(); ++k) {
    const ShownMessage& m = r.Messages[k];
    out << (k ? ", " : "") << "{\"caption\": " << (m.Caption ? JsonString(*m.Caption) : "null")
        << ", \"text\": " << JsonString(m.Text)
        << ", \"icon\": " << (m.Icon ? JsonString(IconName(*m.Icon)) : "null") << "}";
  }
  out << "],\n \"window\": {";
  for (std::size_t k = 0; k < r.Window.size(); ++k) {
    out << (k ? ", " : "") << JsonString(r.Window[k].first) << ": "
        << JsonString(r.Window[k].second);
  }
  out << "},\n \"store\": ";
  WriteStore(out, store);
  out << ",\n \"series\": {\"gps\": ";
  WriteWindowSeries(out, charts, SatelliteWindow::Gps);
  out << ",\n            \"gln\": ";
  WriteWindowSeries(out, charts, SatelliteWindow::Gln);
  out << ",\n            \"active\": {\"gps\": ";
  WriteActive(out, charts, SatelliteWindow::Gps);
  out << ", \"gln\": ";
  WriteActive(out, charts, SatelliteWindow::Gln);
  out << "}},\n \"views\": {";
  bool first = true;
  for (const char* click : kPanelClicks) {
    out << (first ? "" : ", ") << JsonString(click) << ": ";
    first = false;
    const auto& view = r.Views.at(click);
    if (!view) {
      out << "null";
      continue;
    }
    out << "{";
    bool firstKey = true;
    for (const char* key : kPanelViewKeys) {
      const auto it = view->find(key);
      out << (firstKey ? "" : ", ") << JsonString(key) << ": "
          << JsonString(it == view->end() ? std::string() : it->second);
      firstKey = false;
    }
    out << "}";
  }
  out << "}}";
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

void WriteSummary(std::ostream& out, const AnalysisReport& r, const DecodedStore& s,
                  const RecordingCharts& charts) {
  out << r.File << ": " << (r.Completed ? "analysed" : "stopped") << "\n";
  for (const ShownMessage& m : r.Messages) {
    std::string text = m.Text;
    for (char& c : text) {
      if (c == '\n' || c == '\t') c = ' ';
    }
    out << "  message: " << (m.Caption ? "[" + *m.Caption + "] " : std::string()) << text << "\n";
  }
  const bool pastTheProbe =
      r.Outcome == AnalysisOutcome::Completed || r.Outcome == AnalysisOutcome::ScanStopped;
  if (!pastTheProbe) return;
  out << "  counts: type 0 " << s.Type0Count << ", type 1 " << s.Type1Count << ", type 2 "
      << s.Type2Count << ", type 3 " << s.Type3Count << ", CMR+ pages " << s.CmrPlusCount << "\n";
  out << "  station " << s.ReferenceStationId << ", antenna type " << s.AntennaTypeNumber << "\n";
  for (const auto& [box, label] :
       {std::pair{"Edit14", "short ID"}, std::pair{"Edit15", "COGO code"},
        std::pair{"Edit16", "long ID"}}) {
    for (const auto& [name, text] : r.Window) {
      if (name == box) out << "  " << label << ": " << Quoted(text) << "\n";
    }
  }
  if (s.Type1Count > 0)
    out << "  type 1 position: " << DescribePosition(s.Type1Coordinates) << "\n";
  if (s.CmrPlusCount > 0) {
    out << "  station information position: "
        << DescribePosition(MillimetresToMetres(s.StationInfoCoordinates)) << "\n";
  }
  out << "  epoch scan: " << (r.Scan.Completed ? "" : "stopped after ") << r.Scan.EpochsScanned
      << " epochs, tracked points GPS " << charts.At(SatelliteWindow::Gps, 5).Points.size()
      << ", GLONASS " << charts.At(SatelliteWindow::Gln, 5).Points.size() << "\n";
  out << "  epochs whose [SI] and [NN] GLONASS totals differ: " << r.Scan.GlnTotalsMismatchEpochs
      << "\n";
  for (const auto& [window, name] :
       {std::pair{SatelliteWindow::Gps, "GPS"}, std::pair{SatelliteWindow::Gln, "GLONASS"}}) {
    out << "  " << name << " points:";
    for (int n = 1; n <= kSeriesPerWindow; ++n) {
      out << " Series" << n << " " << charts.At(window, n).Points.size();
    }
    out << "\n";
  }
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
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
        if (byte < 0x20 || byte >= 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
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

int RunReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto options = ParseArguments(args);
  if (!options) {
    err << kUsage;
    return kUsageError;
  }

  SharedState state;
  InitialiseSharedState(state, ProgramFilePath(args));
  RecordingToolkit toolkit;
  SetDesignTexts(toolkit);
  RecordingCharts charts;
  AnalysisOptions analysisOptions;
  analysisOptions.ContentsPath = options->CmrOut;

  int status = kAllCompleted;
  if (options->Json) out << "[";
  for (std::size_t k = 0; k < options->Logs.size(); ++k) {
    const std::string& log = options->Logs[k];
    AnalysisReport report;
    report.File = log;
    const std::size_t firstMessage = toolkit.Messages.size();
    std::error_code error;
    toolkit.NextDialogPath = std::filesystem::absolute(log, error).string();
    report.Outcome = OpenAndAnalyse(state, toolkit, charts, analysisOptions);
    report.Completed = report.Outcome == AnalysisOutcome::Completed;
    report.Scan = state.LastEpochScan;
    if (!report.Completed) status = kStoppedAtFatal;
    report.Messages.assign(toolkit.Messages.begin() + static_cast<std::ptrdiff_t>(firstMessage),
                           toolkit.Messages.end());
    std::map<std::string, std::string> identifiers;
    for (const char* box : kWindowBoxes) {
      report.Window.emplace_back(box, toolkit.TextOf(box));
      identifiers[box] = toolkit.TextOf(box);
    }
    for (const char* click : kPanelClicks) {
      report.Views[click] = PanelViewAfterClick(state.Store, identifiers, click);
    }
    if (options->Json) {
      out << (k ? ",\n" : "\n");
      WriteJson(out, report, state.Store, charts);
    } else {
      WriteSummary(out, report, state.Store, charts);
    }
  }
  if (options->Json) out << "\n]\n";
  return status;
}

}  // namespace pelorin::report
