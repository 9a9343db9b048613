#include <gtest/gtest.h>

#include <random>

#include "cmr/CmrDecode.h"
#include "cmr/CmrStream.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;

TEST(PositionSet, FindsTheNextMemberAcrossWordsAndEndsCleanly) {
  PositionSet set(200);
  for (std::uint64_t p : {0u, 63u, 64u, 130u, 199u}) set.Add(p);
  EXPECT_EQ(set.NextFrom(0), 0u);
  EXPECT_EQ(set.NextFrom(1), 63u);
  EXPECT_EQ(set.NextFrom(64), 64u);
  EXPECT_EQ(set.NextFrom(65), 130u);
  EXPECT_EQ(set.NextFrom(131), 199u);
  EXPECT_FALSE(set.NextFrom(200));
  EXPECT_FALSE(set.NextFrom(10'000));
  EXPECT_FALSE(PositionSet(0).NextFrom(0));
}

// The index must stop exactly where a scan trying every byte would: frames
// inside frames, cut-off frames and look-alikes included.
TEST(CmrStream, KnowsEveryPositionWhereAFrameOrPageCouldOpen) {
  std::mt19937 random(7);
  Bytes stream;
  for (int k = 0; k < 400; ++k) {
    switch (random() % 5) {
      case 0: {
        const Bytes f = testdata::CmrFrame(testdata::ObsMessage({1, 0, 0, k * 1000, {{3}}, {}}));
        stream.insert(stream.end(), f.begin(), f.end());
        break;
      }
      case 1: {
        const Bytes p = testdata::CmrPlusPage(1, 0, 2, testdata::ToBytes("1234567"));
        stream.insert(stream.end(), p.begin(), p.end());
        break;
      }
      case 2:
        stream.insert(stream.end(), {0x02, 0x00, 0x93, 0x01});  // a frame cut short
        break;
      default:
        for (int b = 0; b < 9; ++b) stream.push_back(static_cast<std::uint8_t>(random() % 4));
    }
  }
  const CmrStream cmr(stream);
  std::uint64_t frames = 0;
  for (std::uint64_t pos = 0; pos < stream.size(); ++pos) {
    const bool frame = CheckCmrFrame(stream, pos).has_value();
    const bool page = OpensLikeCmrPlusPage(stream, pos);
    frames += frame;
    ASSERT_EQ(cmr.NextCmrFrame(pos) == pos, frame) << pos;
    ASSERT_EQ(cmr.NextCmrPlusOpening(pos) == pos, page) << pos;
  }
  EXPECT_GT(frames, 50u);
}

TEST(ForEachCmrFrame, ResumesWhereTheVisitSaysAndNeverStandsStill) {
  const Bytes f = testdata::CmrFrame(testdata::ObsMessage({1, 0, 0, 0, {{3}}, {}}));
  const Bytes stream = testdata::Concat({f, f, f});
  std::vector<std::uint64_t> seen;
  ForEachCmrFrame(CmrStream(stream), [&](std::uint64_t frame) {
    seen.push_back(frame);
    return frame;  // a visit that would resume in place moves on by one byte
  });
  EXPECT_EQ(seen, (std::vector<std::uint64_t>{0, f.size(), 2 * f.size()}));
}

}  // namespace
}  // namespace pelorin
