#pragma once
// pelorin-report's command line: runs the open button's analysis on logs
// without a screen and prints what the window would show, as a summary or
// as JSON.

#include <ostream>
#include <string>
#include <vector>

namespace pelorin::report {

enum ExitStatus {
  kAllCompleted = 0,
  kStoppedAtFatal = 1,  // an analysis stopped at a fatal message, or ran out of memory
  kUsageError = 2,
  kOutputNotWritten = 3,  // the --cmr-out stream, or the report itself
  kVerdictNotGood = 4,    // with --check: a log's verdict was not "good"
};

// argv as main() gets it; the program's own directory comes from argv[0].
int RunReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pelorin::report
