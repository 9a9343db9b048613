#include "log/RoverPosition.h"

#include <bit>
#include <cmath>

#include "log/ZelRecords.h"

namespace pelorin {
namespace {

constexpr std::uint64_t kXOffset = 0;
constexpr std::uint64_t kSigmaOffset = 24;
constexpr std::uint64_t kVelocityOffset = 28;
constexpr int kVelocityValues = 4;  // VX, VY, VZ and their sigma
constexpr std::uint64_t kSolutionOffset = 44;
// No rover's position lies this far from the Earth's centre (geostationary
// orbit lies at 42 000 km); a record that says so is damaged.
constexpr double kFarthestPositionMetres = 1e8;

std::uint64_t LittleEndian(ByteSpan bytes, std::uint64_t offset, int width) {
  std::uint64_t value = 0;
  for (int k = width; k-- > 0;) value = value << 8 | bytes[offset + static_cast<std::uint64_t>(k)];
  return value;
}

double F64At(ByteSpan bytes, std::uint64_t offset) {
  return std::bit_cast<double>(LittleEndian(bytes, offset, 8));
}

float F32At(ByteSpan bytes, std::uint64_t offset) {
  return std::bit_cast<float>(static_cast<std::uint32_t>(LittleEndian(bytes, offset, 4)));
}

// The body at `record`, known to lie inside `log`; nothing when a value is
// not a finite number.
std::optional<RoverPosition> ReadBody(ByteSpan log, std::uint64_t record) {
  RoverPosition p;
  p.X = F64At(log, FieldOffset(record, kXOffset));
  p.Y = F64At(log, FieldOffset(record, kXOffset + 8));
  p.Z = F64At(log, FieldOffset(record, kXOffset + 16));
  p.Sigma = F32At(log, FieldOffset(record, kSigmaOffset));
  bool finite =
      std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z) && std::isfinite(p.Sigma);
  for (int k = 0; k < kVelocityValues; ++k) {
    finite = finite && std::isfinite(F32At(log, FieldOffset(record, kVelocityOffset + 4 * k)));
  }
  if (!finite) return std::nullopt;
  for (const double v : {p.X, p.Y, p.Z}) {
    if (std::fabs(v) > kFarthestPositionMetres) return std::nullopt;
  }
  p.Solution = log[FieldOffset(record, kSolutionOffset)];
  return p;
}

}  // namespace

PositionInEpoch FindRoverPosition(ByteSpan log, EpochChunk chunk) {
  PositionInEpoch found;
  const std::string_view text = RawSearchText(log.subspan(chunk.Begin, chunk.End - chunk.Begin));
  for (auto at = FindPattern(text, kPositionVelocityPattern); at;
       at = FindPattern(text, kPositionVelocityPattern, *at + 1)) {
    const std::uint64_t record = chunk.Begin + *at;
    const auto length = ParseLengthDigits(log, record);
    if (!length) continue;
    const std::uint64_t bodyEnd = FieldOffset(record, static_cast<std::uint64_t>(*length));
    if (*length != kPositionVelocityBodyLength || bodyEnd > chunk.End ||
        !FitsIn(log, record, bodyEnd - record)) {
      ++found.Skipped;
      continue;
    }
    found.Position = ReadBody(log, record);
    if (found.Position) return found;
    ++found.Skipped;
  }
  return found;
}

}  // namespace pelorin
