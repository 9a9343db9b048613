// The whole analysis, in process, over logs damaged on purpose: cut off at
// every offset of their head and at spread offsets after, and with single
// bytes flipped. Under the sanitizer build this checks that no input makes
// the analysis read past a buffer; in every build that each damaged log
// still gives an answer and that the counts stay sane.
#include <gtest/gtest.h>

#include <random>

#include "cmr/Analysis.h"
#include "tests/support/RecordingCharts.h"
#include "tests/support/RecordingToolkit.h"
#include "tests/support/RoverLog.h"

namespace pelorin {
namespace {

using testdata::Bytes;

constexpr std::size_t kEveryCutUpTo = 64 * 1024;
// Under the sanitizers every cut costs some twenty times as much: there the
// head is cut at every 16th offset (the fuzz targets cut further).
constexpr std::size_t kHeadCutStride = PELORIN_SANITIZED ? 16 : 1;
constexpr std::size_t kSpreadCuts = 1000;
constexpr std::size_t kFlippedBytes = 3000;

Bytes RoverLogOfSeconds(int seconds) {
  testdata::RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = 120;
  options.Gaps = {7, 100, 101};
  options.StartMsOfDay = 86'400'000 - 60'000;  // across midnight
  return testdata::MakeRoverLog(options);
}

// One window's analyses of logs in memory: the store as each left it.
struct InProcess {
  DecodedStore Store;

  AnalysisOutcome Analyse(ByteSpan log) {
    AnalysisRequest request;
    request.Options.WriteContents = false;
    AnalysisObserver quiet;
    const AnalysisResult result = AnalyseLogBytes(request, log, quiet);
    Store = StoreAfter(result, std::move(Store));
    return result.Outcome;
  }
};

void ExpectSaneCounts(const DecodedStore& store) {
  for (std::int32_t count : {store.Type0Count, store.Type1Count, store.Type2Count, store.Type3Count,
                             store.CmrPlusCount}) {
    EXPECT_GE(count, 0);
  }
  EXPECT_GE(store.ReferenceStationId, 0);
  EXPECT_LT(store.ReferenceStationId, 32);
}

TEST(HostileInput, EveryCutOfALogIsAnalysedAndCountsOnlyGrowWithIt) {
  const Bytes whole = RoverLogOfSeconds(300);
  ASSERT_GT(whole.size(), 2 * kEveryCutUpTo);
  std::vector<std::size_t> cuts;
  for (std::size_t cut = 0; cut <= kEveryCutUpTo; cut += kHeadCutStride) cuts.push_back(cut);
  for (std::size_t k = 1; k <= kSpreadCuts; ++k) {
    cuts.push_back(kEveryCutUpTo + (whole.size() - kEveryCutUpTo) * k / kSpreadCuts);
  }
  InProcess analysis;
  std::int32_t type0Before = 0;
  for (const std::size_t cut : cuts) {
    const AnalysisOutcome outcome = analysis.Analyse(ByteSpan(whole).first(cut));
    ASSERT_NE(outcome, AnalysisOutcome::NoFile) << "cut at " << cut;
    ExpectSaneCounts(analysis.Store);
    // A longer piece of the same log holds every frame a shorter one holds.
    ASSERT_GE(analysis.Store.Type0Count, type0Before) << "cut at " << cut;
    type0Before = analysis.Store.Type0Count;
  }
  EXPECT_EQ(type0Before, 297);
}

TEST(HostileInput, EveryFlippedByteOfALogIsAnalysedSafely) {
  const Bytes whole = RoverLogOfSeconds(120);
  std::mt19937 random(20091215);
  std::uniform_int_distribution<std::size_t> position(0, whole.size() - 1);
  InProcess analysis;
  Bytes damaged = whole;
  for (std::size_t k = 0; k < kFlippedBytes; ++k) {
    // The head of the log byte by byte, then bytes chosen across it.
    const std::size_t at = k < 1000 ? k : position(random);
    const std::uint8_t original = damaged[at];
    damaged[at] = static_cast<std::uint8_t>(k % 3 == 0 ? ~original : random());
    ASSERT_NE(analysis.Analyse(damaged), AnalysisOutcome::NoFile) << "byte " << at;
    ExpectSaneCounts(analysis.Store);
    damaged[at] = original;
  }
}

TEST(HostileInput, SplicedRecordAndFrameLuresAreAnalysedSafely) {
  const Bytes whole = RoverLogOfSeconds(40);
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> position(0, whole.size());
  InProcess analysis;
  for (int round = 0; round < 200; ++round) {
    Bytes damaged = whole;
    const Bytes lure = testdata::ToBytes(round % 3 == 0   ? ">>FFFc\x02"
                                         : round % 3 == 1 ? ">>00A\x02\x93\xFF"
                                                          : "~~005\xFF\xFF");
    damaged.insert(damaged.begin() + static_cast<std::ptrdiff_t>(position(random)), lure.begin(),
                   lure.end());
    ASSERT_NE(analysis.Analyse(damaged), AnalysisOutcome::NoFile);
    ExpectSaneCounts(analysis.Store);
  }
}

TEST(HostileInput, TheUndamagedLogStillCountsItsMessages) {
  InProcess analysis;
  ASSERT_EQ(analysis.Analyse(RoverLogOfSeconds(40)), AnalysisOutcome::Completed);
  EXPECT_EQ(analysis.Store.Type0Count, 39);
  EXPECT_EQ(analysis.Store.Type3Count, 39);
  EXPECT_EQ(analysis.Store.ReferenceStationId, 7);
}

}  // namespace
}  // namespace pelorin
