// What the main window shows of the reference station after an analysis.
#include <gtest/gtest.h>

#include "cmr/StationPasses.h"
#include "tests/support/AnalysisHarness.h"

namespace pelorin {
namespace {

using testdata::AnalysisHarness;
using testdata::Bytes;
using testdata::CmrFrame;
using testdata::Concat;
using testdata::LogCarrying;

const testdata::CoordinatesMm kStationMm{
    1'126'674'412, -4'357'871'711, 4'503'860'481, 1500, 25, -40};

Bytes Gps(int station) {
  return CmrFrame(testdata::ObsMessage({station, 0, 0, 0, {{1}}, {}}));
}
Bytes Type1(int station, std::uint8_t antenna) {
  return CmrFrame(testdata::Type1Message(station, antenna, kStationMm));
}
Bytes Type2(int station, std::uint8_t antenna, std::string_view shortId, std::string_view longId) {
  return CmrFrame(testdata::Type2Message(station, antenna, shortId, "T2-COGO", longId));
}
Bytes Repeat(const Bytes& part, int times) {
  Bytes all;
  for (int k = 0; k < times; ++k) all.insert(all.end(), part.begin(), part.end());
  return all;
}
// The pages of a station information with the given antenna and texts.
Bytes InfoPages(int station, std::uint8_t antenna, std::string_view longId) {
  const testdata::StationInfoContent info{antenna, kStationMm, "INFO", "INFO-COGO",
                                          std::string(longId)};
  Bytes all;
  for (const Bytes& page :
       testdata::StationInfoPages(station, testdata::StationInfoBlock(info), 53 + longId.size())) {
    all.insert(all.end(), page.begin(), page.end());
  }
  return all;
}

TEST(StationSummary, CountsAndIdentifiersOfTheReferenceStation) {
  AnalysisHarness h;
  const Bytes stream =
      Concat({Gps(3), Gps(3), Gps(8), Type1(3, 12), Type1(8, 12), Type2(3, 12, "PELO", "Base"),
              InfoPages(3, 12, "Base"), Repeat(Type2(3, 12, "PELO", "Base"), 3)});
  ASSERT_EQ(h.Open(LogCarrying(stream)), AnalysisOutcome::Completed);
  const RecordingToolkit& t = h.Toolkit;
  EXPECT_EQ(t.TextOf("Edit2"), "Type 0: 2");
  EXPECT_EQ(t.TextOf("Edit3"), "Type 1: 1");
  EXPECT_EQ(t.TextOf("Edit4"), "Type 2: 4");
  EXPECT_EQ(t.TextOf("Edit5"), "Type 3: 0");
  EXPECT_EQ(t.TextOf("Edit8"), "         Scrolling Station Info: 9");
  EXPECT_EQ(t.TextOf("Edit12"), "3");
  EXPECT_EQ(t.TextOf("Edit13"), "12");
  EXPECT_EQ(t.TextOf("Edit14"), "PELO");
  EXPECT_EQ(t.TextOf("Edit15"), "INFO-COGO");  // the longer of the two
  EXPECT_EQ(t.TextOf("Edit16"), "Base");
  EXPECT_TRUE(h.State.Store.StationInfoComplete);
}

TEST(StationSummary, WithoutObservablesStationZeroIsStillDecoded) {
  AnalysisHarness h;
  const Bytes stream = Concat(
      {Type1(0, 20), Type1(5, 20), Type2(0, 20, "ZERO", "Station zero"), InfoPages(0, 20, "x")});
  ASSERT_EQ(h.Open(LogCarrying(stream)), AnalysisOutcome::Completed);
  const DecodedStore& s = h.State.Store;
  EXPECT_EQ(s.ReferenceStationId, 0);
  EXPECT_EQ(s.Type1Count, 1);
  EXPECT_EQ(s.Type2Count, 1);
  EXPECT_EQ(s.CmrPlusCount, 8);
  EXPECT_EQ(s.Type2LongId, "Station zero");
  EXPECT_EQ(s.InfoShortId, "INFO");
}

TEST(StationSummary, AntennaNumberFallsBackToTheStationInformation) {
  {
    AnalysisHarness h;
    ASSERT_EQ(h.Open(LogCarrying(Concat({Gps(1), InfoPages(1, 33, "x")}))),
              AnalysisOutcome::Completed);
    EXPECT_EQ(h.Toolkit.TextOf("Edit13"), "33");
  }
  {
    // Neither type 1 nor station information: byte 5 of the zeroed block.
    AnalysisHarness h;
    ASSERT_EQ(h.Open(LogCarrying(Gps(1))), AnalysisOutcome::Completed);
    EXPECT_EQ(h.Toolkit.TextOf("Edit13"), "0");
  }
}

TEST(StationSummary, MoreThanThreeType2MessagesOrPagesFillTheIdentifierBoxes) {
  // 3 type 2 messages are too few; 10 CMR+ pages are enough.
  AnalysisHarness h;
  const Bytes tenPages = InfoPages(0, 12, "INFO LONG NAME");  // 53 + 14 bytes
  ASSERT_EQ(h.Open(LogCarrying(Concat(
                {Gps(0), Type1(0, 12), Repeat(Type2(0, 12, "T2", "T2 long"), 3), tenPages}))),
            AnalysisOutcome::Completed);
  EXPECT_EQ(h.State.Store.Type2Count, 3);
  EXPECT_EQ(h.State.Store.CmrPlusCount, 10);
  EXPECT_EQ(h.Toolkit.TextOf("Edit14"), "INFO");
  EXPECT_EQ(h.Toolkit.TextOf("Edit15"), "INFO-COGO");
  EXPECT_EQ(h.Toolkit.TextOf("Edit16"), "INFO LONG NAME");
}

DecodedStore StoreWithTexts(int type2Count, int cmrPlusCount) {
  DecodedStore store;
  store.Type2Count = type2Count;
  store.CmrPlusCount = cmrPlusCount;
  store.Type2ShortId = "T2      ";
  store.Type2CogoCode = "AB               ";
  store.Type2LongId = "Type two" + std::string(43, ' ');
  store.InfoShortId = "INFO";
  store.InfoCogoCode = "ABC";
  store.InfoLongId = "Info one";
  return store;
}

std::optional<StationIdentifiers> Shown(int type2Count, int cmrPlusCount) {
  DecodedStore store = StoreWithTexts(type2Count, cmrPlusCount);
  TrimType2Texts(store);
  return ChooseShownIdentifiers(store);
}

TEST(ShownIdentifiers, NeedMoreThanThreeMessagesOfASource) {
  EXPECT_EQ(Shown(3, 3), std::nullopt);  // the boxes keep what they show
  EXPECT_EQ(Shown(4, 3), (StationIdentifiers{"T2", "AB", "Type two"}));
  EXPECT_EQ(Shown(3, 4), (StationIdentifiers{"INFO", "ABC", "Info one"}));
  EXPECT_EQ(Shown(4, 4), (StationIdentifiers{"INFO", "ABC", "Type two"}));
}

TEST(StationSummary, SecondAnalysisStartsTextsAfreshAndKeepsWhatItDoesNotReplace) {
  AnalysisHarness h;
  ASSERT_EQ(h.Open(LogCarrying(Concat(
                       {Gps(0), Type1(0, 12), Repeat(Type2(0, 12, "FIRST", "ABCDEFGHIJ"), 4)})),
                   "first.zel"),
            AnalysisOutcome::Completed);
  const StationCoordinates type1 = h.State.Store.Type1Coordinates;
  EXPECT_DOUBLE_EQ(type1.X, 1'126'674.412);
  EXPECT_EQ(h.Toolkit.TextOf("Edit16"), "ABCDEFGHIJ");

  // No type 1, one description with a shorter long ID.
  ASSERT_EQ(h.Open(LogCarrying(Concat({Gps(0), Type2(0, 12, "SECOND", "XY")})), "second.zel"),
            AnalysisOutcome::Completed);
  const DecodedStore& s = h.State.Store;
  EXPECT_EQ(s.Type1Count, 0);
  EXPECT_EQ(s.Type1Coordinates, type1);
  EXPECT_EQ(s.Type2LongId, "XY");
  EXPECT_EQ(s.Type2ShortId, "SECOND");
  EXPECT_EQ(h.Toolkit.TextOf("Edit4"), "Type 2: 0");  // antenna 12 no longer matches
  EXPECT_EQ(h.Toolkit.TextOf("Edit14"), "FIRST");
  EXPECT_EQ(h.Toolkit.TextOf("Edit16"), "ABCDEFGHIJ");
}

}  // namespace
}  // namespace pelorin
