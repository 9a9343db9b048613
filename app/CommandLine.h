#pragma once
// The program's command line: `pelorin [LOG]`, `pelorin --pdf OUT.pdf LOG`,
// `--help`, `--version`.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pelorin {

struct CommandLine {
  enum class Action { Run, Help, Version, UsageError };
  Action What = Action::Run;
  // The log to analyse at start, as given.
  std::optional<std::string> Log;
  // With --pdf: the link report of LOG is written there, and no window shows.
  std::optional<std::string> Pdf;
  std::string Error;
};

// argv as main() gets it. A request for help or the version wins over any
// mistake elsewhere on the line, so that it is answered before the window
// toolkit (and its own options) comes in.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Answers help and version on `out`, a usage error on `err`; the exit status,
// or nothing when the program is to run its window.
std::optional<int> AnswerWithoutWindow(const CommandLine& line, std::ostream& out,
                                       std::ostream& err);

}  // namespace pelorin
