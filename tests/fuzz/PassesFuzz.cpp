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
#include "platform/RecordingCharts.h"
#include "platform/RecordingToolkit.h"
#include "station/ReferencePanel.h"
#include "tests/fuzz/FuzzSupport.h"

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
  SharedState state;
  state.Store.LogStartTime = LogStartFrom(bytes);
  ResetStationInformation(state.Store);
  RecordingToolkit toolkit;
  RecordingCharts charts;

  const CmrStream stream(bytes);
  state.Store.CmrStreamLength = stream.Size();
  RunDecodingPasses(state, charts, stream);
  ShowResults(state.Store, toolkit);
  CheckStore(state.Store, stream.Size());
  CheckCharts(charts);

  std::map<std::string, std::string> identifierBoxes;
  for (const char* box : {"Edit12", "Edit13", "Edit14", "Edit15", "Edit16"}) {
    identifierBoxes[box] = toolkit.TextOf(box);
  }
  for (const char* click : {"Edit3Click", "Edit4Click", "Edit8Click"}) {
    PanelViewAfterClick(state.Store, identifierBoxes, click);
  }
  return 0;
}
