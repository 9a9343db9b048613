#include <gtest/gtest.h>

#include <tuple>

#include "cmr/CmrDecode.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::CmrFrame;
using testdata::CmrPlusPage;
using testdata::Concat;
using testdata::CoordinatesMm;
using testdata::FrameOptions;
using testdata::MessageHeader;
using testdata::ObsMessage;
using testdata::ToBytes;

Bytes Prefix(const Bytes& bytes, std::size_t count) {
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

const Bytes kObsFrame =
    CmrFrame(ObsMessage({4, 0, 0, 12'345, {{5, true, true}, {9, true, false}}, {}}));

// ---- CMR frames ------------------------------------------------------------

TEST(CheckCmrFrame, RejectsEachWrongFramingByte) {
  const Bytes message = ObsMessage({0, 0, 0, 0, {{3}}, {}});
  const FrameOptions wrong[] = {
      {0x03, 0x00, 0x93, 0x03, false},  // STX
      {0x02, 0x20, 0x93, 0x03, false},  // status 0x20 belongs to CMR+ pages only
      {0x02, 0x01, 0x93, 0x03, false},  // status
      {0x02, 0x00, 0x94, 0x03, false},  // a CMR+ frame type
      {0x02, 0x00, 0x93, 0x02, false},  // ETX
      {0x02, 0x00, 0x93, 0x03, true},   // checksum
  };
  for (const FrameOptions& options : wrong) {
    EXPECT_FALSE(CheckCmrFrame(CmrFrame(message, options), 0))
        << int(options.Stx) << " " << int(options.Status) << " " << int(options.Type);
  }
}

TEST(CheckCmrFrame, TruncatedFramesAreInvalidAndNotReadPastTheirEnd) {
  ASSERT_EQ(CheckCmrFrame(kObsFrame, 0), kObsFrame.size() - 6);
  for (std::size_t size = 0; size < kObsFrame.size(); ++size) {
    EXPECT_FALSE(CheckCmrFrame(Prefix(kObsFrame, size), 0)) << size;
  }
  // Every start position of a whole stream, the last ones included.
  for (std::size_t pos = 0; pos <= kObsFrame.size() + 2; ++pos) {
    EXPECT_EQ(CheckCmrFrame(kObsFrame, pos).has_value(), pos == 0) << pos;
  }
}

// A frame is valid only where its framing bytes and checksum all hold for the
// length byte it has; checked here independently of the code under test.
bool FramingHolds(const Bytes& f) {
  if (f.size() < 6 || f[0] != 0x02 || f[1] != 0x00 || f[2] != 0x93) return false;
  const std::size_t l = f[3];
  if (l + 6 > f.size() || f[l + 5] != 0x03) return false;
  unsigned sum = 0;
  for (std::size_t k = 1; k <= l + 3; ++k) sum += f[k];
  return static_cast<std::uint8_t>(sum) == f[l + 4];
}

TEST(CheckCmrFrame, AnySingleByteChangeIsCaughtOrLeavesAConsistentFrame) {
  for (std::size_t offset = 0; offset < kObsFrame.size(); ++offset) {
    for (int mask = 1; mask < 256; ++mask) {
      Bytes changed = kObsFrame;
      changed[offset] ^= static_cast<std::uint8_t>(mask);
      const auto length = CheckCmrFrame(changed, 0);
      ASSERT_EQ(length.has_value(), FramingHolds(changed)) << offset << " ^ " << mask;
      if (length) {
        // Only a new length byte can still frame: it then names a shorter frame.
        EXPECT_EQ(offset, 3u);
        EXPECT_EQ(*length, changed[3]);
      }
    }
  }
}

// ---- Message headers and blocks ----------------------------------------------

TEST(DecodeObsHeader, DecodesAllFields) {
  const Bytes message = MessageHeader(31, 3, 20, 239'999, 0, 5);
  const auto header = DecodeObsHeader(message, 0);
  ASSERT_TRUE(header);
  EXPECT_EQ(std::tuple(header->Gps, header->Version, header->StationId, header->MessageType,
                       header->SatelliteCount, header->EpochTimeMs),
            std::tuple(false, 5, 31, 3, 20, 239'999));

  const auto gps = DecodeObsHeader(MessageHeader(0, 0, 1, 262'143), 0);
  ASSERT_TRUE(gps);
  EXPECT_TRUE(gps->Gps);
  EXPECT_EQ(gps->EpochTimeMs, 262'143);  // all 18 bits
}

TEST(DecodeObsHeader, OnlyObservationTypesWithAtMostTwentySatellites) {
  EXPECT_TRUE(DecodeObsHeader(MessageHeader(1, 0, 20, 0), 0));
  EXPECT_FALSE(DecodeObsHeader(MessageHeader(1, 0, 21, 0), 0));
  EXPECT_FALSE(DecodeObsHeader(MessageHeader(1, 3, 31, 0), 0));
  for (int type : {1, 2, 4, 5, 6, 7})
    EXPECT_FALSE(DecodeObsHeader(MessageHeader(1, type, 1, 0), 0)) << type;
  EXPECT_FALSE(DecodeObsHeader(Prefix(MessageHeader(1, 0, 1, 0), 5), 0));
}

// ---- Coordinates ---------------------------------------------------------------

StationCoordinates Decode(const Bytes& record) {
  return DecodeRefCoordinates(record, 0).value();
}

TEST(DecodeRefCoordinates, SignBitsOfBothFields) {
  const Bytes rest(12, 0x00);
  const StationCoordinates a = Decode(Concat({{0x80, 0x00, 0x00, 0x00, 0x00, 0x00}, rest}));
  EXPECT_EQ(a.X, -8'589'934'592.0);
  EXPECT_EQ(a.AntennaHeight, 0.0);
  const StationCoordinates b = Decode(Concat({{0x00, 0x00, 0x00, 0x01, 0xE0, 0x00}, rest}));
  EXPECT_EQ(b.X, 7.0);
  EXPECT_EQ(b.AntennaHeight, -8192.0);
}

TEST(DecodeRefCoordinates, BuilderRecordsReadBack) {
  const CoordinatesMm cases[] = {
      {1'126'674'412, -4'357'871'711, 4'503'860'481, 1500, 25, -40},
      {-1, -8'589'934'592, 8'589'934'591, -8192, 8191, -1},
      {0, 1, -2, 0, -8191, 8190},
  };
  for (const CoordinatesMm& mm : cases) {
    const StationCoordinates c = Decode(testdata::CoordinateRecord(mm));
    EXPECT_EQ(c, (StationCoordinates{double(mm.X), double(mm.Y), double(mm.Z),
                                     double(mm.AntennaHeight), double(mm.East), double(mm.North)}))
        << mm.X;
  }
  EXPECT_FALSE(DecodeRefCoordinates(Bytes(17, 0), 0));
}

// ---- Station description ---------------------------------------------------------

struct Texts {
  std::string ShortId = std::string(8, ' ');
  std::string CogoCode = std::string(17, ' ');
  std::string LongId = std::string(51, ' ');
};

// The body after the 6-byte header of a type 2 message.
Bytes Type2Body(std::string_view shortId, std::string_view cogo, std::string_view longId,
                std::optional<int> r = std::nullopt) {
  const Bytes message = testdata::Type2Message(0, 0, shortId, cogo, longId, r);
  return Bytes(message.begin() + 6, message.end());
}

void DecodeInto(const Bytes& body, Texts& texts) {
  DecodeStationText(body, 0, texts.ShortId, texts.CogoCode, texts.LongId);
}

TEST(DecodeStationText, RecordLengthLimitsTheLongId) {
  Texts texts;
  texts.LongId = "previous long id" + std::string(35, ' ');
  DecodeInto(Type2Body("ID", "COGO-CODE", "ignored beyond R", 25), texts);
  EXPECT_EQ(texts.ShortId, "ID      ");
  EXPECT_EQ(texts.CogoCode, "COGO-CODE        ");
  EXPECT_EQ(texts.LongId, "previous long id" + std::string(35, ' '));

  DecodeInto(Type2Body("NEW", "NEW", std::string(51, 'x'), 76), texts);
  EXPECT_EQ(texts.ShortId, "ID      ");  // R above 75 writes nothing

  DecodeInto(Type2Body("NEW", "NEW", std::string(50, 'y'), 75), texts);
  EXPECT_EQ(texts.ShortId, "NEW     ");
  EXPECT_EQ(texts.LongId, std::string(50, 'y') + " ");
}

TEST(DecodeStationText, ShorterLongIdLeavesTheTailAndHighBytesStayAsTheyAre) {
  Texts texts;
  DecodeInto(Type2Body("ABCDEFGH", "", "ABCDEFGHIJ"), texts);
  DecodeInto(Type2Body("\x80"
                       "B\xff",
                       "", "XY"),
             texts);
  // Read as text only when shown, by the one rule for the log's texts.
  EXPECT_EQ(texts.ShortId,
            "\x80"
            "B\xff     ");
  EXPECT_EQ(texts.LongId.substr(0, 10), "XYCDEFGHIJ");
}

TEST(DecodeStationText, BodyCutOffByTheStreamWritesNothing) {
  const Bytes body = Type2Body("SHORT", "COGO", "LONG");
  for (std::size_t size = 0; size < body.size(); ++size) {
    Texts texts;
    DecodeInto(Prefix(body, size), texts);
    EXPECT_EQ(texts.ShortId, std::string(8, ' ')) << size;
  }
}

// ---- CMR+ pages ---------------------------------------------------------------

const Bytes kData = ToBytes("1234567");

TEST(CheckCmrPlusPage, DecodesTheHeaderOfAPageOfTheReferenceStation) {
  const auto page = CheckCmrPlusPage(CmrPlusPage(6, 1, 4, kData), 0, 6);
  ASSERT_TRUE(page);
  EXPECT_EQ(std::tuple(page->Status, page->Type, page->Length, page->StationId, page->PageNumber,
                       page->LastPageIndex),
            std::tuple(0x00, 0x94, 10, 6, 1, 4));

  // Status 0x20 is as good as 0x00; any other framing byte is not.
  EXPECT_TRUE(CheckCmrPlusPage(CmrPlusPage(6, 1, 4, kData, {0x02, 0x20, 0x94, 0x03, false}), 0, 6));
  for (const FrameOptions& wrong :
       {FrameOptions{0x02, 0x10, 0x94, 0x03, false}, FrameOptions{0x02, 0x00, 0x93, 0x03, false},
        FrameOptions{0x03, 0x00, 0x94, 0x03, false}}) {
    EXPECT_FALSE(CheckCmrPlusPage(CmrPlusPage(6, 1, 4, kData, wrong), 0, 6));
  }
  EXPECT_FALSE(CheckCmrPlusPage(CmrPlusPage(6, 1, 4, kData), 0, 5));
  EXPECT_FALSE(CheckCmrPlusPage(CmrPlusPage(6, 5, 4, kData), 0, 6));
}

TEST(CheckCmrPlusPage, OnlyTheLastPageGoesWithoutChecksumAndEtx) {
  const FrameOptions badChecksum{0x02, 0x00, 0x94, 0x03, true};
  const FrameOptions badEtx{0x02, 0x00, 0x94, 0x07, false};
  EXPECT_TRUE(CheckCmrPlusPage(CmrPlusPage(0, 3, 3, kData, badChecksum), 0, 0));
  EXPECT_TRUE(CheckCmrPlusPage(CmrPlusPage(0, 3, 3, kData, badEtx), 0, 0));
  EXPECT_FALSE(CheckCmrPlusPage(CmrPlusPage(0, 2, 3, kData, badChecksum), 0, 0));
  EXPECT_FALSE(CheckCmrPlusPage(CmrPlusPage(0, 2, 3, kData, badEtx), 0, 0));
}

TEST(CheckCmrPlusPage, TruncatedPagesAreInvalidAndNotReadPastTheirEnd) {
  const Bytes earlier = CmrPlusPage(2, 0, 3, kData);
  for (std::size_t size = 0; size < earlier.size(); ++size) {
    EXPECT_FALSE(CheckCmrPlusPage(Prefix(earlier, size), 0, 2)) << size;
  }
  // The last page needs its header and its data bytes, nothing more.
  const Bytes last = CmrPlusPage(2, 3, 3, ToBytes("abcd"));
  for (std::size_t size = 0; size < 7 + 4; ++size) {
    EXPECT_FALSE(CheckCmrPlusPage(Prefix(last, size), 0, 2)) << size;
  }
  EXPECT_TRUE(CheckCmrPlusPage(Prefix(last, 7 + 4), 0, 2));
}

}  // namespace
}  // namespace pelorin
