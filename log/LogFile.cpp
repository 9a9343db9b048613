#include "log/LogFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <system_error>

namespace pelorin {
namespace {

LogRead Failed(LogReadProblem problem, std::string reason) {
  LogRead read;
  read.Problem = problem;
  read.Reason = std::move(reason);
  return read;
}

std::string SystemMessage(int error) {
  return std::generic_category().message(error);
}

// What the path names, before anything opens it.
std::optional<LogRead> CheckPath(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty()) return Failed(LogReadProblem::EmptyPath, "empty path");
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    return Failed(LogReadProblem::NotFound, SystemMessage(ENOENT));
  }
  if (error) return Failed(LogReadProblem::CannotOpen, error.message());
  if (status.type() == fs::file_type::directory) {
    return Failed(LogReadProblem::NotARegularFile, SystemMessage(EISDIR));
  }
  if (status.type() != fs::file_type::regular) {
    return Failed(LogReadProblem::NotARegularFile, "not a regular file");
  }
  return std::nullopt;
}

std::uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace

LogBuffer::LogBuffer(std::uint64_t size)
    : data_(static_cast<std::uint8_t*>(std::malloc(size > 0 ? size : 1))), size_(size) {
  if (!data_ || size > std::numeric_limits<std::size_t>::max()) throw std::bad_alloc();
}

void LogBuffer::ShrinkTo(std::uint64_t size) {
  if (size >= size_) return;
  // Shrinking a large block gives its tail back without moving the rest.
  if (void* smaller = std::realloc(data_.get(), size > 0 ? size : 1)) {
    data_.release();
    data_.reset(static_cast<std::uint8_t*>(smaller));
  }
  size_ = size;
}

LogRead ReadLogFile(const std::string& path) {
  if (auto problem = CheckPath(path)) return std::move(*problem);

  errno = 0;
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return Failed(LogReadProblem::CannotOpen, SystemMessage(errno ? errno : EACCES));
  const std::streamoff end = file.tellg();
  if (end < 0) return Failed(LogReadProblem::ReadFailed, SystemMessage(EIO));
  file.seekg(0);

  LogRead read;
  read.SizeWhenOpened = static_cast<std::uint64_t>(end);
  try {
    read.Buffer = LogBuffer(read.SizeWhenOpened);
  } catch (const std::bad_alloc&) {
    return Failed(LogReadProblem::OutOfMemory, SystemMessage(ENOMEM));
  }
  auto bytes = read.Buffer.Bytes();
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const auto got = static_cast<std::uint64_t>(file.gcount());
  if (got < bytes.size() && file.bad()) {
    return Failed(LogReadProblem::ReadFailed, SystemMessage(errno ? errno : EIO));
  }
  read.Buffer.ShrinkTo(got);  // the file was cut short while it was read
  read.SizeAfterRead = FileSize(path);
  return read;
}

}  // namespace pelorin
