#pragma once
// Files dropped on the main window: only local files count; anything else a
// drag may carry (web addresses, text) is refused without a word.

#include <QString>
#include <string>
#include <vector>

class QMimeData;

namespace pelorin {

// The local files among the dropped addresses, in their order, as paths of
// the file system: bytes the addresses percent-encode are kept as they are,
// so that a name in no encoding still names its file.
std::vector<std::string> LocalFilesOf(const QMimeData& data);

// What the selected-file line adds when more than one file was dropped:
// " (first of 3 dropped files)"; empty for one.
QString DroppedFilesNote(std::size_t fileCount);

}  // namespace pelorin
