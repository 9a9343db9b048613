#pragma once
// Earth-centred, Earth-fixed coordinates to WGS-84 latitude, longitude and
// ellipsoidal height, and the number texts the reference station views show.
// Pure computations: no state, no window, no errors reported.

#include <string>

namespace pelorin {

// Latitude and longitude in radians, height in metres above the ellipsoid.
struct GeodeticPosition {
  double Latitude = 0;
  double Longitude = 0;
  double Height = 0;
  // False on the polar axis (X = Y = 0), where no texts are made.
  bool HasAngles = true;
};

// The numbers behind EcefToGeodetic.
GeodeticPosition GeodeticFromEcef(double X, double Y, double Z);

// Replaces both texts with the degree/minute/second form of latitude and
// longitude; on the polar axis it leaves them as they are and sets only the height.
void EcefToGeodetic(double X, double Y, double Z, std::string& latitudeText,
                    std::string& longitudeText, double& height);

// Sign ("-" or one space), degrees " : " minutes " : " seconds with four decimals.
std::string FormatDms(double radians);

// Fixed-point text with exactly `decimals` decimals and a point as separator,
// whatever the locale.
std::string FormatFixed(double value, int decimals);

// The classic fixed-point conversion with precision and digits: the value is
// rounded to at most `precision` significant digits (and `digits` decimals),
// then shown with exactly `digits` decimals. A value whose integer part needs
// more than `precision` digits is shown in scientific notation instead.
std::string FormatFloatFixed(double value, int precision, int digits);

}  // namespace pelorin
