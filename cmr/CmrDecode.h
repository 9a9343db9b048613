#pragma once
// CMR frames (type 0x93) and CMR+ pages (type 0x94): checks and decoders.
// Everything is big-endian with bit fields packed from the most significant
// bit. Every operation takes the stream and a position and treats a frame,
// page or block that would reach past the stream's end as invalid.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "cmr/DecodedStore.h"
#include "log/Bytes.h"

namespace pelorin {

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kCmrFrameType = 0x93;
inline constexpr std::uint8_t kCmrPlusFrameType = 0x94;
inline constexpr std::uint8_t kCmrPlusAltStatus = 0x20;

inline constexpr std::uint64_t kFrameHeaderBytes = 4;  // STX, status, type, length
inline constexpr std::uint64_t kMessageHeaderBytes = 6;
inline constexpr std::uint64_t kSvBlockBytes = 8;
inline constexpr std::uint64_t kL2BlockBytes = 7;
inline constexpr std::uint64_t kCoordinateRecordBytes = 18;
inline constexpr int kMaxSatellitesPerMessage = 20;
inline constexpr int kMaxStationTextLength = 75;

inline constexpr std::uint64_t kCmrPlusPageBytes = 16;
inline constexpr std::uint64_t kCmrPlusDataOffset = 7;
inline constexpr std::uint64_t kCmrPlusDataBytes = 7;

// The length byte L of a valid CMR frame at `pos`, or nothing.
std::optional<std::uint8_t> CheckCmrFrame(ByteSpan stream, std::uint64_t pos);

// The 6-byte header every message opens with, whatever its type.
struct MessageHeader {
  int Version = 0;
  int StationId = 0;
  int MessageType = 0;
  int SatelliteCount = 0;  // types 0 and 3
  std::int32_t EpochTimeMs = 0;
  std::uint8_t AntennaTypeNumber = 0;  // types 1 and 2
};
std::optional<MessageHeader> DecodeMessageHeader(ByteSpan stream, std::uint64_t messagePos);

struct ObsHeader {
  bool Gps = false;  // type 0
  int Version = 0;
  int StationId = 0;
  int MessageType = 0;
  int SatelliteCount = 0;
  std::int32_t EpochTimeMs = 0;
};
// Valid only for message type 0 or 3 with at most 20 satellites.
std::optional<ObsHeader> DecodeObsHeader(ByteSpan stream, std::uint64_t messagePos);

struct RefHeader {
  int Version = 0;
  int StationId = 0;
  int MessageType = 0;
  std::int32_t EpochTimeMs = 0;
  std::uint8_t AntennaTypeNumber = 0;
};
// Valid only for the reference station and the expected type (1 or 2); on
// success counts the antenna type number into AntennaTypeTally.
std::optional<RefHeader> DecodeRefHeader(ByteSpan stream, std::uint64_t messagePos,
                                         int expectedType, DecodedStore& store);

struct SvBlock {
  int SatelliteNumber = 0;  // GPS PRN (0 stands for 32) or GLONASS slot
  bool CodeFlag = false;
  bool L1PhaseValid = false;
  bool L2Follows = false;
  int L1SignalToNoise = 0;
};
std::optional<SvBlock> DecodeSvBlock(ByteSpan stream, std::uint64_t blockPos);

struct L2Block {
  bool Flag5 = false;
  bool Flag4 = false;
  int L2SignalToNoise = 0;
};
std::optional<L2Block> DecodeL2Block(ByteSpan stream, std::uint64_t blockPos);

// Six values in millimetres: X, Y, Z, antenna height, east and north offset.
std::optional<StationCoordinates> DecodeRefCoordinates(ByteSpan stream, std::uint64_t recordPos);

// Writes the type 2 identifiers byte by byte, as they are (they are read as
// text when shown). Nothing is written when R is above 75 or the body
// reaches past the end.
void DecodeStationText(ByteSpan stream, std::uint64_t bodyPos, std::string& shortId,
                       std::string& cogoCode, std::string& longId);

struct CmrPlusPage {
  int Status = 0;
  int Type = 0;
  int Length = 0;
  int StationId = 0;
  int PageNumber = 0;
  int LastPageIndex = 0;
};
// STX, status 0x00 or 0x20 and type 0x94 at `pos`: a page may start there.
bool OpensLikeCmrPlusPage(ByteSpan stream, std::uint64_t pos);
// A page of the reference station's station information, or nothing.
std::optional<CmrPlusPage> CheckCmrPlusPage(ByteSpan stream, std::uint64_t pos,
                                            std::int32_t referenceStationId);

}  // namespace pelorin
