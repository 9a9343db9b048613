#include <gtest/gtest.h>

#include <algorithm>

#include "cmr/StationPasses.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::CmrFrame;
using testdata::CmrPlusPage;
using testdata::CoordinatesMm;
using testdata::ObsMessage;
using testdata::ToBytes;

const CoordinatesMm kStationMm{1'126'674'412, -4'357'871'711, 4'503'860'481, 1500, 25, -40};

Bytes Join(std::initializer_list<Bytes> parts) {
  return testdata::Concat(parts);
}
Bytes Obs(int station, int type, int satellites = 2) {
  std::vector<testdata::SvContent> sats(static_cast<std::size_t>(satellites));
  return CmrFrame(ObsMessage({station, type, 0, 0, sats, {}}));
}
Bytes Type1(int station, std::uint8_t antenna, const CoordinatesMm& mm = kStationMm) {
  return CmrFrame(testdata::Type1Message(station, antenna, mm));
}
Bytes Type2(int station, std::uint8_t antenna, std::string_view longId) {
  return CmrFrame(testdata::Type2Message(station, antenna, "SHORT", "COGO", longId));
}
Bytes Page(int page, int last, std::string_view data, int station = 0) {
  return CmrPlusPage(station, page, last, ToBytes(data));
}
std::string BlockText(const DecodedStore& store, std::size_t from, std::size_t count) {
  return std::string(store.StationInfoBlock.begin() + static_cast<std::ptrdiff_t>(from),
                     store.StationInfoBlock.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// ---- Pass A ---------------------------------------------------------------

TEST(ChooseReferenceStation, CountsValidType0And3MessagesOnly) {
  // Station 9 sends positions, station 3 too many satellites, station 4 types 4 to 7.
  const Bytes tooMany = CmrFrame(ObsMessage({3, 0, 0, 0, {{1}}, 21}));
  Bytes stream = Join({Obs(5, 0), Obs(2, 0), Obs(5, 3), Obs(2, 3), Obs(5, 0)});
  for (int type = 4; type <= 7; ++type) {
    stream = Join({stream, Type1(9, 1), tooMany, CmrFrame(ObsMessage({4, type, 0, 0, {{1}}, {}}))});
  }
  DecodedStore store;
  store.Type0Count = store.Type3Count = store.CmrPlusCount = 9;
  ChooseReferenceStation(stream, store);
  EXPECT_EQ(store.ReferenceStationId, 5);
  EXPECT_EQ(store.StationIdTally[5], 3);
  EXPECT_EQ(store.StationIdTally[2], 2);
  EXPECT_EQ(store.StationIdTally[9] + store.StationIdTally[3] + store.StationIdTally[4], 0);
  EXPECT_EQ(store.Type0Count + store.Type3Count + store.CmrPlusCount, 0);
}

TEST(ChooseReferenceStation, TieGoesToTheLowerId) {
  DecodedStore store;
  ChooseReferenceStation(Join({Obs(12, 0), Obs(4, 3), Obs(12, 3), Obs(4, 0)}), store);
  EXPECT_EQ(store.ReferenceStationId, 4);
}

// ---- Pass C and the antenna choice -------------------------------------------

TEST(DecodeType1Messages, KeepsTheLastPlausiblePositionInMetres) {
  DecodedStore store;
  store.ReferenceStationId = 3;
  const CoordinatesMm other{-4'646'302'562, 2'553'332'808, -3'534'058'022, -100, 0, 8191};
  DecodeType1Messages(Join({Type1(3, 1), Type1(4, 1, other), Type1(3, 1, other)}), store);
  EXPECT_EQ(store.Type1Count, 2);
  EXPECT_DOUBLE_EQ(store.Type1Coordinates.X, -4'646'302.562);
  EXPECT_DOUBLE_EQ(store.Type1Coordinates.Z, -3'534'058.022);
  EXPECT_DOUBLE_EQ(store.Type1Coordinates.AntennaHeight, -0.1);
  EXPECT_DOUBLE_EQ(store.Type1Coordinates.NorthOffset, 8.191);
}

TEST(DecodeType1Messages, PositionsOffTheEarthOrAtItsCentreAreNotCounted) {
  DecodedStore store;
  store.Type1Coordinates = {1, 2, 3, 4, 5, 6};
  const CoordinatesMm tooHigh{6'400'000'000, 0, 0, 1, 1, 1};
  const CoordinatesMm tooLow{0, 0, -6'340'000'000, 1, 1, 1};
  const CoordinatesMm centre{0, 0, 0, 1500, 0, 0};
  DecodeType1Messages(Join({Type1(0, 1, tooHigh), Type1(0, 1, tooLow), Type1(0, 1, centre)}),
                      store);
  EXPECT_EQ(store.Type1Count, 0);
  EXPECT_EQ(store.Type1Coordinates, (StationCoordinates{1, 2, 3, 4, 5, 6}));

  const CoordinatesMm lowEnough{0, 6'387'000'000, 0, 0, 0, 0};
  DecodeType1Messages(Type1(0, 1, lowEnough), store);
  EXPECT_EQ(store.Type1Count, 1);
  EXPECT_DOUBLE_EQ(store.Type1Coordinates.Y, 6'387'000.0);
}

TEST(ChooseAntennaType, MostFrequentTypeOneHeaderByteLowerOnTies) {
  DecodedStore store;
  // Headers that decode count, even where the position is then refused.
  const CoordinatesMm centre{};
  DecodeType1Messages(
      Join({Type1(0, 12), Type1(0, 30, centre), Type1(0, 30, centre), Type1(0, 9), Type1(0, 9)}),
      store);
  ChooseAntennaType(store);
  EXPECT_EQ(store.AntennaTypeNumber, 9);

  // The station information's antenna byte only stands in for a missing type 1.
  store.StationInfoBlock[5] = 44;
  ApplyAntennaFallback(store);
  EXPECT_EQ(store.AntennaTypeNumber, 9);
}

// ---- Pass E ----------------------------------------------------------------

TEST(DecodeType2Messages, CountsMatchingAntennaButDecodesEveryDescription) {
  DecodedStore store;
  store.ReferenceStationId = 2;
  store.AntennaTypeNumber = 12;
  DecodeType2Messages(Join({Type2(2, 12, "ABCDEFGHIJ"), Type2(2, 13, "XY"), Type2(5, 12, "other")}),
                      store);
  EXPECT_EQ(store.Type2Count, 1);
  // The last description of the station wins character by character.
  EXPECT_EQ(TrimText(store.Type2LongId), "XYCDEFGHIJ");
  EXPECT_EQ(store.Type2LongId.size(), kLongIdWidth);
}

// ---- Pass D ----------------------------------------------------------------

TEST(CollectStationInfoPages, PagesBeforePageZeroAreCountedButNotStored) {
  DecodedStore store;
  CollectStationInfoPages(
      Join({Page(1, 3, "early.1"), Page(2, 3, "early.2"), Page(0, 3, "page..0"),
            Page(1, 3, "page..1"), Page(2, 3, "page..2"), Page(3, 3, "page..3")}),
      store);
  EXPECT_EQ(store.CmrPlusCount, 6);
  EXPECT_FALSE(store.StationInfoWaiting);
  EXPECT_TRUE(store.StationInfoComplete);
  EXPECT_EQ(BlockText(store, 0, 28), "page..0page..1page..2page..3");

  // Once complete, later pages only count.
  CollectStationInfoPages(
      Join({Page(0, 3, "late..0"), Page(1, 3, "late..1"), Page(3, 3, "late..3")}), store);
  EXPECT_EQ(store.CmrPlusCount, 9);
  EXPECT_EQ(BlockText(store, 0, 28), "page..0page..1page..2page..3");
}

TEST(CollectStationInfoPages, RepeatedPageZeroStartsTheSeenListAfresh) {
  DecodedStore store;
  const Bytes start = Join({Page(0, 3, "page..0"), Page(1, 3, "page..1"), Page(2, 3, "page..2"),
                            Page(0, 3, "again.0"), Page(3, 3, "page..3")});
  CollectStationInfoPages(start, store);
  EXPECT_FALSE(store.StationInfoComplete);
  EXPECT_EQ(BlockText(store, 0, 28), "again.0page..1page..2page..3");

  DecodedStore completed;
  CollectStationInfoPages(
      Join({start, Page(2, 3, "new...2"), Page(1, 3, "new...1"), Page(3, 3, "last..3")}),
      completed);
  EXPECT_TRUE(completed.StationInfoComplete);
  EXPECT_EQ(completed.CmrPlusCount, 8);
  EXPECT_EQ(BlockText(completed, 0, 28), "again.0new...1new...2last..3");
}

TEST(CollectStationInfoPages, ShortLastPageStoresItsDataBytesOnly) {
  DecodedStore store;
  store.StationInfoBlock.fill(0x55);
  CollectStationInfoPages(Join({Page(0, 1, "page..0"), Page(1, 1, "ab")}), store);
  EXPECT_TRUE(store.StationInfoComplete);
  EXPECT_EQ(BlockText(store, 0, 9), "page..0ab");
  EXPECT_EQ(store.StationInfoBlock[9], 0x55);
}

TEST(CollectStationInfoPages, PageZeroAloneIsNeverCollectedAndOtherStationsAreNotCounted) {
  DecodedStore store;
  store.ReferenceStationId = 4;
  CollectStationInfoPages(
      Join({Page(0, 0, "only..0", 4), Page(0, 1, "page..0", 3), Page(1, 1, "ab", 3)}), store);
  EXPECT_EQ(store.CmrPlusCount, 1);
  EXPECT_TRUE(store.StationInfoWaiting);
  EXPECT_FALSE(store.StationInfoComplete);
  EXPECT_EQ(store.StationInfoBlock[0], 0);
}

TEST(CollectStationInfoPages, PagesBeyondTheBlockOrTheAnnouncedLastPageAreCountedNotStored) {
  const std::string seven(7, 'p');
  {
    // Page 28 would write bytes 196..202 of the 200.
    DecodedStore store;
    CollectStationInfoPages(
        Join({Page(0, 30, seven), Page(28, 30, "xxxxxxx"), Page(28, 28, "yyyyyyy")}), store);
    EXPECT_EQ(store.CmrPlusCount, 3);
    EXPECT_FALSE(store.StationInfoComplete);
    EXPECT_TRUE(std::all_of(store.StationInfoBlock.begin() + 7, store.StationInfoBlock.end(),
                            [](std::uint8_t b) { return b == 0; }));
  }
  {
    // A last page 27 may fill the block to its end, not one byte beyond.
    DecodedStore fits;
    CollectStationInfoPages(Join({Page(0, 27, seven), Page(27, 27, std::string(11, 'z'))}), fits);
    EXPECT_EQ(BlockText(fits, 189, 11), std::string(11, 'z'));
    DecodedStore beyond;
    CollectStationInfoPages(Join({Page(0, 27, seven), Page(27, 27, std::string(12, 'z'))}), beyond);
    EXPECT_EQ(beyond.CmrPlusCount, 2);
    EXPECT_EQ(beyond.StationInfoBlock[189], 0);
  }
  {
    // Page 0 announced pages 0..2; a page 3 that calls itself last is left out.
    DecodedStore store;
    CollectStationInfoPages(
        Join({Page(0, 2, seven), Page(3, 3, "three.."), Page(1, 2, seven), Page(2, 2, seven)}),
        store);
    EXPECT_EQ(store.CmrPlusCount, 4);
    EXPECT_TRUE(store.StationInfoComplete);
    EXPECT_EQ(store.StationInfoBlock[21], 0);
  }
}

// ---- Station information ------------------------------------------------------

TEST(DecodeStationInfo, ReadsCoordinatesInMillimetresAndTrimmedTexts) {
  DecodedStore store;
  const Bytes block =
      testdata::StationInfoBlock({7, kStationMm, " PELO", "BASE-01", "Long name  "});
  std::copy(block.begin(), block.end(), store.StationInfoBlock.begin());
  DecodeStationInfo(store);
  EXPECT_EQ(store.StationInfoCoordinates,
            (StationCoordinates{1'126'674'412, -4'357'871'711, 4'503'860'481, 1500, 25, -40}));
  EXPECT_EQ(store.InfoShortId, "PELO");
  EXPECT_EQ(store.InfoCogoCode, "BASE-01");
  EXPECT_EQ(store.InfoLongId, "Long name");
}

TEST(DecodeStationInfo, LongIdOfFiftyCharactersAtMost) {
  DecodedStore store;
  Bytes block = testdata::StationInfoBlock({0, {}, "S", "C", std::string(50, 'L')});
  std::copy(block.begin(), block.end(), store.StationInfoBlock.begin());
  DecodeStationInfo(store);
  EXPECT_EQ(store.InfoLongId, std::string(50, 'L'));

  DecodedStore tooLong;
  block[28] = 77;
  std::copy(block.begin(), block.end(), tooLong.StationInfoBlock.begin());
  DecodeStationInfo(tooLong);
  EXPECT_EQ(tooLong.InfoShortId, "S");
  EXPECT_EQ(tooLong.InfoLongId, "");

  DecodedStore zeroed;
  DecodeStationInfo(zeroed);
  EXPECT_EQ(zeroed.StationInfoCoordinates, StationCoordinates{});
  EXPECT_EQ(zeroed.InfoShortId + zeroed.InfoCogoCode + zeroed.InfoLongId, "");
}

}  // namespace
}  // namespace pelorin
