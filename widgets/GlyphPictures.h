#pragma once
// Pictures of the glyph buttons and the application icon. They are drawn at
// start-up rather than loaded, so the program carries no image files.

#include <QPixmap>
#include <QSize>

namespace pelorin {

// SpeedButton1: SELECT ZEL FILE WITH CMR/CMR+ MESSAGES, blue capitals on white.
QPixmap SelectFilePicture(QSize size);
// SpeedButton2: VIEW / Message Type 0 / (GPS data).
QPixmap GpsViewPicture(QSize size);
// SpeedButton3: VIEW / Message Type 3 / (GLN data).
QPixmap GlnViewPicture(QSize size);
// SpeedButton4: the word CLOSE in pale letters on blue.
QPixmap ClosePicture(QSize size);
// The icon of all three windows: a satellite above a reference antenna.
QPixmap ApplicationIconPicture(int side);

}  // namespace pelorin
