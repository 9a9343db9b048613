#pragma once
// The rover's solution in the report: a JSON object, and a few lines of the
// human summary in a surveyor's words.

#include <ostream>
#include <string>

#include "cmr/RoverSolution.h"
#include "report/Clock.h"

namespace pelorin::report {

// The "solution" value: null without a solution, the points of every epoch
// with `withPoints`.
void WriteSolutionJson(std::ostream& out, const SolutionReport* solution, const RoverEpochs* rover,
                       bool withPoints);
// "RTK fixed 96.2 % of 2 h 00 min; fix lost 3 times: 08:20:14 for 95 s,
// corrections missing; ..." and the lines under it.
void WriteSolutionSummary(std::ostream& out, const SolutionReport& solution,
                          Clock clock = Clock::Gps);

// "2 h 00 min", "4 min 05 s", "35 s".
std::string DurationText(double seconds);

}  // namespace pelorin::report
