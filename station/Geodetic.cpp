#include "station/Geodetic.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace pelorin {

namespace {

constexpr double kSemiMajorAxisM = 6378137.0;
constexpr double kFlattening = 0.0033528106647474805;  // 1/298.257223563
// Fourteen digits of pi, not the library constant: the shown degrees of a
// longitude from atan2 near 180 degrees depend on this exact value.
constexpr double kPi = 3.1415926535898;
constexpr double kLatitudeToleranceRad = 1e-9;
// Near the Earth's surface the latitude settles in two or three passes; the
// cap only keeps positions far from it (deep inside, absurd values) from
// spinning for ever.
constexpr int kMaxLatitudePasses = 100;

// The classic conversion works from 18 significant digits of the value.
constexpr int kMaxSignificantDigits = 18;
constexpr int kMaxDecimals = 18;

double PrimeVerticalRadius(double eccentricitySquared, double latitude) {
  return kSemiMajorAxisM /
         std::sqrt(1 - eccentricitySquared * std::sin(latitude) * std::sin(latitude));
}

// Decimal digits of |value| and the position of the point: |value| is
// 0.d1d2d3... times 10^pointPosition. Zero gives no digits.
struct DecimalDigits {
  std::string Digits;
  int PointPosition = 0;
};

DecimalDigits ToDecimalDigits(double magnitude) {
  DecimalDigits result;
  if (magnitude == 0) return result;
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                       std::chars_format::scientific, kMaxSignificantDigits - 1);
  if (ec != std::errc{}) return result;
  // "d.ddddde+XX"
  const char* p = buffer.data();
  for (; p != end && *p != 'e'; ++p) {
    if (*p != '.') result.Digits.push_back(*p);
  }
  int exponent = 0;
  if (p != end) std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
  result.PointPosition = exponent + 1;
  return result;
}

// Keeps the first `keep` digits, rounding half away from zero on the next one
// as the classic conversion does; a carry out of the top moves the point.
void RoundDigits(DecimalDigits& number, int keep) {
  if (keep < 0) {
    number = {};
    return;
  }
  const auto size = static_cast<int>(number.Digits.size());
  if (keep >= size) return;
  const bool up = number.Digits[static_cast<std::size_t>(keep)] >= '5';
  number.Digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    for (; i >= 0 && number.Digits[static_cast<std::size_t>(i)] == '9'; --i) {
      number.Digits[static_cast<std::size_t>(i)] = '0';
    }
    if (i >= 0) {
      ++number.Digits[static_cast<std::size_t>(i)];
    } else {
      number.Digits.insert(number.Digits.begin(), '1');
      ++number.PointPosition;
    }
  }
  if (number.Digits.find_first_not_of('0') == std::string::npos) number = {};
}

char DigitAt(const DecimalDigits& number, int index) {
  if (index < 0 || index >= static_cast<int>(number.Digits.size())) return '0';
  return number.Digits[static_cast<std::size_t>(index)];
}

// The general form the classic conversion falls back on, e.g. "1.2345E20".
std::string FormatScientific(bool negative, DecimalDigits number, int precision) {
  RoundDigits(number, precision);
  if (number.Digits.empty()) return "0";
  const auto last = number.Digits.find_last_not_of('0');
  std::string text = negative ? "-" : "";
  text += number.Digits[0];
  if (last > 0) {
    text += '.';
    text.append(number.Digits, 1, last);
  }
  text += 'E';
  text += std::to_string(number.PointPosition - 1);
  return text;
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

GeodeticPosition GeodeticFromEcef(double X, double Y, double Z) {
  GeodeticPosition position;
  const double eccentricitySquared = (2 - kFlattening) * kFlattening;
  const double p = std::sqrt(X * X + Y * Y);

  if (X != 0) {
    position.Longitude = std::atan2(Y, X);
  } else if (Y > 0) {
    position.Longitude = kPi * 0.5;
  } else if (Y < 0) {
    // 270 degrees rather than atan2's -90: the longitude text shows it so.
    position.Longitude = kPi * 3 * 0.5;
  } else {
    // On the polar axis the latitude iteration would divide by p = 0, and a
    // pole has no longitude. The views show the height from the semi-minor
    // axis and leave both angle texts empty, which is also what an all-zero
    // position (station information that never arrived) shows: empty
    // angles say "no position" better than invented ones would.
    const double semiMinorAxisM = kSemiMajorAxisM - kSemiMajorAxisM * kFlattening;
    position.Latitude = Z > 0 ? kPi * 0.5 : -kPi * 0.5;
    position.Longitude = kPi * 0.5;
    position.Height = std::fabs(Z) - semiMinorAxisM;
    position.HasAngles = false;
    return position;
  }

  double latitude = std::atan(Z / (p * (1 - eccentricitySquared)));
  double change = 0;
  int passes = 0;
  do {
    const double n = PrimeVerticalRadius(eccentricitySquared, latitude);
    const double h = p / std::cos(latitude) - n;
    const double next = std::atan(Z * (1 / (1 - eccentricitySquared * n / (n + h))) / p);
    change = std::fabs(next - latitude);
    latitude = next;
    ++passes;
  } while (change >= kLatitudeToleranceRad && passes < kMaxLatitudePasses);

  const double n = PrimeVerticalRadius(eccentricitySquared, latitude);
  position.Latitude = latitude;
  position.Height = p / std::cos(latitude) - n;
  return position;
}

void EcefToGeodetic(double X, double Y, double Z, std::string& latitudeText,
                    std::string& longitudeText, double& height) {
  const GeodeticPosition position = GeodeticFromEcef(X, Y, Z);
  height = position.Height;
  if (!position.HasAngles) return;
  latitudeText = FormatDms(position.Latitude);
  longitudeText = FormatDms(position.Longitude);
}

std::string FormatDms(double radians) {
  std::string text = radians < 0 ? "-" : " ";
  const double w = std::fabs(radians);
  // Degrees and minutes are truncated and the seconds are not carried, so a
  // rounded 60.0000 stays in the seconds field.
  const double degrees = std::trunc(w / kPi * 180);
  const double minutes = std::trunc(w / kPi * 180 * 60) - 60 * degrees;
  const double seconds = w / kPi * 180 * 60 * 60 - 3600 * degrees - 60 * minutes;
  text += FormatFloatFixed(degrees, kMaxSignificantDigits, 0);
  text += " : ";
  text += FormatFloatFixed(minutes, kMaxSignificantDigits, 0);
  text += " : ";
  text += FormatFloatFixed(seconds, 7, 4);
  return text;
}

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  // Room for the 309 integer digits of the largest double and the decimals.
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, decimals);
  if (ec != std::errc{}) return NonFiniteText(value);
  std::string text(buffer.data(), end);
  // A value that rounds to zero is shown without a sign.
  if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos) {
    text.erase(0, 1);
  }
  return text;
}

std::string FormatFloatFixed(double value, int precision, int digits) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, kMaxSignificantDigits);
  digits = std::clamp(digits, 0, kMaxDecimals);
  const bool negative = value < 0;

  DecimalDigits number = ToDecimalDigits(std::fabs(value));
  if (number.PointPosition > precision) return FormatScientific(negative, number, precision);
  RoundDigits(number, std::min(precision, number.PointPosition + digits));
  if (number.PointPosition > precision) return FormatScientific(negative, number, precision);

  // A value that rounds to zero is shown without a sign.
  std::string text = negative && !number.Digits.empty() ? "-" : "";
  if (number.PointPosition <= 0) {
    text += '0';
  } else {
    for (int i = 0; i < number.PointPosition; ++i) text += DigitAt(number, i);
  }
  if (digits > 0) {
    text += '.';
    for (int i = 0; i < digits; ++i) text += DigitAt(number, number.PointPosition + i);
  }
  return text;
}

}  // namespace pelorin
