#pragma once
// The link report as the report command writes it: a "link" JSON object and
// a section of the human summary.

#include <ostream>

#include "cmr/LinkReport.h"

namespace pelorin::report {

void WriteLinkJson(std::ostream& out, const LinkReport& link);
void WriteLinkSummary(std::ostream& out, const LinkReport& link);

// A date-time as "YYYY-MM-DD hh:mm:ss".
std::string DateTimeText(double dateTime);

}  // namespace pelorin::report
