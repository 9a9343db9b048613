// libFuzzer target over CMR framing and decoding: the input is a CMR stream,
// and every check and decoder is tried at every position of it. The frame
// index must hold exactly the positions the checks accept.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmr/CmrDecode.h"
#include "cmr/CmrStream.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace pelorin;
using fuzz::Require;

constexpr std::int64_t kCoordinateLimitMm = std::int64_t{1} << 33;  // 34 bits, signed
constexpr double kSmallLimitMm = 8192;                              // 14 bits, signed

// The type 2 identifiers as the store holds them before any description.
struct StationTexts {
  std::string ShortId = std::string(kShortIdWidth, ' ');
  std::string CogoCode = std::string(kCogoCodeWidth, ' ');
  std::string LongId = std::string(kLongIdWidth, ' ');
};

bool WithinBits(double value, double limit) {
  return value >= -limit && value < limit;
}

void CheckFrameAt(ByteSpan stream, std::uint64_t pos) {
  const auto length = CheckCmrFrame(stream, pos);
  if (!length) return;
  Require(FitsIn(stream, pos, *length + 6u), "a frame lies inside the stream");
  Require(stream[pos + *length + 5] == kEtx, "a frame ends with ETX");
}

void CheckHeadersAt(ByteSpan stream, std::uint64_t pos, DecodedStore& store) {
  if (const auto h = DecodeMessageHeader(stream, pos)) {
    Require(h->EpochTimeMs >= 0 && h->EpochTimeMs < (1 << 18), "an epoch time of 18 bits");
    Require(h->StationId >= 0 && h->StationId < 32, "a station ID of 5 bits");
    // The reference station is the one of this header, so that the
    // reference-header decoders get past their station check.
    store.ReferenceStationId = h->StationId;
  }
  if (const auto obs = DecodeObsHeader(stream, pos)) {
    Require(obs->SatelliteCount <= kMaxSatellitesPerMessage, "at most 20 satellites");
    Require(obs->Gps == (obs->MessageType == 0), "type 0 is GPS");
  }
  for (const int type : {1, 2}) {
    if (const auto ref = DecodeRefHeader(stream, pos, type, store)) {
      Require(ref->MessageType == type, "a reference header of the type asked for");
    }
  }
}

void CheckBlocksAt(ByteSpan stream, std::uint64_t pos, StationTexts& texts) {
  if (const auto sv = DecodeSvBlock(stream, pos)) {
    Require(sv->SatelliteNumber < 32 && sv->L1SignalToNoise < 16, "satellite block fields");
  }
  if (const auto l2 = DecodeL2Block(stream, pos)) {
    Require(l2->L2SignalToNoise < 16, "L2 block fields");
  }
  if (const auto c = DecodeRefCoordinates(stream, pos)) {
    for (const double v : {c->X, c->Y, c->Z}) {
      Require(WithinBits(v, static_cast<double>(kCoordinateLimitMm)), "34-bit coordinates");
    }
    for (const double v : {c->AntennaHeight, c->EastOffset, c->NorthOffset}) {
      Require(WithinBits(v, kSmallLimitMm), "14-bit offsets");
    }
  }
  DecodeStationText(stream, pos, texts.ShortId, texts.CogoCode, texts.LongId);
  Require(texts.ShortId.size() == kShortIdWidth && texts.CogoCode.size() == kCogoCodeWidth &&
              texts.LongId.size() == kLongIdWidth,
          "station texts keep their widths");
}

void CheckPagesAt(ByteSpan stream, std::uint64_t pos, std::int32_t someStation) {
  const bool opens = OpensLikeCmrPlusPage(stream, pos);
  const std::int32_t ownStation = FitsIn(stream, pos, 5) ? stream[pos + 4] : someStation;
  for (const std::int32_t station : {someStation, ownStation}) {
    const auto page = CheckCmrPlusPage(stream, pos, station);
    if (!page) continue;
    Require(opens, "a page opens like one");
    Require(page->StationId == station && page->PageNumber <= page->LastPageIndex,
            "a page of the station, numbered up to its last");
  }
}

// The positions the index gives, walked from the start, against the checks.
void CheckIndex(const CmrStream& index, ByteSpan stream) {
  std::vector<std::uint64_t> frames;
  std::vector<std::uint64_t> openings;
  for (auto pos = index.NextCmrFrame(0); pos; pos = index.NextCmrFrame(*pos + 1)) {
    frames.push_back(*pos);
  }
  for (auto pos = index.NextCmrPlusOpening(0); pos; pos = index.NextCmrPlusOpening(*pos + 1)) {
    openings.push_back(*pos);
  }
  std::size_t frame = 0;
  std::size_t opening = 0;
  for (std::uint64_t pos = 0; pos < stream.size(); ++pos) {
    if (CheckCmrFrame(stream, pos)) {
      Require(frame < frames.size() && frames[frame++] == pos, "the index holds every frame");
    }
    if (OpensLikeCmrPlusPage(stream, pos)) {
      Require(opening < openings.size() && openings[opening++] == pos,
              "the index holds every page opening");
    }
  }
  Require(frame == frames.size() && opening == openings.size(), "the index holds nothing else");
  Require(!index.NextCmrFrame(stream.size()) && !index.NextCmrPlusOpening(stream.size() + 64),
          "nothing past the end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan stream(data, size);
  const std::int32_t someStation = size > 0 ? stream[0] & 0x1F : 0;
  DecodedStore store;
  StationTexts texts;
  for (std::uint64_t pos = 0; pos <= size; ++pos) {
    CheckFrameAt(stream, pos);
    CheckHeadersAt(stream, pos, store);
    CheckBlocksAt(stream, pos, texts);
    CheckPagesAt(stream, pos, someStation);
  }
  CheckIndex(CmrStream(stream), stream);
  return 0;
}
