#pragma once
// The link report as the report command writes it: a "link" JSON object and
// a section of the human summary.

#include <ostream>

#include "cmr/LinkReport.h"
#include "report/Clock.h"

namespace pelorin::report {

void WriteLinkJson(std::ostream& out, const LinkReport& link);
// Times on `clock`, GLONASS ones too, so that one outage reads the same in
// both systems.
void WriteLinkSummary(std::ostream& out, const LinkReport& link, Clock clock = Clock::Gps);

// A date-time as "YYYY-MM-DD hh:mm:ss".
std::string DateTimeText(double dateTime);

}  // namespace pelorin::report
