// libFuzzer target over the start-time probe: the first records found while
// the log is read in blocks of a size the input chooses must be those found
// in one window, and so must the start time resolved from them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "log/StartTimeProbe.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace pelorin;
using fuzz::Require;

FirstRecords FindInBlocksOf(ByteSpan log, std::uint64_t blockBytes) {
  FirstRecordFinder finder;
  LogWindowReader* const readers[] = {&finder};
  SweepLogBytes(log, readers, blockBytes);
  return finder.Found();
}

bool SameRecord(const std::optional<FirstRecord>& a, const std::optional<FirstRecord>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || std::ranges::equal(a->View(), b->View());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan log(data, size);
  const FirstRecords inBlocks = FindInBlocksOf(log, fuzz::BlockBytesFor(log));
  const FirstRecords whole = FindInBlocksOf(log, fuzz::OneWindowBytes(log));
  // The "rE" and "rM" records are looked for only as long as they may matter.
  Require(SameRecord(inBlocks.ReceiverTime, whole.ReceiverTime), "the same receiver time record");
  Require(SameRecord(inBlocks.ReceiverDate, whole.ReceiverDate), "the same receiver date record");

  const ProbeResult blockwise = ResolveStartTime(inBlocks);
  const ProbeResult oneWindow = ResolveStartTime(whole);
  Require(blockwise.Resolved == oneWindow.Resolved, "resolved alike in blocks and in one window");
  Require(fuzz::SameDouble(blockwise.Start, oneWindow.Start), "the same start in blocks");
  Require(oneWindow.Start == oneWindow.Start, "a start time is a number");
  return 0;
}
