#include "log/LogSweep.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace pelorin {
namespace {

// The window's bytes: what the readers still need, then the block read next.
// Never zero-filled, since every byte is read into before it is looked at.
class WindowBuffer {
public:
  // Room for `bytes` more after the bytes held.
  std::span<std::uint8_t> RoomFor(std::size_t bytes) {
    if (size_ + bytes > capacity_) {
      const std::size_t capacity = std::max(size_ + bytes, 2 * capacity_);
      auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
      std::copy_n(data_.get(), size_, larger.get());
      data_ = std::move(larger);
      capacity_ = capacity;
    }
    return {data_.get() + size_, bytes};
  }
  void Filled(std::size_t bytes) { size_ += bytes; }
  void DropFront(std::size_t bytes) {
    std::copy(data_.get() + bytes, data_.get() + size_, data_.get());
    size_ -= bytes;
  }
  ByteSpan Bytes() const { return {data_.get(), size_}; }

private:
  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// Reads at most `into.size()` bytes of the log into `into`; 0 at its end.
template <typename ReadInto>
void Sweep(std::span<LogWindowReader* const> readers, std::uint64_t logSize,
           std::uint64_t blockBytes, ReadInto readInto) {
  WindowBuffer buffer;  // the window: file bytes from windowOffset on
  std::uint64_t windowOffset = 0;
  bool atEnd = false;
  while (true) {
    if (!atEnd) {
      const std::uint64_t got = readInto(buffer.RoomFor(blockBytes));
      buffer.Filled(got);
      atEnd = got == 0;
    }
    const LogWindow window{buffer.Bytes(), windowOffset, atEnd, logSize};
    std::uint64_t neededFrom = kNeedsNothing;
    for (LogWindowReader* reader : readers) neededFrom = std::min(neededFrom, reader->Take(window));
    if (atEnd) return;

    // Slide past what no reader needs.
    const std::uint64_t keepFrom = std::clamp(neededFrom, windowOffset, window.End());
    buffer.DropFront(keepFrom - windowOffset);
    windowOffset = keepFrom;
  }
}

}  // namespace

ByteSpan LogWindow::Slice(std::uint64_t from, std::uint64_t to) const {
  from = std::clamp(from, Offset, End());
  to = std::clamp(to, from, End());
  return Bytes.subspan(from - Offset, to - from);
}

SweepResult SweepLogFile(const std::string& path, std::span<LogWindowReader* const> readers,
                         std::uint64_t blockBytes) {
  SweepResult result;
  OpenedLog opened = OpenLogFile(path);
  result.Problem = opened.Problem;
  result.Reason = opened.Reason;
  result.SizeWhenOpened = opened.Size;
  if (!opened.File) {
    SweepLogBytes({}, readers, blockBytes);
    return result;
  }
  std::ifstream& file = *opened.File;
  // A small log needs no larger a window than itself.
  const std::uint64_t block = std::clamp<std::uint64_t>(result.SizeWhenOpened, 1, blockBytes);
  Sweep(readers, result.SizeWhenOpened, block, [&](std::span<std::uint8_t> into) -> std::uint64_t {
    // Only what the file held when it was opened; a logger may still be writing it.
    const std::uint64_t wanted =
        std::min<std::uint64_t>(into.size(), result.SizeWhenOpened - result.BytesRead);
    if (wanted == 0 || !file) return 0;
    errno = 0;
    file.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(wanted));
    const auto got = static_cast<std::uint64_t>(file.gcount());
    if (file.bad()) {
      result.Problem = LogReadProblem::ReadFailed;
      result.Reason = std::generic_category().message(errno ? errno : EIO);
    }
    result.BytesRead += got;
    return got;
  });
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  result.SizeAfterRead = error ? 0 : size;
  return result;
}

void SweepLogBytes(ByteSpan log, std::span<LogWindowReader* const> readers,
                   std::uint64_t blockBytes) {
  std::uint64_t handedOver = 0;
  const std::uint64_t block =
      std::clamp<std::uint64_t>(log.size(), 1, std::max<std::uint64_t>(blockBytes, 1));
  Sweep(readers, log.size(), block, [&](std::span<std::uint8_t> into) {
    const ByteSpan next =
        log.subspan(handedOver, std::min<std::uint64_t>(into.size(), log.size() - handedOver));
    std::copy(next.begin(), next.end(), into.begin());
    handedOver += next.size();
    return static_cast<std::uint64_t>(next.size());
  });
}

}  // namespace pelorin
