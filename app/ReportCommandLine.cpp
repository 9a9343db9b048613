#include "app/ReportCommandLine.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>
#include <variant>

#include "cmr/Analysis.h"
#include "cmr/LogText.h"
#include "report/Report.h"
#include "report/VerdictText.h"
#include "report/WindowTexts.h"

#ifndef PELORIN_VERSION
#define PELORIN_VERSION "unknown"
#endif

namespace pelorin::report {
namespace {

constexpr const char* kUsage =
    "usage: pelorin-report [--json [--no-points] | --table] [--sequence] [--cmr-out PATH]\n"
    "                      [--max-age SECONDS] [--min-common SATELLITES]\n"
    "                      [--min-available PERCENT] [--max-outage SECONDS]\n"
    "                      [--clock gps|utc|local] [--check] LOG...\n"
    "Analyses each LOG as the open button does and prints what the window shows,\n"
    "with a verdict on the link against the limits.\n"
    "  --json          one JSON array with an object per LOG instead of a summary\n"
    "  --no-points     with --json, the number of points of each chart series\n"
    "                  instead of the points\n"
    "  --table         one CSV line per LOG (figures and verdict) under a header;\n"
    "                  the logs are analysed side by side, on every core\n"
    "  --cmr-out PATH  write the unwrapped CMR stream of each analysis to PATH\n"
    "  --max-age SECONDS      corrections older than this at the rover are not\n"
    "                         usable (default 10)\n"
    "  --min-common SATELLITES  fewest satellites in the corrections and tracked\n"
    "                         at the rover (default 5)\n"
    "  --min-available PERCENT  least share of the time with usable corrections\n"
    "                         (default 95)\n"
    "  --max-outage SECONDS   longest outage of the corrections (default 30)\n"
    "  --clock CLOCK   the clock of the times in the summary and the table: gps\n"
    "                  (default), utc or local\n"
    "  --check         exit with 4 when a log's verdict is not \"good\"\n"
    "  --sequence      analyse the logs one after another in one shared state, as\n"
    "                  one window would; by default each starts afresh\n"
    "  --version       the program's version\n"
    "  --help          this text\n"
    "Exit status: 0 every analysis completed, 1 one stopped at a fatal message,\n"
    "2 usage error, 3 an output could not be written, 4 with --check a verdict\n"
    "was not \"good\" (3 before 4 before 1).\n";

struct Options {
  bool Json = false;
  bool Table = false;
  bool Sequence = false;
  bool Help = false;
  bool Version = false;
  bool NoPoints = false;
  bool Check = false;
  Clock TimesOn = Clock::Gps;
  std::optional<std::string> CmrOut;
  LinkLimits Limits;
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

// A finite number above 0, written whole: "10", "2.5".
std::optional<double> PositiveNumber(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
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
    } else if (arg == "--max-age" || arg == "--max-outage") {
      const auto seconds = ++k < args.size() ? PositiveNumber(args[k]) : std::nullopt;
      if (!seconds) return UsageError{arg + " needs a number of SECONDS above 0"};
      (arg == "--max-age" ? options.Limits.MaxAgeSeconds : options.Limits.MaxOutageSeconds) =
          *seconds;
    } else if (arg == "--min-common") {
      const auto count = ++k < args.size() ? PositiveNumber(args[k]) : std::nullopt;
      if (!count || *count != std::floor(*count) || *count > 64) {
        return UsageError{"--min-common needs a whole number of SATELLITES from 1 to 64"};
      }
      options.Limits.MinCommonSatellites = static_cast<int>(*count);
    } else if (arg == "--min-available") {
      const auto percent = ++k < args.size() ? PositiveNumber(args[k]) : std::nullopt;
      if (!percent || *percent > 100) {
        return UsageError{"--min-available needs a PERCENT above 0 and at most 100"};
      }
      options.Limits.MinAvailablePercent = *percent;
    } else if (arg == "--clock") {
      const auto clock = ++k < args.size() ? ClockNamed(args[k]) : std::nullopt;
      if (!clock) return UsageError{"--clock needs gps, utc or local"};
      options.TimesOn = *clock;
    } else if (arg == "--check") {
      options.Check = true;
    } else if (arg == "--table") {
      options.Table = true;
    } else if (arg == "--version") {
      options.Version = true;
    } else if (arg == "--cmr-out") {
      if (++k >= args.size() || args[k].empty()) return UsageError{"--cmr-out needs a PATH"};
      options.CmrOut = args[k];
    } else {
      return UsageError{"unknown option " + arg};
    }
  }
  if (options.Help || options.Version) return options;
  if (options.Logs.empty()) return UsageError{"no LOG given"};
  if (options.NoPoints && !options.Json) return UsageError{"--no-points goes with --json"};
  if (options.Table && options.Json) return UsageError{"--table and --json do not go together"};
  if (options.Table && options.Sequence) {
    return UsageError{"--table analyses each log on its own; --sequence does not go with it"};
  }
  if (options.Table && options.CmrOut && options.Logs.size() > 1) {
    return UsageError{"--table analyses the logs side by side; --cmr-out takes one LOG"};
  }
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

// What one window keeps from analysis to analysis, as the report keeps it:
// a fresh start gives the design texts and an empty store.
struct Session {
  DecodedStore Store;
  AnalysisCarry Carry;
  BoxTexts Texts;

  explicit Session(const std::string& programFile) : Texts(StartUpTexts()) {
    Store.ProgramDirectory = DirectoryOf(programFile);
    SetBoxText(Texts, "Edit100", " SELECTED FILE:");
  }
};

// The analysis of one log in a session, as the open button runs it: the
// log as if chosen in the dialog, the result committed as the window does.
AnalysisResult Analyse(Session& session, const std::string& log, const AnalysisOptions& options) {
  std::error_code error;
  AnalysisRequest request;
  request.LogPath = std::filesystem::absolute(log, error).string();
  request.ProgramDirectory = session.Store.ProgramDirectory;
  request.Carry = session.Carry;
  request.Options = options;
  SetBoxText(session.Texts, "Edit100", SelectedFileText(request.LogPath));
  AnalysisResult result = pelorin::Analyse(request);
  for (const auto& [box, text] : TextsShownBy(result)) SetBoxText(session.Texts, box, text);
  session.Store = StoreAfter(result, std::move(session.Store));
  session.Carry = result.Carry;
  return result;
}

SummaryInput SummaryOf(const std::string& file, const AnalysisResult& result,
                       const Session& session) {
  SummaryInput summary;
  summary.File = file;
  summary.Result = &result;
  summary.Texts = session.Texts;
  for (std::size_t w = 0; w < kSystemCount; ++w) {
    for (std::size_t n = 0; n < kSeriesPerWindow; ++n) {
      summary.PointCounts[w][n] = result.Series[w][n].Points.size();
    }
  }
  return summary;
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

// A message as one line of words: its tabs, line breaks and runs of blanks
// as one blank each.
std::string Trimmed(const std::string& text) {
  std::string words;
  for (const char c : OnOneLine(text)) {
    if (c == ' ' && (words.empty() || words.back() == ' ')) continue;
    words += c;
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  return words;
}

// Why a log gave no verdict, or stopped: empty when it completed.
std::string FailureOf(const AnalysisResult& result) {
  if (result.Outcome == AnalysisOutcome::Completed) return {};
  if (!result.Notes.Read.Readable()) return "cannot read it: " + result.Notes.Read.Reason;
  if (result.Notes.OutOfMemory) return "not enough memory to analyse it";
  for (auto m = result.Messages.rbegin(); m != result.Messages.rend(); ++m) {
    if (m->Caption && m->Caption->find("atal") != std::string::npos) return Trimmed(m->Text);
  }
  return result.Messages.empty() ? "stopped" : Trimmed(result.Messages.back().Text);
}

bool VerdictIsGood(const AnalysisResult& result) {
  return result.Judged && result.Judged->Grade == VerdictGrade::Good;
}

// The exit status of two outcomes together: an output not written, then a
// verdict that fails --check, then a stopped analysis.
int Worse(int a, int b) {
  const auto rank = [](int status) {
    switch (status) {
      case kOutputNotWritten:
        return 3;
      case kVerdictNotGood:
        return 2;
      case kStoppedAtFatal:
        return 1;
      default:
        return 0;
    }
  };
  return rank(b) > rank(a) ? b : a;
}

// One log's share of the exit status.
int StatusOf(const AnalysisResult& result, const Options& options, bool problemsWritten) {
  int status = kAllCompleted;
  if (result.Outcome != AnalysisOutcome::Completed) status = kStoppedAtFatal;
  if (options.Check && !VerdictIsGood(result)) status = Worse(status, kVerdictNotGood);
  if (!problemsWritten) status = Worse(status, kOutputNotWritten);
  return status;
}

struct TableRow {
  std::string Line;
  std::string Problems;
  int Status = kAllCompleted;
};

// Each log on its own, side by side on the cores there are; the rows in
// the order the logs were given.
std::vector<TableRow> AnalyseForTable(const Options& options, const AnalysisOptions& analysis,
                                      const std::string& programFile) {
  std::vector<TableRow> rows(options.Logs.size());
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t k; (k = next++) < rows.size();) {
      Session session(programFile);
      const std::string& log = options.Logs[k];
      const AnalysisResult result = Analyse(session, log, analysis);
      std::ostringstream problems;
      const bool written = TellProblems(problems, log, result.Notes);
      rows[k] = {TableLine(PrintableLogText(log), result.Judged.get(),
                           PrintableLogText(FailureOf(result)), options.TimesOn),
                 problems.str(), StatusOf(result, options, written)};
    }
  };
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  for (std::size_t k = 1; k < std::min(cores, rows.size()); ++k) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
  return rows;
}

}  // namespace

int RunReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto parsed = ParseArguments(args);
  if (const auto* usage = std::get_if<UsageError>(&parsed)) {
    err << "pelorin-report: " << PrintableLogText(usage->Message) << "\n" << kUsage;
    return kUsageError;
  }
  const Options& options = std::get<Options>(parsed);
  if (options.Help || options.Version) {
    if (options.Help) out << kUsage;
    if (options.Version) out << "pelorin-report " << PELORIN_VERSION << "\n";
    out.flush();
    return out ? kAllCompleted : kOutputNotWritten;
  }

  const std::string programFile = ProgramFilePath(args);
  AnalysisOptions analysisOptions;
  analysisOptions.ContentsPath = options.CmrOut;
  analysisOptions.WriteContents = options.CmrOut.has_value();
  analysisOptions.Limits = options.Limits;

  int status = kAllCompleted;
  if (options.Table) {
    out << TableHeaderLine();
    for (const TableRow& row : AnalyseForTable(options, analysisOptions, programFile)) {
      out << row.Line;
      err << row.Problems;
      status = Worse(status, row.Status);
    }
  } else {
    std::unique_ptr<Session> shared;
    if (options.Json) out << "[";
    for (std::size_t k = 0; k < options.Logs.size(); ++k) {
      // Each log from the start-up state, unless asked to carry it on.
      std::unique_ptr<Session> fresh;
      if (!options.Sequence || !shared) fresh = std::make_unique<Session>(programFile);
      if (options.Sequence && !shared) shared = std::move(fresh);
      Session& session = options.Sequence ? *shared : *fresh;

      const std::string& log = options.Logs[k];
      const AnalysisResult result = Analyse(session, log, analysisOptions);
      status = Worse(status, StatusOf(result, options, TellProblems(err, log, result.Notes)));
      if (options.Json) {
        out << (k ? ",\n" : "\n");
        WriteJson(
            out, {log, &result, &session.Store, session.Texts, !options.NoPoints, options.TimesOn});
      } else {
        SummaryInput summary = SummaryOf(log, result, session);
        summary.TimesOn = options.TimesOn;
        WriteSummary(out, summary);
      }
    }
    if (options.Json) out << "\n]\n";
  }
  out.flush();
  if (!out) {
    err << "pelorin-report: cannot write the report: "
        << std::generic_category().message(errno ? errno : EIO) << "\n";
    return kOutputNotWritten;
  }
  return status;
}

}  // namespace pelorin::report
