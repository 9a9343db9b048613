#pragma once
// The link report as the tables of its window: a summary with a column per
// system, the gaps and the satellites. Times read "YYYY-MM-DD hh:mm:ss" on
// the clock chosen, GLONASS times too, so that one outage reads the same in
// both systems.

#include "cmr/LinkReport.h"
#include "report/Clock.h"
#include "report/TextTable.h"

namespace pelorin {

// Columns "Measure", "GPS", "GLONASS". Rows of the whole link (integrity,
// stations, positions) have two cells: the measure and one value.
TextTable LinkSummaryTable(const LinkReport& link, report::Clock clock = report::Clock::Gps);
// Columns "System", "Start", "End", "Seconds": each system's gaps in time order.
TextTable LinkGapsTable(const LinkReport& link, report::Clock clock = report::Clock::Gps);
// Columns "System", "Satellite", "Tracked (s)", "Corrected (s)",
// "Tracked without corrections (s)", by system and id.
TextTable LinkSatellitesTable(const LinkReport& link);

// Columns "System", "Satellite", "Tracked without corrections (s)",
// "Tracked (s)": only the satellites the rover tracked in seconds whose
// corrections left them out, the most such seconds first.
TextTable TrackedWithoutCorrectionsTable(const LinkReport& link);

inline constexpr const char* kSystemNames[] = {"GPS", "GLONASS"};

}  // namespace pelorin
