// libFuzzer target over the whole analysis of one log held in memory: the
// start-time probe, the record candidates, the epoch scan, both unwrapping
// passes, every decoding pass, the shown results and the three panel views.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cmr/Analysis.h"
#include "cmr/EchoUnwrap.h"
#include "cmr/StationPasses.h"
#include "log/EpochScan.h"
#include "log/StartTimeProbe.h"
#include "log/ZelRecords.h"
#include "platform/RecordingCharts.h"
#include "platform/RecordingToolkit.h"
#include "station/ReferencePanel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  std::vector<std::uint8_t> input(data, data + size);

  const std::string_view search = RawSearchText(input);
  const ProbeResult probe = ProbeStartTimeIn(input);
  if (const auto at = FindPattern(search, kSatelliteIndexPattern)) {
    CheckSatelliteIndexCandidate(input, *at);
  }
  if (const auto at = FindPattern(search, kGlonassNumberPattern)) {
    CheckGlonassNumberCandidate(input, *at);
  }

  SharedState state;
  state.Store.LogStartTime = probe.Start;
  RecordingToolkit toolkit;
  RecordingCharts charts;
  const EpochScanResult scan = ReadEpochs(input);
  const UnwrapResult unwrapped = UnwrapLog(input);
  RunDecodingPasses(state, charts, unwrapped.CmrStream);
  ShowResults(state.Store, toolkit);
  ShowEpochScan(scan, toolkit, charts);
  for (const char* click : {"Edit3Click", "Edit4Click", "Edit8Click"}) {
    PanelViewAfterClick(state.Store, {}, click);
  }
  return 0;
}
