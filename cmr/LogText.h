#pragma once
// Texts that come from a log (station identifiers, CMR+ station information)
// or from the file system (file names) are bytes in no declared encoding.
// The window and the report read them by one rule: valid UTF-8 is kept, and
// any other byte stands for the Latin-1 character of its value.

#include <string>
#include <string_view>

namespace pelorin {

// The text as UTF-8, by that rule.
std::string DecodeLogText(std::string_view bytes);

// The same, with every control character (C0, DEL, C1) written visibly as
// \xNN, for a terminal that must not act on bytes from a radio link.
std::string PrintableLogText(std::string_view bytes);

}  // namespace pelorin
