#include "report/Report.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>
#include <variant>

#include "cmr/Analysis.h"
#include "cmr/LinkReport.h"
#include "cmr/LogText.h"
#include "platform/RecordingCharts.h"
#include "platform/RecordingToolkit.h"
#include "report/LinkText.h"
#include "station/ReferencePanel.h"

namespace pelorin::report {
namespace {

constexpr const char* kUsage =
    "usage: pelorin-report [--json [--no-points]] [--sequence] [--cmr-out PATH] LOG...\n"
    "Analyses each LOG as the open button does and prints what the window shows.\n"
    "  --json          one JSON array with an object per LOG instead of a summary\n"
    "  --no-points     with --json, the number of points of each chart series\n"
    "                  instead of the points\n"
    "  --cmr-out PATH  write the unwrapped CMR stream of each analysis to PATH\n"
    "  --sequence      analyse the logs one after another in one shared state, as\n"
    "                  one window would; by default each starts afresh\n"
    "  --help          this text\n"
    "Exit status: 0 every analysis completed, 1 one stopped at a fatal message,\n"
    "2 usage error, 3 an output could not be written.\n";

const char* const kWindowBoxes[] = {"Edit2",  "Edit3",  "Edit4",  "Edit5",  "Edit8",  "Edit12",
                                    "Edit13", "Edit14", "Edit15", "Edit16", "Edit100"};
const char* const kPanelClicks[] = {"Edit3Click", "Edit4Click", "Edit8Click"};
const char* const kPanelViewKeys[] = {"Edit1",  "Edit6",     "Edit7",     "Edit9",     "Edit10",
                                      "Edit11", "Edit1Hint", "Edit6Hint", "Edit7Hint", "Edit12",
                                      "Edit13", "Edit14",    "Edit15",    "Edit16"};

struct Options {
  bool Json = false;
  bool Sequence = false;
  bool Help = false;
  bool NoPoints = false;
  std::optional<std::string> CmrOut;
  std::vector<std::string> Logs;
};

struct UsageError {
  std::string Message;
};

// Whether two paths name the same file (device and inode), whatever their names.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

std::variant<Options, UsageError> ParseArguments(const std::vector<std::string>& args) {
  Options options;
  bool optionsEnded = false;
  for (std::size_t k = 1; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      if (arg.empty()) return UsageError{"an empty LOG argument"};
      options.Logs.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--json") {
      options.Json = true;
    } else if (arg == "--sequence") {
      options.Sequence = true;
    } else if (arg == "--no-points") {
      options.NoPoints = true;
    } else if (arg == "--help" || arg == "-h") {
      options.Help = true;
    } else if (arg == "--cmr-out") {
      if (++k >= args.size() || args[k].empty()) return UsageError{"--cmr-out needs a PATH"};
      options.CmrOut = args[k];
    } else {
      return UsageError{"unknown option " + arg};
    }
  }
  if (options.Help) return options;
  if (options.Logs.empty()) return UsageError{"no LOG given"};
  for (const std::string& log : options.Logs) {
    if (options.CmrOut && SameFile(*options.CmrOut, log)) {
      return UsageError{"--cmr-out names the log " + log + "; a log is never written"};
    }
  }
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
  ShowStartUpTexts(toolkit);
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
  std::ostringstream text;
  text << "[" << JsonNumber(c.X) << ", " << JsonNumber(c.Y) << ", " << JsonNumber(c.Z) << ", "
       << JsonNumber(c.AntennaHeight) << ", " << JsonNumber(c.EastOffset) << ", "
       << JsonNumber(c.NorthOffset) << "]";
  return text.str();
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

void WriteWindowSeries(std::ostream& out, const RecordingCharts& charts, GnssSystem window) {
  out << "{";
  for (int n = 1; n <= kSeriesPerWindow; ++n) {
    out << (n > 1 ? ", " : "") << "\"Series" << n << "\": ";
    WriteSeries(out, charts.At(window, n));
  }
  out << "}";
}

void WriteCounts(std::ostream& out, const RecordingCharts& charts, GnssSystem window) {
  out << "{";
  for (int n = 1; n <= kSeriesPerWindow; ++n) {
    out << (n > 1 ? ", " : "") << "\"Series" << n << "\": " << charts.At(window, n).Points.size();
  }
  out << "}";
}

void WriteActive(std::ostream& out, const RecordingCharts& charts, GnssSystem window) {
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

void WriteJson(std::ostream& out, const AnalysisReport& r, const SharedState& state,
               const RecordingCharts& charts, bool withPoints) {
  const DecodedStore& store = state.Store;
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
  out << ",\n \"series\": {";
  if (withPoints) {
    out << "\"gps\": ";
    WriteWindowSeries(out, charts, GnssSystem::Gps);
    out << ",\n            \"gln\": ";
    WriteWindowSeries(out, charts, GnssSystem::Glonass);
  } else {
    out << "\"counts\": {\"gps\": ";
    WriteCounts(out, charts, GnssSystem::Gps);
    out << ", \"gln\": ";
    WriteCounts(out, charts, GnssSystem::Glonass);
    out << "}";
  }
  out << ",\n            \"active\": {\"gps\": ";
  WriteActive(out, charts, GnssSystem::Gps);
  out << ", \"gln\": ";
  WriteActive(out, charts, GnssSystem::Glonass);
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
  out << "},\n \"link\": ";
  if (state.LastLink) {
    WriteLinkJson(out, *state.LastLink);
  } else {
    out << "null";
  }
  out << "}";
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// A message on one line: line breaks and tabs as spaces.
std::string OnOneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\t') c = ' ';
  }
  return text;
}

}  // namespace

void WriteSummary(std::ostream& out, const SummaryInput& r) {
  const SharedState& state = *r.State;
  const DecodedStore& s = state.Store;
  const bool completed = r.Outcome == AnalysisOutcome::Completed;
  out << PrintableLogText(r.File) << ": " << (completed ? "analysed" : "stopped") << "\n";
  for (const ShownMessage& m : r.Messages) {
    out << "  message: " << (m.Caption ? "[" + *m.Caption + "] " : std::string())
        << PrintableLogText(OnOneLine(m.Text)) << "\n";
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
    const auto text = r.Texts.find(box);
    if (text != r.Texts.end()) {
      out << "  " << label << ": " << Quoted(PrintableLogText(text->second)) << "\n";
    }
  }
  if (s.Type1Count > 0)
    out << "  type 1 position: " << DescribePosition(s.Type1Coordinates) << "\n";
  if (s.CmrPlusCount > 0) {
    out << "  station information position: "
        << DescribePosition(MillimetresToMetres(s.StationInfoCoordinates)) << "\n";
  }
  const EpochScanSummary& scan = state.LastEpochScan;
  out << "  epoch scan: " << (scan.Completed ? "" : "stopped after ") << scan.EpochsScanned
      << " epochs, tracked points GPS " << r.PointCounts[0][4] << ", GLONASS "
      << r.PointCounts[1][4] << "\n";
  out << "  epochs whose [SI] and [NN] GLONASS totals differ: " << scan.GlnTotalsMismatchEpochs
      << "\n";
  for (std::size_t w = 0; w < 2; ++w) {
    out << "  " << (w == 0 ? "GPS" : "GLONASS") << " points:";
    for (int n = 1; n <= kSeriesPerWindow; ++n) {
      out << " Series" << n << " " << r.PointCounts[w][static_cast<std::size_t>(n - 1)];
    }
    out << "\n";
  }
  if (state.LastLink) WriteLinkSummary(out, *state.LastLink);
}

std::string SummaryText(const SummaryInput& summary) {
  std::ostringstream text;
  WriteSummary(text, summary);
  return text.str();
}

namespace {

SummaryInput SummaryOf(const AnalysisReport& r, const SharedState& state,
                       const RecordingCharts& charts) {
  SummaryInput summary;
  summary.File = r.File;
  summary.Outcome = r.Outcome;
  summary.Messages = r.Messages;
  for (const auto& [box, text] : r.Window) summary.Texts[box] = text;
  summary.State = &state;
  for (std::size_t w = 0; w < 2; ++w) {
    for (int n = 1; n <= kSeriesPerWindow; ++n) {
      summary.PointCounts[w][static_cast<std::size_t>(n - 1)] =
          charts.At(static_cast<GnssSystem>(w), n).Points.size();
    }
  }
  return summary;
}

// The state of one window as the report keeps it: what a fresh start gives.
struct Session {
  SharedState State;
  RecordingToolkit Toolkit;
  RecordingCharts Charts;

  explicit Session(const std::string& programFile) {
    InitialiseSharedState(State, programFile);
    SetDesignTexts(Toolkit);
  }
};

// Text shown in a box stops at a zero byte, as in the window.
std::string AsShown(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

AnalysisReport Analyse(Session& session, const std::string& log, const AnalysisOptions& options) {
  AnalysisReport report;
  report.File = log;
  RecordingToolkit& toolkit = session.Toolkit;
  const std::size_t firstMessage = toolkit.Messages.size();
  std::error_code error;
  toolkit.NextDialogPath = std::filesystem::absolute(log, error).string();
  report.Outcome = OpenAndAnalyse(session.State, toolkit, session.Charts, options);
  report.Completed = report.Outcome == AnalysisOutcome::Completed;
  report.Scan = session.State.LastEpochScan;
  report.Messages.assign(toolkit.Messages.begin() + static_cast<std::ptrdiff_t>(firstMessage),
                         toolkit.Messages.end());
  std::map<std::string, std::string> identifiers;
  for (const char* box : kWindowBoxes) {
    report.Window.emplace_back(box, AsShown(toolkit.TextOf(box)));
    identifiers[box] = toolkit.TextOf(box);
  }
  for (const char* click : kPanelClicks) {
    report.Views[click] = PanelViewAfterClick(session.State.Store, identifiers, click);
  }
  return report;
}

// What the window would not say but a script needs: the operating system's
// reason a log could not be read, memory running out, a stream not written.
// False when an output could not be written.
bool TellProblems(std::ostream& err, const std::string& log, const AnalysisNotes& notes) {
  const std::string name = PrintableLogText(log);
  if (!notes.Read.Readable()) {
    err << "pelorin-report: " << name << ": cannot read it: " << notes.Read.Reason << "\n";
  }
  if (notes.OutOfMemory) {
    err << "pelorin-report: " << name << ": not enough memory to analyse it\n";
  }
  if (notes.Contents.Attempted && !notes.Contents.Written) {
    err << "pelorin-report: cannot write the CMR stream to "
        << PrintableLogText(notes.Contents.Path) << ": " << notes.Contents.Reason << "\n";
    return false;
  }
  return true;
}

}  // namespace

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

int RunReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto parsed = ParseArguments(args);
  if (const auto* usage = std::get_if<UsageError>(&parsed)) {
    err << "pelorin-report: " << PrintableLogText(usage->Message) << "\n" << kUsage;
    return kUsageError;
  }
  const Options& options = std::get<Options>(parsed);
  if (options.Help) {
    out << kUsage;
    out.flush();
    return out ? kAllCompleted : kOutputNotWritten;
  }

  const std::string programFile = ProgramFilePath(args);
  AnalysisOptions analysisOptions;
  analysisOptions.ContentsPath = options.CmrOut;
  analysisOptions.WriteContents = options.CmrOut.has_value();

  int status = kAllCompleted;
  std::unique_ptr<Session> shared;
  if (options.Json) out << "[";
  for (std::size_t k = 0; k < options.Logs.size(); ++k) {
    // Each log from the start-up state, unless asked to carry it on.
    std::unique_ptr<Session> fresh;
    if (!options.Sequence || !shared) fresh = std::make_unique<Session>(programFile);
    if (options.Sequence && !shared) shared = std::move(fresh);
    Session& session = options.Sequence ? *shared : *fresh;

    const AnalysisReport report = Analyse(session, options.Logs[k], analysisOptions);
    if (!report.Completed) status = std::max(status, static_cast<int>(kStoppedAtFatal));
    if (!TellProblems(err, report.File, session.State.LastAnalysis)) {
      status = kOutputNotWritten;
    }
    if (options.Json) {
      out << (k ? ",\n" : "\n");
      WriteJson(out, report, session.State, session.Charts, !options.NoPoints);
    } else {
      WriteSummary(out, SummaryOf(report, session.State, session.Charts));
    }
  }
  if (options.Json) out << "\n]\n";
  out.flush();
  if (!out) {
    err << "pelorin-report: cannot write the report: "
        << std::generic_category().message(errno ? errno : EIO) << "\n";
    return kOutputNotWritten;
  }
  return status;
}

}  // namespace pelorin::report
