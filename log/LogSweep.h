#pragma once
// A log read front to back in blocks, never held whole. Each reader sees a
// window of the file in turn and says from which file offset on it still
// needs bytes; the window then slides past what no reader needs. A reader
// that must look a little ahead (a record's fields after its pattern) waits
// for the next window, so that what it reads is what the whole file holds.

#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "log/Bytes.h"
#include "log/LogFile.h"

namespace pelorin {

struct LogWindow {
  ByteSpan Bytes;  // the file's bytes from Offset on
  std::uint64_t Offset = 0;
  bool AtEnd = false;         // the window reaches the end of the file
  std::uint64_t LogSize = 0;  // the whole log's size, as it was when opened

  std::uint64_t End() const { return Offset + Bytes.size(); }
  // The bytes at file offsets [from, to), clipped to the window.
  ByteSpan Slice(std::uint64_t from, std::uint64_t to) const;
  // Whether the window holds `reach` bytes from `offset` on, or ends with the file.
  bool Holds(std::uint64_t offset, std::uint64_t reach) const {
    return AtEnd || offset + reach <= End();
  }
};

// Nothing more needed from the file.
inline constexpr std::uint64_t kNeedsNothing = std::numeric_limits<std::uint64_t>::max();

class LogWindowReader {
public:
  virtual ~LogWindowReader() = default;
  // Reads what it can of the window; gives the lowest file offset it still
  // needs (at most the window's end, or kNeedsNothing).
  virtual std::uint64_t Take(const LogWindow& window) = 0;
};

// The bytes a search for `pattern` has not yet fully looked at: a match
// could still begin in the last pattern.size() - 1 bytes of the window.
inline std::uint64_t SearchResumesAt(const LogWindow& window, std::string_view pattern) {
  const std::uint64_t overlap = pattern.size() - 1;
  return window.End() > window.Offset + overlap ? window.End() - overlap : window.Offset;
}

inline constexpr std::uint64_t kSweepBlockBytes = 1 << 20;

struct SweepResult {
  LogReadProblem Problem = LogReadProblem::None;
  std::string Reason;  // the operating system's reason when it could not be read
  std::uint64_t SizeWhenOpened = 0;
  std::uint64_t BytesRead = 0;
  std::uint64_t SizeAfterRead = 0;
  bool Readable() const { return Problem == LogReadProblem::None; }
};

// Reads the file at `path` as it is when opened (what it gains meanwhile is
// left out) and hands it to the readers. A file that cannot be read reaches
// them as an empty log.
SweepResult SweepLogFile(const std::string& path, std::span<LogWindowReader* const> readers,
                         std::uint64_t blockBytes = kSweepBlockBytes);
// The same over a log in memory, handed over `blockBytes` at a time.
void SweepLogBytes(ByteSpan log, std::span<LogWindowReader* const> readers,
                   std::uint64_t blockBytes = kSweepBlockBytes);

}  // namespace pelorin
