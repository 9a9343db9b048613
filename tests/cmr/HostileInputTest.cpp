// The whole analysis over logs damaged on purpose: bytes flipped, records cut
// off, garbage spliced in. Under the sanitizer build this checks that no
// input makes the analysis read past a buffer; here it checks that every
// damaged log still gives an answer and that the counts stay sane.
#include <gtest/gtest.h>

#include <random>

#include "tests/support/AnalysisHarness.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::Bytes;
using testdata::ZelLog;

Bytes SmallRoverLog() {
  testdata::RoverLogOptions options;
  options.Seconds = 40;
  options.FillerBytesPerEpoch = 16;
  options.Gaps = {7};
  return testdata::MakeRoverLog(options);
}

ZelLog LogOf(const Bytes& bytes) {
  ZelLog log;
  log.Raw(bytes);
  return log;
}

void ExpectSaneCounts(const DecodedStore& store) {
  for (std::int32_t count : {store.Type0Count, store.Type1Count, store.Type2Count, store.Type3Count,
                             store.CmrPlusCount}) {
    EXPECT_GE(count, 0);
  }
  EXPECT_GE(store.ReferenceStationId, 0);
  EXPECT_LT(store.ReferenceStationId, 32);
}

TEST(HostileInput, EveryTruncationOfALogIsAnalysedSafely) {
  const Bytes whole = SmallRoverLog();
  AnalysisHarness harness;
  // Cuts at a prime stride reach into every kind of record and frame.
  for (std::size_t cut = 0; cut <= whole.size(); cut += 37) {
    const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    const AnalysisOutcome outcome = harness.Open(LogOf(part));
    EXPECT_NE(outcome, AnalysisOutcome::NoFile) << "cut at " << cut;
    ExpectSaneCounts(harness.State.Store);
  }
}

TEST(HostileInput, FlippedAndSplicedBytesAreAnalysedSafely) {
  const Bytes whole = SmallRoverLog();
  std::mt19937 random(20091215);
  AnalysisHarness harness;
  for (int round = 0; round < 60; ++round) {
    Bytes damaged = whole;
    std::uniform_int_distribution<std::size_t> position(0, damaged.size() - 1);
    for (int k = 0; k < 40; ++k) damaged[position(random)] = static_cast<std::uint8_t>(random());
    // Splice in bytes that look like record and frame starts.
    const Bytes lure = testdata::ToBytes(round % 2 ? ">>FFFc\x02" : ">>00A\x02\x93\xFF");
    damaged.insert(damaged.begin() + static_cast<std::ptrdiff_t>(position(random)), lure.begin(),
                   lure.end());
    harness.Open(LogOf(damaged));
    ExpectSaneCounts(harness.State.Store);
  }
}

TEST(HostileInput, TheUndamagedLogStillCountsItsMessages) {
  AnalysisHarness harness;
  ASSERT_EQ(harness.Open(LogOf(SmallRoverLog())), AnalysisOutcome::Completed);
  EXPECT_EQ(harness.State.Store.Type0Count, 39);
  EXPECT_EQ(harness.State.Store.Type3Count, 39);
  EXPECT_EQ(harness.State.Store.ReferenceStationId, 7);
}

}  // namespace
}  // namespace pelorin
