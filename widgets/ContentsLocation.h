#pragma once
// Where the window's analysis writes "contents.cmr": beside the program, as
// it always has, wherever that can be written; otherwise (an installed
// program in a system directory) in the user's data directory.

#include <QString>
#include <optional>
#include <string>

namespace pelorin {

// Whether "contents.cmr" can be written in `directory` (with its trailing
// separator): the file itself when it exists, else the directory.
bool ContentsWritableIn(const std::string& directory);

// The path to write instead of the program's directory, or nothing to keep
// to it. `dataDirectory` is created when needed; where it cannot be, the
// analysis reports the failed write in the hint of the selected-file line.
std::optional<std::string> ContentsPathFor(const std::string& programDirectory,
                                           const QString& dataDirectory);

// The user's data directory for the program (QStandardPaths::AppDataLocation).
QString UserDataDirectory();

}  // namespace pelorin
