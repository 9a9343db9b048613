#pragma once
// The verdict on a day's link in words, in the JSON, and as a row of the
// table of many logs.

#include <ostream>
#include <string>
#include <vector>

#include "cmr/Verdict.h"
#include "report/Clock.h"
#include "report/TextTable.h"

namespace pelorin::report {

// "usable corrections 93.1 % of 7 h 12 min (limit 95 %)", one per reason.
std::vector<std::string> ReasonTexts(const Verdict& verdict, Clock clock);
// "poor: usable corrections ...; longest outage 95 s at 08:20:14 (limit 30
// s); RTK fixed 96.2 %; limits: age 10 s, common 5, available 95 %, outage 30 s".
std::string VerdictLine(const Verdict& verdict, Clock clock);
// A table of the link report with the verdict's line as its first row.
TextTable WithVerdictRow(TextTable table, const Verdict& verdict, Clock clock);

// The "verdict" value: null when the analysis gave none.
void WriteVerdictJson(std::ostream& out, const Verdict* verdict, Clock clock);

// The table of many logs: a header line and one CSV line per log; `failure`
// is why the log gave no verdict, empty when it did.
extern const std::vector<std::string> kTableColumns;
std::string TableHeaderLine();
std::string TableLine(const std::string& file, const Verdict* verdict, const std::string& failure,
                      Clock clock);

// A number as short as it reads: 10, 2.5, 93.1.
std::string ShortNumber(double value, int decimals = 3);

}  // namespace pelorin::report
