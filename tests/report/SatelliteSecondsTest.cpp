// The satellite windows' satellites per second as CSV: a message's points
// gathered into their second, the flags from the three series, the zoomed
// range by whole seconds, and GLONASS system time carried to the clock.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "log/DateTime.h"
#include "report/SatelliteSeconds.h"

namespace pelorin {
namespace {

using report::Clock;

double At(int year, int month, int day, int hour, int minute, double second) {
  return *EncodeDate(year, month, day) + (hour * 3600 + minute * 60 + second) / kSecondsPerDay;
}

struct Series {
  std::vector<ChartPoint> InCorrections;
  std::vector<ChartPoint> WithoutL2;
  std::vector<ChartPoint> Tracked;

  // A message's satellites as the analysis plots them: a millisecond apart,
  // those without L2 also in Series4, 0.003 above their number.
  void Message(double time, std::vector<int> withL2, std::vector<int> withoutL2) {
    int k = 0;
    for (const int satellite : withL2)
      InCorrections.push_back({time + k++ * kOneMsDays, 1.0 * satellite});
    for (const int satellite : withoutL2) {
      const double x = time + k++ * kOneMsDays;
      InCorrections.push_back({x, 1.0 * satellite});
      WithoutL2.push_back({x, satellite + 0.003});
    }
  }
  void Track(double time, std::vector<int> satellites) {
    for (const int satellite : satellites) Tracked.push_back({time, 1.0 * satellite});
  }

  std::string Csv(GnssSystem system, Clock clock,
                  std::optional<WindowTimeRange> range = std::nullopt) const {
    std::ostringstream out;
    WriteSatelliteSecondsCsv(out, system, {InCorrections, WithoutL2, Tracked}, range, clock);
    return out.str();
  }
};

constexpr const char* kHeader = "time,system,satellite,in corrections,with L2,tracked\n";

TEST(SatelliteSeconds, OneRowPerSecondAndSatelliteOfAnySeries) {
  const double ten = At(2009, 6, 15, 10, 0, 0);
  Series gps;
  // Satellite 32 comes first in the message and 5 last: rows go by number.
  gps.Message(ten, {32, 12}, {5});
  gps.Track(ten, {5, 12, 20});
  gps.Message(ten + kOneSecondDays, {12, 5}, {});
  gps.Track(ten + kOneSecondDays, {5, 12});
  // A second the rover alone speaks of.
  gps.Track(ten + 2 * kOneSecondDays, {7});

  EXPECT_EQ(gps.Csv(GnssSystem::Gps, Clock::Gps), std::string(kHeader) +
                                                      "2009-06-15 10:00:00,GPS,5,1,0,1\n"
                                                      "2009-06-15 10:00:00,GPS,12,1,1,1\n"
                                                      "2009-06-15 10:00:00,GPS,20,0,0,1\n"
                                                      "2009-06-15 10:00:00,GPS,32,1,1,0\n"
                                                      "2009-06-15 10:00:01,GPS,5,1,1,1\n"
                                                      "2009-06-15 10:00:01,GPS,12,1,1,1\n"
                                                      "2009-06-15 10:00:02,GPS,7,0,0,1\n");

  // The zoomed range takes whole seconds: the second at its start, with
  // the message's satellites plotted after the range's end, and not the
  // second its end falls short of.
  EXPECT_EQ(gps.Csv(GnssSystem::Gps, Clock::Utc,
                    WindowTimeRange{ten + kOneSecondDays, ten + 1.6 * kOneSecondDays}),
            std::string(kHeader) +
                "2009-06-15 09:59:46,GPS,5,1,1,1\n"
                "2009-06-15 09:59:46,GPS,12,1,1,1\n");
  EXPECT_EQ(gps.Csv(GnssSystem::Gps, Clock::Gps,
                    WindowTimeRange{ten + 0.2 * kOneSecondDays, ten + 0.8 * kOneSecondDays}),
            kHeader);
  EXPECT_EQ(Series().Csv(GnssSystem::Gps, Clock::Gps), kHeader);
}

// GLONASS system time is UTC + 3 h: UTC's midnight falls at 03:00 and the
// GLONASS day begins at 21:00 UTC. At the leap second of 2008-12-31 GPS
// time skips a second against UTC: GPS − UTC is 14 s before and 15 s after.
TEST(SatelliteSeconds, GlonassTimesToTheClockAcrossMidnightsAndTheLeapSecond) {
  Series gln;
  gln.Message(At(2009, 1, 1, 2, 59, 58), {3}, {});
  gln.Track(At(2009, 1, 1, 2, 59, 59), {3});
  gln.Message(At(2009, 1, 1, 3, 0, 0), {3}, {4});
  gln.Track(At(2009, 1, 1, 3, 0, 1), {4});

  EXPECT_EQ(gln.Csv(GnssSystem::Glonass, Clock::Utc), std::string(kHeader) +
                                                          "2008-12-31 23:59:58,GLONASS,3,1,1,0\n"
                                                          "2008-12-31 23:59:59,GLONASS,3,0,0,1\n"
                                                          "2009-01-01 00:00:00,GLONASS,3,1,1,0\n"
                                                          "2009-01-01 00:00:00,GLONASS,4,1,0,0\n"
                                                          "2009-01-01 00:00:01,GLONASS,4,0,0,1\n");
  EXPECT_EQ(gln.Csv(GnssSystem::Glonass, Clock::Gps), std::string(kHeader) +
                                                          "2009-01-01 00:00:12,GLONASS,3,1,1,0\n"
                                                          "2009-01-01 00:00:13,GLONASS,3,0,0,1\n"
                                                          "2009-01-01 00:00:15,GLONASS,3,1,1,0\n"
                                                          "2009-01-01 00:00:15,GLONASS,4,1,0,0\n"
                                                          "2009-01-01 00:00:16,GLONASS,4,0,0,1\n");

  Series evening;
  evening.Track(At(2009, 6, 15, 23, 59, 59), {1});
  evening.Track(At(2009, 6, 16, 0, 0, 0), {1});
  EXPECT_EQ(evening.Csv(GnssSystem::Glonass, Clock::Utc),
            std::string(kHeader) +
                "2009-06-15 20:59:59,GLONASS,1,0,0,1\n"
                "2009-06-15 21:00:00,GLONASS,1,0,0,1\n");
}

}  // namespace
}  // namespace pelorin
