// What the windows export as text: tables as CSV and tab-separated lines,
// chart points as CSV in the report's number form, and the link report's
// tables.

#include <gtest/gtest.h>

#include <sstream>

#include "report/LinkTables.h"
#include "report/PointsCsv.h"
#include "report/TextTable.h"

namespace pelorin {
namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr double kTen = 39979.0 + 10.0 / 24;  // 2009-06-15 10:00:00

TEST(TextTable, CsvQuotesOnlyWhatNeedsItAndPadsShortRows) {
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  const TextTable table{{"Measure", "GPS", "GLONASS"}, {{"Gaps", "1", "2"}, {"Bad frames", "3"}}};
  EXPECT_EQ(CsvText(table), "Measure,GPS,GLONASS\nGaps,1,2\nBad frames,3,\n");
}

TEST(TextTable, TabsKeepEveryCellInItsColumn) {
  const TextTable table{{"A", "B"}, {{"x\ty", "line\nbreak"}, {"only"}}};
  EXPECT_EQ(TabText(table), "A\tB\nx y\tline break\nonly\t\n");
}

TEST(PointsCsv, IsoTimeToTheMillisecondOnTheChartsClock) {
  EXPECT_EQ(IsoDateTimeText(kTen), "2009-06-15T10:00:00.000");
  EXPECT_EQ(IsoDateTimeText(kTen + 1.5 * kSecond), "2009-06-15T10:00:01.500");
  // A hair below midnight is midnight, the next day.
  EXPECT_EQ(IsoDateTimeText(39980.0 - 1e-10), "2009-06-16T00:00:00.000");
  EXPECT_EQ(IsoDateTimeText(0), "1899-12-30T00:00:00.000");
  EXPECT_EQ(IsoDateTimeText(1e300), "");
  EXPECT_EQ(IsoDateTimeText(std::numeric_limits<double>::quiet_NaN()), "");
}

// X and Y read back to the very doubles the series hold, in the shortest
// form, as the report's JSON writes them.
TEST(PointsCsv, OneRowPerPointOfEverySeriesInTheReportsNumbers) {
  const double x = kTen + 1 * kSecond;
  const std::vector<ChartPoint> shown = {{kTen, 9, 0}, {x, 8, 0}};
  const std::vector<ChartPoint> hidden = {{x, -1, 0}};
  const std::vector<SeriesForCsv> series = {{"Series1", true, shown},
                                            {"Missing, seconds", false, hidden}};
  std::ostringstream out;
  WritePointsCsv(out, series);
  EXPECT_EQ(out.str(),
            "series,time,x,y,shown\n"
            "Series1,2009-06-15T10:00:00.000,39979.416666666664,9,true\n"
            "Series1,2009-06-15T10:00:01.000,39979.41667824074,8,true\n"
            "\"Missing, seconds\",2009-06-15T10:00:01.000,39979.41667824074,-1,false\n");
  EXPECT_EQ(std::stod("39979.41667824074"), x);
}

TEST(PointsCsv, AnEmptyChartGivesTheHeaderAlone) {
  std::ostringstream out;
  WritePointsCsv(out, std::vector<SeriesForCsv>{{"Series2", true, {}}});
  EXPECT_EQ(out.str(), kPointsCsvHeader);
}

// A link with something of everything: a GPS side with gaps, ages and
// common seconds, a GLONASS side that heard nothing.
LinkReport SomeLink() {
  LinkReport link;
  SystemLink& gps = link.Systems[0];
  gps.Span = {kTen, kTen + 99 * kSecond, 95, 95.0};
  gps.Gaps = {{kTen + 10 * kSecond, kTen + 11 * kSecond, 2},
              {kTen + 40 * kSecond, kTen + 42 * kSecond, 3},
              {kTen + 70 * kSecond, kTen + 72 * kSecond, 3}};
  gps.Ages = {95, 0.25, 1.5, 7.125, 2};
  gps.Satellites = {{3, 90, 95, 1}, {12, 95, 0, 95}};
  gps.Common = {{kTen, 8, 9, 7}, {kTen + kSecond, 9, 9, 9}, {kTen + 2 * kSecond, 6, 9, 6}};
  link.Integrity = {4, 1, 30, {{kTen, 1, 30}, {kTen + 60 * kSecond, 3, 0}}};
  link.Stations = {{7, 190}, {3, 12}};
  link.PositionChanges = {{kTen, 1.0, 2.0, 3.0}, {std::nullopt, 1.5, 2.0, 3.0}};
  return link;
}

std::map<std::string, std::vector<std::string>> ByMeasure(const TextTable& table) {
  std::map<std::string, std::vector<std::string>> rows;
  for (const auto& row : table.Rows) rows[row[0]] = {row.begin() + 1, row.end()};
  return rows;
}

TEST(LinkTables, SummaryGivesEachSystemItsColumnAndTheLinkOneValue) {
  const TextTable table = LinkSummaryTable(SomeLink());
  EXPECT_EQ(table.Header, (std::vector<std::string>{"Measure", "GPS", "GLONASS"}));
  auto rows = ByMeasure(table);
  using Cells = std::vector<std::string>;
  EXPECT_EQ(rows["First message"], (Cells{"2009-06-15 10:00:00", "none"}));
  EXPECT_EQ(rows["Last message"], (Cells{"2009-06-15 10:01:39", "none"}));
  EXPECT_EQ(rows["Share of the span (%)"], (Cells{"95.00", ""}));
  EXPECT_EQ(rows["Gaps"], (Cells{"3", "0"}));
  // The first of the longest, as the report's summary names it.
  EXPECT_EQ(rows["Longest gap (s)"], (Cells{"3 from 2009-06-15 10:00:40", "none"}));
  EXPECT_EQ(rows["Age, median (s)"], (Cells{"0.250", ""}));
  EXPECT_EQ(rows["Age, maximum (s)"], (Cells{"7.125", ""}));
  EXPECT_EQ(rows["Messages older than 5 s"], (Cells{"2", "0"}));
  EXPECT_EQ(rows["Common satellites, median"], (Cells{"7", ""}));
  EXPECT_EQ(rows["Bad frames"], (Cells{"4"}));
  EXPECT_EQ(rows["Worst minute"], (Cells{"2009-06-15 10:01:00: 3 bad frames, 0 stray bytes"}));
  EXPECT_EQ(rows["Station 3"], (Cells{"12 messages"}));
  EXPECT_EQ(rows["Type 1 vs station info (m)"], (Cells{"not both heard"}));
  int positions = 0;
  for (const auto& row : table.Rows) positions += row[0] == "Type 1 position";
  EXPECT_EQ(positions, 2);
  EXPECT_EQ(table.Rows.back(), (Cells{"Type 1 position", "not dated: 1.500, 2.000, 3.000"}));
}

TEST(LinkTables, GapsInTimeOrderAndSatellitesByIdPerSystem) {
  LinkReport link = SomeLink();
  link.Systems[1].Gaps = {{kTen + 3 * kSecond, kTen + 3 * kSecond, 1}};
  const TextTable gaps = LinkGapsTable(link);
  ASSERT_EQ(gaps.Rows.size(), 4u);
  EXPECT_EQ(gaps.Rows[1],
            (std::vector<std::string>{"GPS", "2009-06-15 10:00:40", "2009-06-15 10:00:42", "3"}));
  EXPECT_EQ(gaps.Rows[3][0], "GLONASS");
  const TextTable satellites = LinkSatellitesTable(link);
  ASSERT_EQ(satellites.Rows.size(), 2u);
  EXPECT_EQ(satellites.Rows[1], (std::vector<std::string>{"GPS", "12", "95", "0", "95"}));
  // Only those tracked without corrections, the most seconds first.
  const TextTable left = TrackedWithoutCorrectionsTable(link);
  ASSERT_EQ(left.Rows.size(), 2u);
  EXPECT_EQ(left.Rows[0], (std::vector<std::string>{"GPS", "12", "95", "95"}));
  EXPECT_EQ(left.Rows[1], (std::vector<std::string>{"GPS", "3", "1", "90"}));
}

TEST(LinkTables, NothingHeardStillGivesEveryRow) {
  const LinkReport nothing;
  const TextTable table = LinkSummaryTable(nothing);
  EXPECT_EQ(ByMeasure(table)["Worst minute"], std::vector<std::string>{"none"});
  EXPECT_TRUE(LinkGapsTable(nothing).Rows.empty());
  EXPECT_TRUE(LinkSatellitesTable(nothing).Rows.empty());
}

}  // namespace
}  // namespace pelorin
