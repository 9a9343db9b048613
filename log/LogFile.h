#pragma once
// Reading a log whole into memory. The file is opened read-only and only
// after it is known to be a regular file (a FIFO or a device could block the
// open or never end); the bytes in memory are the analysis's own copy.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "log/Bytes.h"

namespace pelorin {

// Bytes that are written before they are read: no zero-filling, so a large
// buffer costs memory only as it is filled, and it can give back its tail.
class LogBuffer {
public:
  LogBuffer() = default;
  // Throws std::bad_alloc when there is no room.
  explicit LogBuffer(std::uint64_t size);

  std::span<std::uint8_t> Bytes() { return {data_.get(), size_}; }
  ByteSpan Bytes() const { return {data_.get(), size_}; }
  std::uint64_t Size() const { return size_; }
  // Keeps the first `size` bytes and returns the memory of the rest.
  void ShrinkTo(std::uint64_t size);

private:
  struct Free {
    void operator()(std::uint8_t* data) const { std::free(data); }
  };
  std::unique_ptr<std::uint8_t, Free> data_;
  std::uint64_t size_ = 0;
};

enum class LogReadProblem {
  None,
  EmptyPath,
  NotFound,
  NotARegularFile,  // a directory, a FIFO, a device
  CannotOpen,       // no read permission, among others
  ReadFailed,
  OutOfMemory,
};

struct LogRead {
  LogBuffer Buffer;
  LogReadProblem Problem = LogReadProblem::None;
  // The operating system's reason when the log could not be read.
  std::string Reason;
  // Size of the file when it was opened, and after it was read: a file
  // that another program truncates or still writes changes its size.
  std::uint64_t SizeWhenOpened = 0;
  std::uint64_t SizeAfterRead = 0;

  bool Readable() const { return Problem == LogReadProblem::None; }
};

// Reads the whole file as it is when opened. A log that cannot be read gives
// an empty buffer and the problem; what a file gains while it is read is
// left out, what it loses is missing from the buffer.
LogRead ReadLogFile(const std::string& path);

}  // namespace pelorin
