#include "tests/support/LogInMemory.h"

#include <algorithm>
#include <new>

#include "log/LogFile.h"
#include "log/LogSweep.h"
#include "views/AnalysisView.h"

namespace pelorin {

std::string MakeSearchImage(ByteSpan bytes) {
  std::string image(bytes.begin(), bytes.end());
  std::replace(image.begin(), image.end(), '\0', '_');
  return image;
}

LogImage LoadLog(const std::string& path) {
  LogImage image;
  OpenedLog opened = OpenLogFile(path);
  if (!opened.File) return image;
  try {
    image.Bytes.resize(opened.Size);
    opened.File->read(reinterpret_cast<char*>(image.Bytes.data()),
                      static_cast<std::streamsize>(image.Bytes.size()));
    image.Bytes.resize(static_cast<std::size_t>(opened.File->gcount()));
    image.Search = MakeSearchImage(image.Bytes);
  } catch (const std::bad_alloc&) {
    image = LogImage{};  // no room for the log: treated as unreadable
  }
  return image;
}

ProbeResult ProbeStartTimeIn(ByteSpan log) {
  FirstRecordFinder finder;
  LogWindowReader* const readers[] = {&finder};
  SweepLogBytes(log, readers);
  return ResolveStartTime(finder.Found());
}

ProbeResult ProbeStartTimeInImage(const LogImage& image) {
  return ProbeStartTimeIn(image.Bytes);
}

ProbeResult ProbeStartTime(const std::string& path) {
  if (path.empty()) return {false, GpsTimeOrigin()};
  FirstRecordFinder finder;
  LogWindowReader* const readers[] = {&finder};
  SweepLogFile(path, readers);
  return ResolveStartTime(finder.Found());
}

EpochScanResult ReadEpochs(ByteSpan log) {
  EpochReader reader;
  LogWindowReader* const readers[] = {&reader};
  SweepLogBytes(log, readers);
  return reader.Finish();
}

EpochScanResult ScanEpochs(ByteSpan log, Toolkit& toolkit, SatelliteCharts& charts) {
  EpochScanResult scan = ReadEpochs(log);
  toolkit.SetBusyCursor(true);
  charts.Series(GnssSystem::Gps, 5).Clear();
  charts.Series(GnssSystem::Glonass, 5).Clear();
  for (const ShownMessage& message : EpochScanMessages(scan)) ShowAnalysisMessage(message, toolkit);
  if (scan.Completed()) AddTrackedPoints(scan.Epochs, charts);
  toolkit.SetBusyCursor(false);
  return scan;
}

UnwrapResult UnwrapLog(ByteSpan log) {
  EchoUnwrapper firstPass;
  LogWindowReader* const readers[] = {&firstPass};
  SweepLogBytes(log, readers);
  return FinishUnwrapping(firstPass);
}

}  // namespace pelorin
