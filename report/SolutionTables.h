#pragma once
// The rover's solution as tables of the link report window: a summary of
// the solution types, the losses of the fix and what followed them, and
// every loss of the fix with its cause. Times read "YYYY-MM-DD hh:mm:ss" on
// the clock chosen.

#include "cmr/RoverSolution.h"
#include "report/Clock.h"
#include "report/TextTable.h"

namespace pelorin {

// Columns "Measure", "Value": the epochs, the share of each type that
// occurs ("RTK fixed"..., the best first), the losses of the fix, the longest fixed run,
// the time to fix, the baseline and the position records skipped.
TextTable SolutionSummaryTable(const SolutionReport& solution,
                               report::Clock clock = report::Clock::Gps);
// The same columns for a log that carries no solution.
TextTable NoSolutionSummaryTable();
// Columns "Start", "Seconds", "Fell to", "Cause", in time order; a fix not
// regained reads "not regained".
TextTable FixLossesTable(const SolutionReport& solution, report::Clock clock = report::Clock::Gps);

}  // namespace pelorin
