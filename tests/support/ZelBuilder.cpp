#include "tests/support/ZelBuilder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace pelorin::testdata {
namespace {

void PutU16LE(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32LE(Bytes& b, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

void Append(Bytes& to, const Bytes& from) {
  const std::size_t at = to.size();
  to.resize(at + from.size());
  std::copy(from.begin(), from.end(), to.begin() + static_cast<std::ptrdiff_t>(at));
}

Bytes WeekTimeBody(std::uint16_t week, std::int32_t ms, std::size_t bodyLength) {
  Bytes body{0x00, 0x00};
  PutU16LE(body, week);
  PutU32LE(body, static_cast<std::uint32_t>(ms));
  body.resize(std::max<std::size_t>(bodyLength, body.size()), 0x00);
  return body;
}

void PutCoordinateGroup(Bytes& b, std::int64_t coordinate, std::int32_t small) {
  const std::uint64_t c = static_cast<std::uint64_t>(coordinate) & ((std::uint64_t{1} << 34) - 1);
  const std::uint32_t s = static_cast<std::uint32_t>(small) & 0x3FFF;
  const std::uint64_t group = c << 14 | s;  // 48 bits
  for (int k = 5; k >= 0; --k) b.push_back(static_cast<std::uint8_t>(group >> (8 * k)));
}

void PutText(Bytes& b, std::string_view text, std::size_t width) {
  for (std::size_t k = 0; k < width; ++k) {
    b.push_back(k < text.size() ? static_cast<std::uint8_t>(text[k]) : ' ');
  }
}

}  // namespace

Bytes ToBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

std::string LengthDigits(std::size_t bodyLength) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%03zX", bodyLength);
  return digits;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) Append(all, part);
  return all;
}

ZelLog& ZelLog::Raw(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  return *this;
}

ZelLog& ZelLog::Raw(const Bytes& bytes) {
  Append(bytes_, bytes);
  return *this;
}

ZelLog& ZelLog::Record(std::string_view id, std::string_view lengthDigits, const Bytes& body) {
  Raw(id);
  Raw(lengthDigits);
  return Raw(body);
}

ZelLog& ZelLog::Record(std::string_view id, const Bytes& body) {
  return Record(id, LengthDigits(body.size()), body);
}

ZelLog& ZelLog::ReceiverTime(std::uint32_t msOfDay) {
  Bytes body;
  PutU32LE(body, msOfDay);
  body.push_back(0x00);
  return Record("~~", body);
}

ZelLog& ZelLog::ReceiverDate(std::uint16_t year, std::uint8_t month, std::uint8_t day) {
  Bytes body;
  PutU16LE(body, year);
  body.push_back(month);
  body.push_back(day);
  body.push_back(0x00);
  body.push_back(0x00);
  return Record("RD", body);
}

ZelLog& ZelLog::RE(std::uint16_t week, std::int32_t msOfWeek) {
  return Record("rE", WeekTimeBody(week, msOfWeek, 10));
}

ZelLog& ZelLog::RM(std::uint16_t week, std::int32_t msOfWeek, std::size_t bodyLength) {
  return Record("rM", WeekTimeBody(week, msOfWeek, bodyLength));
}

ZelLog& ZelLog::SatelliteIndex(const Bytes& entries) {
  Bytes body = entries;
  body.push_back(0x00);
  return Record("SI", body);
}

ZelLog& ZelLog::SatelliteList(const std::vector<ListEntry>& entries) {
  Bytes body;
  std::uint8_t checksum = 0;
  for (const ListEntry& e : entries) {
    body.push_back(e.System);
    body.push_back(static_cast<std::uint8_t>(e.Number));
    checksum = static_cast<std::uint8_t>(checksum + e.System + e.Number);
  }
  body.push_back(checksum);
  return Record("SX", body);
}

Bytes PositionBody(const PositionRecord& p) {
  Bytes body;
  const auto put = [&body](auto value) {
    std::uint8_t raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);  // the builder runs on little-endian machines
    body.insert(body.end(), raw, raw + sizeof value);
  };
  for (const double v : {p.X, p.Y, p.Z}) put(v);
  for (const float v : {p.Sigma, p.VX, p.VY, p.VZ, p.VSigma}) put(v);
  body.push_back(p.Solution);
  std::uint8_t checksum = 0;
  for (const std::uint8_t b : body) checksum = static_cast<std::uint8_t>(checksum + b);
  body.push_back(checksum);
  return body;
}

ZelLog& ZelLog::PositionVelocity(const PositionRecord& position) {
  return Record("PV", PositionBody(position));
}

ZelLog& ZelLog::GlonassNumbers(const Bytes& entries) {
  Bytes body = entries;
  body.push_back(0x00);
  return Record("NN", body);
}

ZelLog& ZelLog::Echo(const Bytes& payload, char letter) {
  return Raw(EchoRecord(payload, letter));
}

ZelLog& ZelLog::EchoStream(const Bytes& stream, std::size_t pieceBytes, char letter) {
  for (std::size_t from = 0; from < stream.size(); from += pieceBytes) {
    const std::size_t count = std::min(pieceBytes, stream.size() - from);
    Echo(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(from),
               stream.begin() + static_cast<std::ptrdiff_t>(from + count)),
         letter);
  }
  return *this;
}

void ZelLog::WriteTo(const std::string& path) const {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes_.data()),
             static_cast<std::streamsize>(bytes_.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

Bytes EchoRecordWithDigits(std::string_view lengthDigits, char letter, const Bytes& payload,
                           std::string_view finalBytes) {
  Bytes record = ToBytes(">>");
  Append(record, ToBytes(lengthDigits));
  record.push_back(static_cast<std::uint8_t>(letter));
  Append(record, payload);
  Append(record, ToBytes(finalBytes));
  return record;
}

Bytes EchoRecord(const Bytes& payload, char letter) {
  return EchoRecordWithDigits(LengthDigits(payload.size() + 3), letter, payload);
}

Bytes MessageHeader(int station, int type, int countOrZero, std::int32_t epochMs,
                    std::uint8_t lastByte, int version) {
  const auto e = static_cast<std::uint32_t>(epochMs) & 0x3FFFF;
  return {static_cast<std::uint8_t>((version & 7) << 5 | (station & 0x1F)),
          static_cast<std::uint8_t>((type & 7) << 5 | (countOrZero & 0x1F)),
          static_cast<std::uint8_t>(e >> 10),
          static_cast<std::uint8_t>(e >> 2),
          static_cast<std::uint8_t>((e & 3) << 6),
          lastByte};
}

Bytes ObsMessage(const ObsContent& content) {
  const int count = content.AnnouncedCount.value_or(static_cast<int>(content.Satellites.size()));
  Bytes m =
      MessageHeader(content.Station, content.Type, count, content.EpochMs, 0, content.Version);
  for (const SvContent& sv : content.Satellites) {
    m.push_back(static_cast<std::uint8_t>((sv.Number & 0x1F) << 3 | 0x04 | (sv.L1Valid ? 0x02 : 0) |
                                          (sv.L2 ? 0x01 : 0)));
    for (int k = 0; k < 7; ++k) m.push_back(static_cast<std::uint8_t>(0x10 + k));
    if (sv.L2) {
      for (int k = 0; k < 7; ++k) m.push_back(static_cast<std::uint8_t>(0x30 + k));
    }
  }
  return m;
}

Bytes CoordinateRecord(const CoordinatesMm& mm) {
  Bytes r;
  PutCoordinateGroup(r, mm.X, mm.AntennaHeight);
  PutCoordinateGroup(r, mm.Y, mm.East);
  PutCoordinateGroup(r, mm.Z, mm.North);
  return r;
}

Bytes Type1Message(int station, std::uint8_t antenna, const CoordinatesMm& mm,
                   std::int32_t epochMs) {
  Bytes m = MessageHeader(station, 1, 0, epochMs, antenna);
  Append(m, CoordinateRecord(mm));
  return m;
}

Bytes Type2Message(int station, std::uint8_t antenna, std::string_view shortId,
                   std::string_view cogoCode, std::string_view longId,
                   std::optional<int> recordLength) {
  Bytes m = MessageHeader(station, 2, 0, 0, antenna);
  m.push_back(
      static_cast<std::uint8_t>(recordLength.value_or(25 + static_cast<int>(longId.size()))));
  PutText(m, shortId, 8);
  PutText(m, cogoCode, 16);
  PutText(m, longId, longId.size());
  return m;
}

Bytes CmrFrame(const Bytes& message, const FrameOptions& options) {
  Bytes f{options.Stx, options.Status, options.Type, static_cast<std::uint8_t>(message.size())};
  Append(f, message);
  unsigned sum = 0;
  for (std::size_t k = 1; k < f.size(); ++k) sum += f[k];
  f.push_back(static_cast<std::uint8_t>(sum + (options.BadChecksum ? 1 : 0)));
  f.push_back(options.Etx);
  return f;
}

Bytes CmrPlusPage(int station, int page, int lastPage, const Bytes& data,
                  const FrameOptions& options) {
  Bytes p{options.Stx,
          options.Status,
          options.Type,
          static_cast<std::uint8_t>(data.size() + 3),
          static_cast<std::uint8_t>(station),
          static_cast<std::uint8_t>(page),
          static_cast<std::uint8_t>(lastPage)};
  Append(p, data);
  if (data.size() < 7 && page != lastPage) p.resize(14, 0x00);
  unsigned sum = 0;
  for (std::size_t k = 1; k < p.size(); ++k) sum += p[k];
  p.push_back(static_cast<std::uint8_t>(sum + (options.BadChecksum ? 1 : 0)));
  p.push_back(options.Etx);
  return p;
}

Bytes StationInfoBlock(const StationInfoContent& content) {
  Bytes block(200, 0x00);
  block[5] = content.Antenna;
  const Bytes coordinates = CoordinateRecord(content.Coordinates);
  std::copy(coordinates.begin(), coordinates.end(), block.begin() + 8);
  block[28] = static_cast<std::uint8_t>(26 + content.LongId.size());
  for (std::size_t k = 0; k < 8; ++k)
    block[29 + k] = k < content.ShortId.size() ? content.ShortId[k] : ' ';
  for (std::size_t k = 0; k < 16; ++k)
    block[37 + k] = k < content.CogoCode.size() ? content.CogoCode[k] : ' ';
  for (std::size_t k = 0; k < content.LongId.size() && 53 + k < block.size(); ++k) {
    block[53 + k] = static_cast<std::uint8_t>(content.LongId[k]);
  }
  return block;
}

std::vector<Bytes> StationInfoPages(int station, const Bytes& block, std::size_t usedBytes) {
  const std::size_t pageCount = (usedBytes + 6) / 7;
  const int lastPage = static_cast<int>(pageCount) - 1;
  std::vector<Bytes> pages;
  for (std::size_t page = 0; page < pageCount; ++page) {
    const std::size_t from = page * 7;
    const std::size_t count = std::min<std::size_t>(7, usedBytes - from);
    const Bytes data(block.begin() + static_cast<std::ptrdiff_t>(from),
                     block.begin() + static_cast<std::ptrdiff_t>(from + count));
    pages.push_back(CmrPlusPage(station, static_cast<int>(page), lastPage, data));
  }
  return pages;
}

}  // namespace pelorin::testdata
