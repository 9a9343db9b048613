#pragma once
// Opening a log. The file is opened read-only and only after it is known to
// be a regular file: a FIFO or a device could block the open or never end.

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace pelorin {

enum class LogReadProblem {
  None,
  EmptyPath,
  NotFound,
  NotARegularFile,  // a directory, a FIFO, a device
  CannotOpen,       // no read permission, among others
  ReadFailed,
  OutOfMemory,
};

// A log opened for reading, or why it could not be.
struct OpenedLog {
  std::optional<std::ifstream> File;
  LogReadProblem Problem = LogReadProblem::None;
  std::string Reason;
  std::uint64_t Size = 0;  // when opened
};
// Checks that the path names a regular file before anything opens it, then
// opens it read-only.
OpenedLog OpenLogFile(const std::string& path);

}  // namespace pelorin
