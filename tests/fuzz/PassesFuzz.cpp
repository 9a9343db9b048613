// libFuzzer target over the passes that decode a CMR stream: reference
// station, time line, type 1 coordinates, station-information pages and
// type 2 descriptions, then the shown results and the three panel views.
// The input is the stream; its first four bytes also date the log's start.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "cmr/Analysis.h"
#include "cmr/StationPasses.h"
#include "log/DateTime.h"
#include "station/ReferencePanel.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/RecordingCharts.h"

namespace {

using namespace pelorin;
using fuzz::Require;

// A start a whole number of seconds after the GPS time origin, up to some
// 136 years on, as the probe could resolve it.
double LogStartFrom(ByteSpan stream) {
  std::uint32_t seconds = 0;
  for (std::size_t k = 0; k < 4 && k < stream.size(); ++k)
    seconds |= static_cast<std::uint32_t>(stream[k]) << (8 * k);
  return GpsTimeOrigin() + seconds * kOneSecondDays;
}

void CheckStore(const DecodedStore& store, std::uint64_t streamBytes) {
  for (const std::int32_t count : {store.Type0Count, store.Type1Count, store.Type2Count,
                                   store.Type3Count, store.CmrPlusCount}) {
    // Every message counted opens at a position of its own.
    Require(count >= 0 && static_cast<std::uint64_t>(count) <= streamBytes, "sane counts");
  }
  Require(store.ReferenceStationId >= 0 && store.ReferenceStationId < 32, "a 5-bit station");
  Require(store.AntennaTypeNumber >= 0 && store.AntennaTypeNumber < 256, "an antenna byte");
}

void CheckCharts(const RecordingCharts& charts) {
  for (const GnssSystem window : {GnssSystem::Gps, GnssSystem::Glonass}) {
    for (int n = 1; n <= kSeriesPerWindow; ++n) {
      for (const ChartPoint& point : charts.At(window, n).Points) {
        Require(std::isfinite(point.X) && std::isfinite(point.Y), "finite chart points");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  DecodedStore store;
  store.LogStartTime = LogStartFrom(bytes);
  ResetStationInformation(store);
  TimeLineState timeLine;
  RecordingCharts charts;

  const CmrStream stream(bytes);
  store.CmrStreamLength = stream.Size();
  RunDecodingPasses(store, timeLine, charts, stream);
  TrimType2Texts(store);
  ChooseShownIdentifiers(store);
  CheckStore(store, stream.Size());
  CheckCharts(charts);
  for (const PanelSource source : {PanelSource::Type1, PanelSource::Type2, PanelSource::CmrPlus}) {
    PanelViewFor(source, store);
  }
  return 0;
}
