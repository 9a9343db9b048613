#pragma once
// The readers of the analysis run over a whole log in memory or a file read
// for them alone, as the tests and fuzz targets want them: the program
// itself reads each log once, in blocks, for all readers together.

#include <cstdint>
#include <string>
#include <vector>

#include "cmr/EchoUnwrap.h"
#include "log/Bytes.h"
#include "log/EpochScan.h"
#include "log/StartTimeProbe.h"
#include "platform/ChartSeries.h"
#include "platform/Toolkit.h"

namespace pelorin {

// A whole log in memory: the unaltered bytes and the search image of the same
// length (std::string keeps the terminating zero byte after it).
struct LogImage {
  std::vector<std::uint8_t> Bytes;
  std::string Search;
  std::uint64_t Size() const { return Bytes.size(); }
};

// The search image of some bytes: every zero byte becomes '_'.
std::string MakeSearchImage(ByteSpan bytes);
// Reads a file whole, read-only. A file that cannot be opened or read gives an empty image.
LogImage LoadLog(const std::string& path);

// The start-time probe of a whole file, read for it alone; of a log in memory.
ProbeResult ProbeStartTime(const std::string& path);
ProbeResult ProbeStartTimeIn(ByteSpan log);
ProbeResult ProbeStartTimeInImage(const LogImage& image);

// The epochs of a log in memory; and read and shown as the window shows
// them, under the busy cursor.
EpochScanResult ReadEpochs(ByteSpan log);
EpochScanResult ScanEpochs(ByteSpan log, Toolkit& toolkit, SatelliteCharts& charts);

// Both unwrapping passes over a log in memory.
UnwrapResult UnwrapLog(ByteSpan log);

}  // namespace pelorin
