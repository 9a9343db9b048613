#include "log/LogSweep.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace pelorin {
namespace {

// Reads at most `into.size()` bytes of the log into `into`; 0 at its end.
template <typename ReadInto>
void Sweep(std::span<LogWindowReader* const> readers, std::uint64_t blockBytes, ReadInto readInto) {
  std::vector<std::uint8_t> buffer;  // the window: file bytes from windowOffset on
  std::uint64_t windowOffset = 0;
  bool atEnd = false;
  while (true) {
    if (!atEnd) {
      const std::size_t kept = buffer.size();
      buffer.resize(kept + blockBytes);
      const std::uint64_t got = readInto(std::span(buffer).subspan(kept));
      buffer.resize(kept + got);
      atEnd = got == 0;
    }
    const LogWindow window{buffer, windowOffset, atEnd};
    std::uint64_t neededFrom = kNeedsNothing;
    for (LogWindowReader* reader : readers) neededFrom = std::min(neededFrom, reader->Take(window));
    if (atEnd) return;

    // Slide past what no reader needs.
    const std::uint64_t keepFrom = std::clamp(neededFrom, windowOffset, window.End());
    buffer.erase(buffer.begin(),
                 buffer.begin() + static_cast<std::ptrdiff_t>(keepFrom - windowOffset));
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
  Sweep(readers, blockBytes, [&](std::span<std::uint8_t> into) -> std::uint64_t {
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
  Sweep(readers, std::max<std::uint64_t>(blockBytes, 1), [&](std::span<std::uint8_t> into) {
    const ByteSpan next =
        log.subspan(handedOver, std::min<std::uint64_t>(into.size(), log.size() - handedOver));
    std::copy(next.begin(), next.end(), into.begin());
    handedOver += next.size();
    return static_cast<std::uint64_t>(next.size());
  });
}

}  // namespace pelorin
