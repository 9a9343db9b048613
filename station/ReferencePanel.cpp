#include "station/ReferencePanel.h"

#include "station/Geodetic.h"

namespace pelorin {
namespace {

// A source feeds the station description only when received more than this often.
constexpr std::int32_t kDescriptionSourceMinCount = 3;

constexpr int kCoordinatePrecision = 14;
constexpr int kHeightPrecision = 10;
constexpr int kMetreDecimals = 3;
constexpr std::string_view kBoxIndent = "      ";

std::string MetresText(double value) {
  return FormatFloatFixed(value, kCoordinatePrecision, kMetreDecimals);
}

std::string HeightText(double value) {
  return FormatFloatFixed(value, kHeightPrecision, kMetreDecimals);
}

}  // namespace

PanelFill FillPanelFrom(const StationCoordinates& metres) {
  std::string latitudeText;
  std::string longitudeText;
  double height = 0;
  EcefToGeodetic(metres.X, metres.Y, metres.Z, latitudeText, longitudeText, height);

  const std::string indent(kBoxIndent);
  return {{indent + MetresText(metres.X), indent + MetresText(metres.Y),
           indent + MetresText(metres.Z), indent + MetresText(metres.AntennaHeight),
           indent + MetresText(metres.EastOffset), indent + MetresText(metres.NorthOffset)},
          {"lat: " + latitudeText, "lon: " + longitudeText, "ell.ht (m): " + HeightText(height)}};
}

PanelView PanelViewFor(PanelSource source, const DecodedStore& store) {
  switch (source) {
    case PanelSource::Type1:
      if (store.Type1Count == 0) return {};
      return {true, FillPanelFrom(store.Type1Coordinates)};
    case PanelSource::Type2:
      if (store.Type2Count == 0) return {};
      // The CMR+ station information is preferred to the type 1 message; with
      // neither received often enough the boxes keep what they held.
      if (store.CmrPlusCount > kDescriptionSourceMinCount) {
        return {true, FillPanelFrom(MillimetresToMetres(store.StationInfoCoordinates))};
      }
      if (store.Type1Count > kDescriptionSourceMinCount) {
        return {true, FillPanelFrom(store.Type1Coordinates)};
      }
      return {true, std::nullopt};
    case PanelSource::CmrPlus:
      // One page is enough here: the station information is shown as far as it came.
      if (store.CmrPlusCount == 0) return {};
      return {true, FillPanelFrom(MillimetresToMetres(store.StationInfoCoordinates))};
  }
  return {};
}

std::string DescribePosition(const StationCoordinates& metres) {
  std::string latitudeText;
  std::string longitudeText;
  double height = 0;
  EcefToGeodetic(metres.X, metres.Y, metres.Z, latitudeText, longitudeText, height);

  std::string line = "X " + MetresText(metres.X) + " Y " + MetresText(metres.Y) + " Z " +
                     MetresText(metres.Z) + " m, ";
  if (latitudeText.empty()) {
    line += "on the polar axis (no latitude or longitude), ";
  } else {
    line += "lat " + latitudeText + ", lon " + longitudeText + ", ";
  }
  line += "ell.ht " + HeightText(height) + " m";
  return line;
}

}  // namespace pelorin
