#include "app/ReportCommandLine.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <variant>

#include "cmr/Analysis.h"
#include "cmr/LogText.h"
#include "report/Report.h"
#include "report/WindowTexts.h"

namespace pelorin::report {
namespace {

constexpr const char* kUsage =
    "usage: pelorin-report [--json [--no-points]] [--sequence] [--cmr-out PATH]\n"
    "                      [--max-age SECONDS] LOG...\n"
    "Analyses each LOG as the open button does and prints what the window shows.\n"
    "  --json          one JSON array with an object per LOG instead of a summary\n"
    "  --no-points     with --json, the number of points of each chart series\n"
    "                  instead of the points\n"
    "  --cmr-out PATH  write the unwrapped CMR stream of each analysis to PATH\n"
    "  --max-age SECONDS  corrections older than this at the rover count as\n"
    "                  missing when a loss of the RTK fix is explained (default 10)\n"
    "  --sequence      analyse the logs one after another in one shared state, as\n"
    "                  one window would; by default each starts afresh\n"
    "  --help          this text\n"
    "Exit status: 0 every analysis completed, 1 one stopped at a fatal message,\n"
    "2 usage error, 3 an output could not be written.\n";

struct Options {
  bool Json = false;
  bool Sequence = false;
  bool Help = false;
  bool NoPoints = false;
  std::optional<std::string> CmrOut;
  SolutionLimits Limits;
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
    } else if (arg == "--max-age") {
      const auto seconds = ++k < args.size() ? PositiveNumber(args[k]) : std::nullopt;
      if (!seconds) return UsageError{"--max-age needs a number of SECONDS above 0"};
      options.Limits.MaxAgeSeconds = *seconds;
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

}  // namespace

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
  analysisOptions.Limits = options.Limits;

  int status = kAllCompleted;
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
    if (result.Outcome != AnalysisOutcome::Completed) {
      status = std::max(status, static_cast<int>(kStoppedAtFatal));
    }
    if (!TellProblems(err, log, result.Notes)) status = kOutputNotWritten;
    if (options.Json) {
      out << (k ? ",\n" : "\n");
      WriteJson(out, {log, &result, &session.Store, session.Texts, !options.NoPoints});
    } else {
      WriteSummary(out, SummaryOf(log, result, session));
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
