#include "cmr/CmrDecode.h"

#include <algorithm>

namespace pelorin {
namespace {

std::uint8_t ChecksumOf(ByteSpan bytes) {
  unsigned sum = 0;
  for (const std::uint8_t b : bytes) sum += b;
  return static_cast<std::uint8_t>(sum);
}

// Message header, 6 bytes:
//   byte 0: version (bits 7-5), station ID (bits 4-0)
//   byte 1: message type (bits 7-5), satellite count (bits 4-0)
//   bytes 2, 3 and bits 7-6 of byte 4: epoch time in milliseconds (18 bits)
//   byte 5: antenna type number (types 1 and 2)
int VersionOf(ByteSpan h) {
  return h[0] >> 5;
}
int StationIdOf(ByteSpan h) {
  return h[0] & 0x1F;
}
int MessageTypeOf(ByteSpan h) {
  return h[1] >> 5;
}
int SatelliteCountOf(ByteSpan h) {
  return h[1] & 0x1F;
}
std::int32_t EpochTimeOf(ByteSpan h) {
  return h[2] * 1024 + h[3] * 4 + (h[4] >> 6);
}
std::uint8_t AntennaTypeOf(ByteSpan h) {
  return h[5];
}

// Satellite block, byte 0: satellite number (bits 7-3), code flag (bit 2),
// L1 phase valid (bit 1), L2 block follows (bit 0); byte 6 bits 3-0: L1 SNR.
int SvNumberOf(ByteSpan b) {
  return b[0] >> 3;
}
bool HasCodeFlag(ByteSpan b) {
  return (b[0] & 0x04) != 0;
}
bool HasL1Phase(ByteSpan b) {
  return (b[0] & 0x02) != 0;
}
bool HasL2(ByteSpan b) {
  return (b[0] & 0x01) != 0;
}
int L1SignalToNoiseOf(ByteSpan b) {
  return b[6] & 0x0F;
}

// 34 bits then 14 bits, both two's complement, of one 6-byte coordinate group.
void DecodeCoordinateGroup(ByteSpan g, double& coordinate, double& small) {
  const std::uint32_t high = static_cast<std::uint32_t>(g[0]) << 24 |
                             static_cast<std::uint32_t>(g[1]) << 16 |
                             static_cast<std::uint32_t>(g[2]) << 8 | g[3];
  std::int64_t value = static_cast<std::int64_t>(high) * 4 + (g[4] >> 6);
  if (g[0] & 0x80) value -= std::int64_t{1} << 34;
  int tail = (g[4] & 0x3F) * 256 + g[5];
  if (tail >= 8192) tail -= 16384;
  coordinate = static_cast<double>(value);
  small = tail;
}

constexpr std::uint64_t kCoordinateGroupBytes = 6;

}  // namespace

std::optional<std::uint8_t> CheckCmrFrame(ByteSpan stream, std::uint64_t pos) {
  if (!FitsIn(stream, pos, kFrameHeaderBytes)) return std::nullopt;
  if (stream[pos] != kStx || stream[pos + 1] != 0x00 || stream[pos + 2] != kCmrFrameType) {
    return std::nullopt;
  }
  const std::uint8_t length = stream[pos + 3];
  if (!FitsIn(stream, pos, length + 6u)) return std::nullopt;
  if (stream[pos + length + 5] != kEtx) return std::nullopt;
  if (ChecksumOf(stream.subspan(pos + 1, length + 3u)) != stream[pos + length + 4]) {
    return std::nullopt;
  }
  return length;
}

std::optional<MessageHeader> DecodeMessageHeader(ByteSpan stream, std::uint64_t messagePos) {
  if (!FitsIn(stream, messagePos, kMessageHeaderBytes)) return std::nullopt;
  const ByteSpan h = stream.subspan(messagePos, kMessageHeaderBytes);
  return MessageHeader{VersionOf(h),        StationIdOf(h), MessageTypeOf(h),
                       SatelliteCountOf(h), EpochTimeOf(h), AntennaTypeOf(h)};
}

std::optional<ObsHeader> DecodeObsHeader(ByteSpan stream, std::uint64_t messagePos) {
  const auto h = DecodeMessageHeader(stream, messagePos);
  if (!h) return std::nullopt;
  if (h->MessageType != 0 && h->MessageType != 3) return std::nullopt;
  if (h->SatelliteCount > kMaxSatellitesPerMessage) return std::nullopt;
  return ObsHeader{h->MessageType == 0, h->Version,        h->StationId,
                   h->MessageType,      h->SatelliteCount, h->EpochTimeMs};
}

std::optional<RefHeader> DecodeRefHeader(ByteSpan stream, std::uint64_t messagePos,
                                         int expectedType, DecodedStore& store) {
  const auto h = DecodeMessageHeader(stream, messagePos);
  if (!h) return std::nullopt;
  if (h->StationId != store.ReferenceStationId) return std::nullopt;
  if (h->MessageType != expectedType) return std::nullopt;
  ++store.AntennaTypeTally[h->AntennaTypeNumber];
  return RefHeader{h->Version, h->StationId, h->MessageType, h->EpochTimeMs, h->AntennaTypeNumber};
}

std::optional<SvBlock> DecodeSvBlock(ByteSpan stream, std::uint64_t blockPos) {
  if (!FitsIn(stream, blockPos, kSvBlockBytes)) return std::nullopt;
  const ByteSpan b = stream.subspan(blockPos, kSvBlockBytes);
  return SvBlock{SvNumberOf(b), HasCodeFlag(b), HasL1Phase(b), HasL2(b), L1SignalToNoiseOf(b)};
}

std::optional<L2Block> DecodeL2Block(ByteSpan stream, std::uint64_t blockPos) {
  if (!FitsIn(stream, blockPos, kL2BlockBytes)) return std::nullopt;
  const ByteSpan b = stream.subspan(blockPos, kL2BlockBytes);
  return L2Block{(b[0] & 0x20) != 0, (b[0] & 0x10) != 0, b[5] & 0x0F};
}

std::optional<StationCoordinates> DecodeRefCoordinates(ByteSpan stream, std::uint64_t recordPos) {
  if (!FitsIn(stream, recordPos, kCoordinateRecordBytes)) return std::nullopt;
  const ByteSpan r = stream.subspan(recordPos, kCoordinateRecordBytes);
  StationCoordinates c;
  DecodeCoordinateGroup(r.subspan(0, kCoordinateGroupBytes), c.X, c.AntennaHeight);
  DecodeCoordinateGroup(r.subspan(6, kCoordinateGroupBytes), c.Y, c.EastOffset);
  DecodeCoordinateGroup(r.subspan(12, kCoordinateGroupBytes), c.Z, c.NorthOffset);
  return c;
}

void DecodeStationText(ByteSpan stream, std::uint64_t bodyPos, std::string& shortId,
                       std::string& cogoCode, std::string& longId) {
  const auto r = FitsIn(stream, bodyPos, 1) ? std::optional<int>(stream[bodyPos]) : std::nullopt;
  if (!r || *r > kMaxStationTextLength) return;
  const std::uint64_t bodyLength = std::max<std::uint64_t>(static_cast<std::uint64_t>(*r), 25);
  if (!FitsIn(stream, bodyPos, bodyLength)) return;
  auto put = [&](std::string& text, std::size_t position, std::uint8_t byte) {
    if (position >= 1 && position <= text.size()) {
      text[position - 1] = static_cast<char>(byte);
    }
  };
  for (std::uint64_t k = 1; k <= 8; ++k) put(shortId, k, stream[bodyPos + k]);
  for (std::uint64_t k = 9; k <= 24; ++k) put(cogoCode, k - 8, stream[bodyPos + k]);
  for (std::uint64_t k = 25; k < static_cast<std::uint64_t>(*r); ++k) {
    put(longId, k - 24, stream[bodyPos + k]);
  }
}

bool OpensLikeCmrPlusPage(ByteSpan stream, std::uint64_t pos) {
  if (!FitsIn(stream, pos, 3)) return false;
  return stream[pos] == kStx && (stream[pos + 1] == 0x00 || stream[pos + 1] == kCmrPlusAltStatus) &&
         stream[pos + 2] == kCmrPlusFrameType;
}

std::optional<CmrPlusPage> CheckCmrPlusPage(ByteSpan stream, std::uint64_t pos,
                                            std::int32_t referenceStationId) {
  if (!FitsIn(stream, pos, kCmrPlusDataOffset)) return std::nullopt;
  const ByteSpan p = stream.subspan(pos);
  if (!OpensLikeCmrPlusPage(stream, pos)) return std::nullopt;
  if (p[4] != referenceStationId) return std::nullopt;
  const CmrPlusPage page{p[1], p[2], p[3], p[4], p[5], p[6]};
  if (page.PageNumber > page.LastPageIndex) return std::nullopt;
  if (page.PageNumber == page.LastPageIndex) {
    // The last page is taken without its checksum; its data must still be there.
    const int dataBytes = std::max(page.Length - 3, 0);
    if (!FitsIn(stream, pos + kCmrPlusDataOffset, static_cast<std::uint64_t>(dataBytes))) {
      return std::nullopt;
    }
    return page;
  }
  if (!FitsIn(stream, pos, kCmrPlusPageBytes)) return std::nullopt;
  if (p[15] != kEtx) return std::nullopt;
  if (ChecksumOf(p.subspan(1, 13)) != p[14]) return std::nullopt;
  return page;
}

}  // namespace pelorin
