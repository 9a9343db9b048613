#pragma once
// The unwrapped CMR bytes of one analysis, with the positions where frames
// may start in them, found in one sweep for all the passes: a pass that tried
// every byte would only ever stop at these.

#include <cstdint>
#include <optional>
#include <vector>

#include "log/Bytes.h"
#include "platform/LargeMemory.h"
#include "platform/Progress.h"

namespace pelorin {

// A set of stream positions, one bit each.
class PositionSet {
public:
  explicit PositionSet(std::uint64_t size = 0) : words_((size + 63) / 64, 0) {}
  void Add(std::uint64_t position) { words_[position / 64] |= std::uint64_t{1} << (position % 64); }
  // The lowest position in the set at or after `from`.
  std::optional<std::uint64_t> NextFrom(std::uint64_t from) const;

private:
  LargeVector<std::uint64_t> words_;
};

// Every this many bytes of the stream, its sweeps tell the analysis' progress.
inline constexpr std::uint64_t kStreamCheckpointBytes = 1 << 20;

class CmrStream {
public:
  // Implicit, so that a pass can be handed bytes as they are.
  CmrStream(ByteSpan bytes, AnalysisProgress* progress = nullptr);  // NOLINT
  template <typename Allocator>
  CmrStream(const std::vector<std::uint8_t, Allocator>& bytes)  // NOLINT
      : CmrStream(ByteSpan(bytes)) {}

  ByteSpan Bytes() const { return bytes_; }
  std::uint64_t Size() const { return bytes_.size(); }

  // The lowest position at or after `from` that holds a valid CMR frame.
  std::optional<std::uint64_t> NextCmrFrame(std::uint64_t from) const {
    return cmrFrames_.NextFrom(from);
  }
  // The length byte of the valid CMR frame at `pos`, from the index: its
  // checks are not run twice.
  std::optional<std::uint8_t> CmrFrameLengthAt(std::uint64_t pos) const {
    if (NextCmrFrame(pos) != pos) return std::nullopt;
    return bytes_[pos + 3];
  }
  // The lowest position at or after `from` that opens like a CMR+ page: STX,
  // status 0x00 or 0x20 and type 0x94. The page checks decide the rest.
  std::optional<std::uint64_t> NextCmrPlusOpening(std::uint64_t from) const {
    return cmrPlusOpenings_.NextFrom(from);
  }

  // Tells the analysis that a pass got to `pos`; stops it when asked to.
  void Checkpoint(std::uint64_t pos) const {
    pelorin::Checkpoint(progress_, AnalysisStage::Passes, pos, bytes_.size());
  }

private:
  ByteSpan bytes_;
  AnalysisProgress* progress_ = nullptr;
  PositionSet cmrFrames_;
  PositionSet cmrPlusOpenings_;
};

// Walks the CMR frames as a scan that tries every byte would meet them:
// `visit(frame)` handles the frame at that position and gives the position
// the scan resumes from.
template <typename Visit>
void ForEachCmrFrame(const CmrStream& stream, Visit&& visit) {
  std::uint64_t checkpoint = 0;
  for (auto pos = stream.NextCmrFrame(0); pos;) {
    if (*pos >= checkpoint) {
      stream.Checkpoint(*pos);
      checkpoint = *pos + kStreamCheckpointBytes;
    }
    const std::uint64_t resume = visit(*pos);
    pos = stream.NextCmrFrame(resume > *pos ? resume : *pos + 1);
  }
}

}  // namespace pelorin
