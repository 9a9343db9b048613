#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <numbers>
#include <random>
#include <string>
#include <tuple>

#include "station/Geodetic.h"

namespace pelorin {
namespace {

constexpr double kA = 6378137.0;
constexpr double kF = 0.0033528106647474805;
constexpr double kPi14 = 3.1415926535898;
constexpr double kSemiMinorAxisM = 6356752.314245179;

double Radians(double degrees) {
  return degrees / 180 * kPi14;
}

struct Converted {
  std::string Latitude;
  std::string Longitude;
  double Height = 0;
};

Converted Convert(double x, double y, double z) {
  Converted c;
  EcefToGeodetic(x, y, z, c.Latitude, c.Longitude, c.Height);
  return c;
}

// Geodetic to ECEF on the same ellipsoid, the inverse the round trip checks against.
void EcefFromGeodetic(double latitude, double longitude, double height, double& x, double& y,
                      double& z) {
  const double e2 = (2 - kF) * kF;
  const double n = kA / std::sqrt(1 - e2 * std::sin(latitude) * std::sin(latitude));
  x = (n + height) * std::cos(latitude) * std::cos(longitude);
  y = (n + height) * std::cos(latitude) * std::sin(longitude);
  z = (n * (1 - e2) + height) * std::sin(latitude);
}

struct KnownPosition {
  const char* Name;
  double X, Y, Z;
  const char* Latitude;
  const char* Longitude;
  double Height;
};

TEST(EcefToGeodetic, KnownPositions) {
  const KnownPosition cases[] = {
      {"northern, western", 1126674.412, -4357871.711, 4503860.481, " 45 : 12 : 34.5678",
       "-75 : 30 : 15.4321", 99.9998},
      {"southern, eastern", -4646302.562, 2553332.808, -3534058.022, "-33 : 51 : 54.1234",
       " 151 : 12 : 33.8765", 58.2499},
      {"equator, X = 0, Y > 0", 0, kA, 0, " 0 : 0 : 0.0000", " 90 : 0 : 0.0000", 0},
      // X = 0 with Y < 0 reads 270 degrees, where atan2 would give -90.
      {"equator, X = 0, Y < 0", 0, -kA, 0, " 0 : 0 : 0.0000", " 270 : 0 : 0.0000", 0},
      // atan2 gives the full pi, a hair above the 14-digit pi: the seconds
      // round to 60 and are not carried.
      {"equator, 180 degrees", -kA, 0, 0, " 0 : 0 : 0.0000", " 179 : 59 : 60.0000", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const Converted out = Convert(c.X, c.Y, c.Z);
    EXPECT_EQ(out.Latitude, c.Latitude);
    EXPECT_EQ(out.Longitude, c.Longitude);
    EXPECT_NEAR(out.Height, c.Height, 0.5e-4);
  }
}

TEST(EcefToGeodetic, PolarAxisGivesHeightFromSemiMinorAxisAndLeavesTextsAlone) {
  std::string latitude = "untouched";
  std::string longitude = "untouched";
  double height = 0;

  EcefToGeodetic(0, 0, 0, latitude, longitude, height);
  EXPECT_DOUBLE_EQ(height, -kSemiMinorAxisM);
  EXPECT_EQ(latitude, "untouched");
  EXPECT_EQ(longitude, "untouched");

  EcefToGeodetic(0, 0, -(kSemiMinorAxisM + 250), latitude, longitude, height);
  EXPECT_NEAR(height, 250, 1e-6);

  const GeodeticPosition north = GeodeticFromEcef(0, 0, kSemiMinorAxisM);
  EXPECT_FALSE(north.HasAngles);
  EXPECT_NEAR(north.Height, 0, 1e-6);
  EXPECT_GT(north.Latitude, 0);
  EXPECT_LT(GeodeticFromEcef(0, 0, 0).Latitude, 0);
}

TEST(EcefToGeodetic, RoundTripsSurfacePositions) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> latitudeDeg(-89.99, 89.99);
  std::uniform_real_distribution<double> longitudeDeg(-179.99, 179.99);
  std::uniform_real_distribution<double> heightM(-500, 9000);
  for (int i = 0; i < 2000; ++i) {
    const double latitude = latitudeDeg(random) * std::numbers::pi / 180;
    const double longitude = longitudeDeg(random) * std::numbers::pi / 180;
    const double height = heightM(random);
    double x = 0, y = 0, z = 0;
    EcefFromGeodetic(latitude, longitude, height, x, y, z);

    const GeodeticPosition back = GeodeticFromEcef(x, y, z);
    ASSERT_TRUE(back.HasAngles);
    ASSERT_NEAR(back.Latitude, latitude, 1e-9) << x << ' ' << y << ' ' << z;
    ASSERT_NEAR(back.Longitude, longitude, 1e-9) << x << ' ' << y << ' ' << z;
    // The height divides by the cosine of the latitude, which magnifies
    // rounding near the poles to several millimetres there.
    if (std::fabs(latitude) < std::numbers::pi * 85 / 180) {
      ASSERT_NEAR(back.Height, height, 1e-3) << x << ' ' << y << ' ' << z;
    } else {
      ASSERT_NEAR(back.Height, height, 0.05) << x << ' ' << y << ' ' << z;
    }
  }
}

TEST(EcefToGeodetic, ReturnsForPositionsWhoseLatitudeNeverSettles) {
  // Just off the polar axis, deep inside the Earth, the latitude iteration
  // oscillates for ever; the pass cap must end it.
  const GeodeticPosition inside = GeodeticFromEcef(0.001, 0, 35000);
  EXPECT_TRUE(std::isfinite(inside.Latitude));
  EXPECT_TRUE(std::isfinite(inside.Height));

  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto& [x, y, z] :
       {std::tuple{nan, 1.0, 1.0}, std::tuple{1.0, 1.0, nan}, std::tuple{1e300, 1e300, 1e300},
        std::tuple{inf, 0.0, -inf}, std::tuple{1e-300, 0.0, 1e300}}) {
    std::string latitude;
    std::string longitude;
    double height = 0;
    EcefToGeodetic(x, y, z, latitude, longitude, height);
    EXPECT_FALSE(latitude.empty());
    EXPECT_FALSE(longitude.empty());
  }
}

TEST(FormatDms, SignDegreesMinutesSeconds) {
  EXPECT_EQ(FormatDms(0), " 0 : 0 : 0.0000");
  EXPECT_EQ(FormatDms(Radians(45 + 12 / 60.0 + 34.5678 / 3600)), " 45 : 12 : 34.5678");
  // The sign alone tells south from north, even on zero degrees.
  EXPECT_EQ(FormatDms(-Radians(30 / 60.0 + 15.5 / 3600)), "-0 : 30 : 15.5000");
  EXPECT_EQ(FormatDms(-Radians(15.5 / 3600)), "-0 : 0 : 15.5000");
}

TEST(FormatDms, RoundedSecondsAreNotCarried) {
  EXPECT_EQ(FormatDms(Radians(0.99999999999)), " 0 : 59 : 60.0000");
  EXPECT_EQ(FormatDms(-Radians(12.99999999999)), "-12 : 59 : 60.0000");
  EXPECT_EQ(FormatDms(Radians(10 + 59.99994 / 3600)), " 10 : 0 : 59.9999");
}

struct FixedCase {
  double Value;
  int Precision;
  int Digits;
  const char* Text;
};

TEST(FormatFloatFixed, RoundsToSignificantDigitsThenShowsTheDecimals) {
  const FixedCase cases[] = {
      {1126674.412, 14, 3, "1126674.412"},
      {-2694892.46172, 14, 3, "-2694892.462"},
      {0, 14, 3, "0.000"},
      {-0.0, 14, 3, "0.000"},
      {-0.0004, 14, 3, "0.000"},  // rounds to zero: no sign
      {0.0006, 14, 3, "0.001"},
      {99.9998, 10, 3, "100.000"},
      {-99.9996, 10, 3, "-100.000"},
      {12345678.9876, 10, 3, "12345678.990"},  // ten digits first, then three decimals
      {12345678.9876, 14, 3, "12345678.988"},
      {59.99999996, 7, 4, "60.0000"},
      {2.5, 14, 0, "3"},
      {0.125, 14, 2, "0.13"},  // half away from zero on the decimal digits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Value << " precision " << c.Precision);
    EXPECT_EQ(FormatFloatFixed(c.Value, c.Precision, c.Digits), c.Text);
  }
}

TEST(FormatFloatFixed, TooManyIntegerDigitsSwitchToScientific) {
  EXPECT_EQ(FormatFloatFixed(12345678901.5, 10, 3), "1.23456789E10");
  EXPECT_EQ(FormatFloatFixed(-1e20, 14, 3), "-1E20");
  EXPECT_EQ(FormatFloatFixed(1234567890.4, 10, 3), "1234567890.000");
  // Rounding up to eleven integer digits also leaves fixed notation.
  EXPECT_EQ(FormatFloatFixed(9999999999.6, 10, 3), "1E10");
  EXPECT_EQ(FormatFloatFixed(9999999999.6, 14, 3), "9999999999.600");
}

TEST(FormatFloatFixed, NonFiniteValues) {
  EXPECT_EQ(FormatFloatFixed(std::numeric_limits<double>::quiet_NaN(), 14, 3), "NAN");
  EXPECT_EQ(FormatFloatFixed(std::numeric_limits<double>::infinity(), 14, 3), "INF");
  EXPECT_EQ(FormatFloatFixed(-std::numeric_limits<double>::infinity(), 14, 3), "-INF");
}

struct CommaDecimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(FormatFixed, AlwaysAPointWhateverTheLocale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
  const std::string negative = FormatFixed(-2694892.46172, 3);
  const std::string seconds = FormatFloatFixed(34.5678, 7, 4);
  std::locale::global(previous);

  EXPECT_EQ(negative, "-2694892.462");
  EXPECT_EQ(seconds, "34.5678");
  EXPECT_EQ(FormatFixed(-0.0001, 3), "0.000");
  EXPECT_EQ(FormatFixed(1.5, 0), "2");
}

}  // namespace
}  // namespace pelorin
