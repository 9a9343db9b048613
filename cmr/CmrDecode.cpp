#include "cmr/CmrDecode.h"

#include <algorithm>

namespace pelorin {
namespace {

std::uint8_t ChecksumOf(ByteSpan stream, std::uint64_t first, std::uint64_t count) {
  unsigned sum = 0;
  for (std::uint64_t k = 0; k < count; ++k) sum += stream[first + k];
  return static_cast<std::uint8_t>(sum);
}

// Header byte 0: version (bits 7-5) and station ID (bits 4-0).
int VersionOf(std::uint8_t b) {
  return b >> 5;
}
int StationIdOf(std::uint8_t b) {
  return b & 0x1F;
}
// Header byte 1: message type (bits 7-5) and satellite count (bits 4-0).
int MessageTypeOf(std::uint8_t b) {
  return b >> 5;
}
int SatelliteCountOf(std::uint8_t b) {
  return b & 0x1F;
}
// Header bytes 2, 3 and the top two bits of 4: epoch time in milliseconds.
std::int32_t EpochTimeOf(const std::uint8_t* h) {
  return h[2] * 1024 + h[3] * 4 + (h[4] >> 6);
}

// 34 bits then 14 bits, both two's complement, of one 6-byte coordinate group.
void DecodeCoordinateGroup(const std::uint8_t* b, double& coordinate, double& small) {
  const std::uint32_t high = static_cast<std::uint32_t>(b[0]) << 24 |
                             static_cast<std::uint32_t>(b[1]) << 16 |
                             static_cast<std::uint32_t>(b[2]) << 8 | b[3];
  std::int64_t value = static_cast<std::int64_t>(high) * 4 + (b[4] >> 6);
  if (b[0] & 0x80) value -= std::int64_t{1} << 34;
  int tail = (b[4] & 0x3F) * 256 + b[5];
  if (tail >= 8192) tail -= 16384;
  coordinate = static_cast<double>(value);
  small = tail;
}

}  // namespace

std::optional<std::uint8_t> CheckCmrFrame(ByteSpan stream, std::uint64_t pos) {
  if (!FitsIn(stream, pos, kFrameHeaderBytes)) return std::nullopt;
  if (stream[pos] != kStx || stream[pos + 1] != 0x00 || stream[pos + 2] != kCmrFrameType) {
    return std::nullopt;
  }
  const std::uint8_t length = stream[pos + 3];
  if (!FitsIn(stream, pos, length + 6u)) return std::nullopt;
  if (stream[pos + length + 5] != kEtx) return std::nullopt;
  if (ChecksumOf(stream, pos + 1, length + 3u) != stream[pos + length + 4]) return std::nullopt;
  return length;
}

std::optional<ObsHeader> DecodeObsHeader(ByteSpan stream, std::uint64_t messagePos) {
  if (!FitsIn(stream, messagePos, kMessageHeaderBytes)) return std::nullopt;
  const std::uint8_t* h = stream.data() + messagePos;
  ObsHeader header;
  header.Version = VersionOf(h[0]);
  header.StationId = StationIdOf(h[0]);
  header.MessageType = MessageTypeOf(h[1]);
  header.SatelliteCount = SatelliteCountOf(h[1]);
  header.EpochTimeMs = EpochTimeOf(h);
  header.Gps = header.MessageType == 0;
  if (header.MessageType != 0 && header.MessageType != 3) return std::nullopt;
  if (header.SatelliteCount > kMaxSatellitesPerMessage) return std::nullopt;
  return header;
}

std::optional<RefHeader> DecodeRefHeader(ByteSpan stream, std::uint64_t messagePos,
                                         int expectedType, DecodedStore& store) {
  if (!FitsIn(stream, messagePos, kMessageHeaderBytes)) return std::nullopt;
  const std::uint8_t* h = stream.data() + messagePos;
  RefHeader header;
  header.Version = VersionOf(h[0]);
  header.StationId = StationIdOf(h[0]);
  header.MessageType = MessageTypeOf(h[1]);
  header.EpochTimeMs = EpochTimeOf(h);
  header.AntennaTypeNumber = h[5];
  if (header.StationId != store.ReferenceStationId) return std::nullopt;
  if (header.MessageType != expectedType) return std::nullopt;
  ++store.AntennaTypeTally[header.AntennaTypeNumber];
  return header;
}

std::optional<SvBlock> DecodeSvBlock(ByteSpan stream, std::uint64_t blockPos) {
  if (!FitsIn(stream, blockPos, kSvBlockBytes)) return std::nullopt;
  const std::uint8_t* b = stream.data() + blockPos;
  SvBlock block;
  block.SatelliteNumber = b[0] >> 3;
  block.CodeFlag = (b[0] & 0x04) != 0;
  block.L1PhaseValid = (b[0] & 0x02) != 0;
  block.L2Follows = (b[0] & 0x01) != 0;
  block.L1SignalToNoise = b[6] & 0x0F;
  return block;
}

std::optional<L2Block> DecodeL2Block(ByteSpan stream, std::uint64_t blockPos) {
  if (!FitsIn(stream, blockPos, kL2BlockBytes)) return std::nullopt;
  const std::uint8_t* b = stream.data() + blockPos;
  return L2Block{(b[0] & 0x20) != 0, (b[0] & 0x10) != 0, b[5] & 0x0F};
}

std::optional<StationCoordinates> DecodeRefCoordinates(ByteSpan stream, std::uint64_t recordPos) {
  if (!FitsIn(stream, recordPos, kCoordinateRecordBytes)) return std::nullopt;
  const std::uint8_t* r = stream.data() + recordPos;
  StationCoordinates c;
  DecodeCoordinateGroup(r, c.X, c.AntennaHeight);
  DecodeCoordinateGroup(r + 6, c.Y, c.EastOffset);
  DecodeCoordinateGroup(r + 12, c.Z, c.NorthOffset);
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
      text[position - 1] = byte >= 0x80 ? '?' : static_cast<char>(byte);
    }
  };
  for (std::uint64_t k = 1; k <= 8; ++k) put(shortId, k, stream[bodyPos + k]);
  for (std::uint64_t k = 9; k <= 24; ++k) put(cogoCode, k - 8, stream[bodyPos + k]);
  for (std::uint64_t k = 25; k < static_cast<std::uint64_t>(*r); ++k) {
    put(longId, k - 24, stream[bodyPos + k]);
  }
}

std::optional<CmrPlusPage> CheckCmrPlusPage(ByteSpan stream, std::uint64_t pos,
                                            std::int32_t referenceStationId) {
  if (!FitsIn(stream, pos, kCmrPlusDataOffset)) return std::nullopt;
  const std::uint8_t* p = stream.data() + pos;
  if (p[0] != kStx) return std::nullopt;
  if (p[1] != 0x00 && p[1] != kCmrPlusAltStatus) return std::nullopt;
  if (p[2] != kCmrPlusFrameType) return std::nullopt;
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
  if (ChecksumOf(stream, pos + 1, 13) != p[14]) return std::nullopt;
  return page;
}

}  // namespace pelorin
