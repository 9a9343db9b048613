#include "log/LogFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pelorin {
namespace {

OpenedLog Failed(LogReadProblem problem, std::string reason) {
  OpenedLog opened;
  opened.Problem = problem;
  opened.Reason = std::move(reason);
  return opened;
}

std::string SystemMessage(int error) {
  return std::generic_category().message(error);
}

// What the path names, before anything opens it.
std::optional<OpenedLog> CheckPath(const std::string& path) {
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

}  // namespace

OpenedLog OpenLogFile(const std::string& path) {
  OpenedLog opened;
  if (auto problem = CheckPath(path)) return std::move(*problem);
  errno = 0;
  opened.File.emplace();
  // Unbuffered: what the log holds is read when it is asked for, straight
  // into the reader's own buffer.
  opened.File->rdbuf()->pubsetbuf(nullptr, 0);
  opened.File->open(path, std::ios::binary | std::ios::ate);
  std::ifstream& file = *opened.File;
  const std::streamoff end = file ? static_cast<std::streamoff>(file.tellg()) : -1;
  if (!file || end < 0) {
    opened.File.reset();
    opened.Problem = LogReadProblem::CannotOpen;
    opened.Reason = SystemMessage(errno ? errno : EACCES);
    return opened;
  }
  file.seekg(0);
  opened.Size = static_cast<std::uint64_t>(end);
  return opened;
}

}  // namespace pelorin
