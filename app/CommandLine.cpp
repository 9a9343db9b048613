#include "app/CommandLine.h"

#include "cmr/LogText.h"

namespace pelorin {
namespace {

constexpr int kUsageErrorStatus = 2;

constexpr const char* kUsage =
    "usage: pelorin [LOG]\n"
    "       pelorin --pdf OUT.pdf LOG\n"
    "Opens the window that checks the CMR/CMR+ corrections a rover echoed into\n"
    "its ZEL log; with LOG, analyses it at once as the open button would.\n"
    "  --pdf OUT.pdf  write the link report of LOG to OUT.pdf, as the link\n"
    "                 report window saves it, without showing a window\n"
    "  --help     this text\n"
    "  --version  the program's version\n";

#ifndef PELORIN_VERSION
#define PELORIN_VERSION "unknown"
#endif

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  bool help = false;
  bool version = false;
  bool optionsEnded = false;
  std::vector<std::string> logs;
  std::string error;
  for (std::size_t k = 1; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      if (arg.empty() && error.empty()) error = "an empty LOG argument";
      logs.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--version" || arg == "-v") {
      version = true;
    } else if (arg == "--pdf") {
      if (k + 1 < args.size() && !args[k + 1].empty()) {
        line.Pdf = args[++k];
      } else if (error.empty()) {
        error = "--pdf needs the OUT.pdf to write";
      }
    } else if (error.empty()) {
      error = "unknown option " + arg;
    }
  }
  if (error.empty() && logs.size() > 1) error = "one LOG at a time";
  if (error.empty() && line.Pdf && logs.empty()) error = "--pdf needs a LOG";
  if (help) {
    line.What = CommandLine::Action::Help;
  } else if (version) {
    line.What = CommandLine::Action::Version;
  } else if (!error.empty()) {
    line.What = CommandLine::Action::UsageError;
    line.Error = error;
  } else if (!logs.empty()) {
    line.Log = logs.front();
  }
  return line;
}

std::optional<int> AnswerWithoutWindow(const CommandLine& line, std::ostream& out,
                                       std::ostream& err) {
  switch (line.What) {
    case CommandLine::Action::Run:
      return std::nullopt;
    case CommandLine::Action::Help:
      out << kUsage;
      return 0;
    case CommandLine::Action::Version:
      out << "pelorin " << PELORIN_VERSION << "\n";
      return 0;
    case CommandLine::Action::UsageError:
      // An option from a script may hold any byte; the terminal must not act on it.
      err << "pelorin: " << PrintableLogText(line.Error) << "\n" << kUsage;
      return kUsageErrorStatus;
  }
  return std::nullopt;
}

}  // namespace pelorin
