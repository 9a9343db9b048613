#include "cmr/CmrStream.h"

#include <bit>

#include "cmr/CmrDecode.h"

namespace pelorin {

std::optional<std::uint64_t> PositionSet::NextFrom(std::uint64_t from) const {
  std::uint64_t word = from / 64;
  if (word >= words_.size()) return std::nullopt;
  std::uint64_t bits = words_[word] & (~std::uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++word >= words_.size()) return std::nullopt;
    bits = words_[word];
  }
  return word * 64 + static_cast<std::uint64_t>(std::countr_zero(bits));
}

CmrStream::CmrStream(ByteSpan bytes, AnalysisProgress* progress)
    : bytes_(bytes), progress_(progress), cmrFrames_(bytes.size()), cmrPlusOpenings_(bytes.size()) {
  // Every frame and page opens with STX: the sweep only stops there.
  std::uint64_t checkpoint = 0;
  for (auto pos = FindByte(bytes, 0, kStx); pos; pos = FindByte(bytes, *pos + 1, kStx)) {
    if (*pos >= checkpoint) {
      pelorin::Checkpoint(progress_, AnalysisStage::IndexingStream, *pos, bytes.size());
      checkpoint = *pos + kStreamCheckpointBytes;
    }
    if (CheckCmrFrame(bytes, *pos)) cmrFrames_.Add(*pos);
    if (OpensLikeCmrPlusPage(bytes, *pos)) cmrPlusOpenings_.Add(*pos);
  }
}

}  // namespace pelorin
