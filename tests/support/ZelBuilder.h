#pragma once
// Builds ZEL logs, echo records, CMR frames and CMR+ pages in code, broken
// ones included, so that tests make their inputs instead of keeping files.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelorin::testdata {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::string_view text);
// Upper-case hexadecimal length digits of a body length, "00A".
std::string LengthDigits(std::size_t bodyLength);

inline constexpr std::string_view kHeadText = "/par={rover={{off,on,";

// System codes of satellite list entries.
inline constexpr std::uint8_t kGpsCode = 1;
inline constexpr std::uint8_t kGlonassCode = 2;
inline constexpr std::uint8_t kSbasCode = 3;
inline constexpr std::uint8_t kGalileoCode = 4;
inline constexpr std::uint8_t kQzssCode = 5;
inline constexpr std::uint8_t kBeiDouCode = 6;
inline constexpr std::uint8_t kNavIcCode = 7;

// One entry of a satellite list record: a system code and the PRN or, for
// GLONASS, the frequency channel (written as a signed byte: -7 is 0xF9).
struct ListEntry {
  std::uint8_t System = 0;
  int Number = 0;
};

// The rover's cartesian position and velocity record, as a receiver writes
// it once an epoch.
struct PositionRecord {
  double X = 0;  // metres, ECEF
  double Y = 0;
  double Z = 0;
  float Sigma = 0.01f;
  float VX = 0;
  float VY = 0;
  float VZ = 0;
  float VSigma = 0.02f;
  std::uint8_t Solution = 4;  // RTK fixed
};
// Its body, 46 bytes with the checksum.
Bytes PositionBody(const PositionRecord& p);

// A ZEL log in the making.
class ZelLog {
public:
  // Bytes between records, as they are.
  ZelLog& Raw(std::string_view text);
  ZelLog& Raw(const Bytes& bytes);
  // A record with its length digits exactly as given (wrong, lower-case or non-hex ones too).
  ZelLog& Record(std::string_view id, std::string_view lengthDigits, const Bytes& body);
  // A record with the right upper-case length digits.
  ZelLog& Record(std::string_view id, const Bytes& body);

  ZelLog& HeadText() { return Raw(kHeadText); }
  ZelLog& ReceiverTime(std::uint32_t msOfDay);
  ZelLog& ReceiverDate(std::uint16_t year, std::uint8_t month, std::uint8_t day);
  ZelLog& RE(std::uint16_t week, std::int32_t msOfWeek);
  // An "rM" record; the body is padded to `bodyLength` (at least 8).
  ZelLog& RM(std::uint16_t week, std::int32_t msOfWeek, std::size_t bodyLength = 10);
  // A satellite index record: the entries and one trailing byte.
  ZelLog& SatelliteIndex(const Bytes& entries);
  // A satellite list record: the entries and one trailing checksum byte.
  ZelLog& SatelliteList(const std::vector<ListEntry>& entries);
  // A GLONASS number record: the entries and one trailing byte.
  ZelLog& GlonassNumbers(const Bytes& entries);
  ZelLog& PositionVelocity(const PositionRecord& position);
  // A ">>" echo record carrying `payload`.
  ZelLog& Echo(const Bytes& payload, char letter = 'C');
  // Echo records carrying `stream` in pieces of at most `pieceBytes` (the
  // largest payload three length digits allow is 4092 bytes).
  ZelLog& EchoStream(const Bytes& stream, std::size_t pieceBytes = 4092, char letter = 'C');

  const Bytes& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }
  // Writes the log; throws when it cannot.
  void WriteTo(const std::string& path) const;

private:
  Bytes bytes_;
};

// A ">>" echo record on its own (for nesting inside another echo's payload).
Bytes EchoRecord(const Bytes& payload, char letter = 'C');
// An echo record with its length digits as given.
Bytes EchoRecordWithDigits(std::string_view lengthDigits, char letter, const Bytes& payload,
                           std::string_view finalBytes = "\r\n");

// ---- CMR -----------------------------------------------------------------

struct SvContent {
  int Number = 1;  // GPS PRN (0 for 32) or GLONASS slot
  bool L1Valid = true;
  bool L2 = true;
};

struct ObsContent {
  int Station = 0;
  int Type = 0;  // 0 GPS, 3 GLONASS
  int Version = 0;
  std::int32_t EpochMs = 0;
  std::vector<SvContent> Satellites;
  // Satellite count written in the header; by default the number of blocks.
  std::optional<int> AnnouncedCount;
};

// A 6-byte header of any type.
Bytes MessageHeader(int station, int type, int countOrZero, std::int32_t epochMs,
                    std::uint8_t lastByte = 0, int version = 0);
// Header and satellite blocks (with 7-byte L2 blocks where asked).
Bytes ObsMessage(const ObsContent& content);

struct CoordinatesMm {
  std::int64_t X = 0, Y = 0, Z = 0;
  std::int32_t AntennaHeight = 0, East = 0, North = 0;
};
// The 18-byte coordinate record: 34 + 14 bits in each of three groups.
Bytes CoordinateRecord(const CoordinatesMm& mm);
Bytes Type1Message(int station, std::uint8_t antenna, const CoordinatesMm& mm,
                   std::int32_t epochMs = 0);
// A type 2 body: R, short ID (8), COGO code (16), long ID. R defaults to 25 + long ID length.
Bytes Type2Message(int station, std::uint8_t antenna, std::string_view shortId,
                   std::string_view cogoCode, std::string_view longId,
                   std::optional<int> recordLength = std::nullopt);

struct FrameOptions {
  std::uint8_t Stx = 0x02;
  std::uint8_t Status = 0x00;
  std::uint8_t Type = 0x93;
  std::uint8_t Etx = 0x03;
  bool BadChecksum = false;
};
Bytes CmrFrame(const Bytes& message, const FrameOptions& options = {});

// One CMR+ station-information page. A full page carries 7 data bytes; the
// last may carry fewer (its length byte is data bytes + 3).
Bytes CmrPlusPage(int station, int page, int lastPage, const Bytes& data,
                  const FrameOptions& options = {0x02, 0x00, 0x94, 0x03, false});
// A station-information block of 200 bytes.
struct StationInfoContent {
  std::uint8_t Antenna = 0;
  CoordinatesMm Coordinates;
  std::string ShortId, CogoCode, LongId;
};
Bytes StationInfoBlock(const StationInfoContent& content);
// The pages carrying the first `usedBytes` bytes of a block (last page short).
std::vector<Bytes> StationInfoPages(int station, const Bytes& block, std::size_t usedBytes);

Bytes Concat(std::initializer_list<Bytes> parts);

}  // namespace pelorin::testdata
