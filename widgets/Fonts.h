#pragma once
// The window fonts. The classic dialog font and Arial are missing on most
// Linux desktops; Liberation Sans has Arial's metrics and stands in for both,
// so texts keep the widths the layout was made for.

#include <QFont>

namespace pelorin {

// "MS Sans Serif", the windows' default font.
QFont SansSerifFont(int pixelSize, bool bold = false);
QFont ArialFont(int pixelSize, bool bold = false);

}  // namespace pelorin
