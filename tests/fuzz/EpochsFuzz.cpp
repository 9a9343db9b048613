// libFuzzer target over the epoch scan with the satellites tracked in each
// epoch: the scan read in blocks of a size the input chooses must give what
// one window gives; then what it gave is shown on a recording toolkit and
// charts. Filler laid into the input reaches the epoch size limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "log/EpochScan.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/RecordingCharts.h"

namespace {

using namespace pelorin;
using fuzz::Require;
using fuzz::SameDouble;

bool SameEpoch(const TrackedEpoch& a, const TrackedEpoch& b) {
  return a.Start == b.Start && SameDouble(a.Time, b.Time) && a.Tracked == b.Tracked;
}

bool SameScan(const EpochScanResult& a, const EpochScanResult& b) {
  if (a.Stop != b.Stop || a.Epochs.size() != b.Epochs.size()) return false;
  for (std::size_t k = 0; k < a.Epochs.size(); ++k) {
    if (!SameEpoch(a.Epochs[k], b.Epochs[k])) return false;
  }
  if (a.LastEpoch.has_value() != b.LastEpoch.has_value()) return false;
  if (a.LastEpoch && !SameEpoch(*a.LastEpoch, *b.LastEpoch)) return false;
  return a.DatedUpTo == b.DatedUpTo && a.GlnTotalsMismatchEpochs == b.GlnTotalsMismatchEpochs &&
         a.BadDate.Date == b.BadDate.Date && a.BadDate.RecordOffset == b.BadDate.RecordOffset;
}

EpochScanResult ReadEpochsInBlocksOf(ByteSpan log, std::uint64_t blockBytes) {
  EpochReader reader;
  LogWindowReader* const readers[] = {&reader};
  SweepLogBytes(log, readers, blockBytes);
  return reader.Finish();
}

// Epochs follow the log, each at a receiver time record.
void CheckEpochs(const EpochScanResult& scan, ByteSpan log) {
  for (std::size_t k = 0; k < scan.Epochs.size(); ++k) {
    const TrackedEpoch& epoch = scan.Epochs[k];
    Require(k == 0 || epoch.Start > scan.Epochs[k - 1].Start, "epochs in file order");
    Require(FitsIn(log, epoch.Start, 5) && log[epoch.Start] == '~', "an epoch opens a record");
    Require(epoch.Start < scan.DatedUpTo, "an epoch lies in the dated part");
    Require(epoch.Time == epoch.Time, "an epoch time is a number");
  }
  Require(scan.Completed() || !scan.LastEpoch, "a last epoch only for a completed scan");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> log = fuzz::StretchedLog(ByteSpan(data, size));
  const EpochScanResult inBlocks = ReadEpochsInBlocksOf(log, fuzz::BlockBytesFor(log));
  const EpochScanResult oneWindow = ReadEpochsInBlocksOf(log, fuzz::OneWindowBytes(log));
  Require(SameScan(inBlocks, oneWindow), "the same epochs in blocks as in one window");
  CheckEpochs(oneWindow, log);

  RecordingCharts charts;
  EpochScanMessages(oneWindow);
  if (oneWindow.Completed()) AddTrackedPoints(oneWindow.Epochs, charts);
  return 0;
}
