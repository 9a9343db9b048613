// Writes the seed corpus of the fuzz targets with the test-data builder: per
// target a handful of small inputs, sound and broken, in DIR/<target>/. The
// targets that read a log in blocks take the first byte as the block size
// and, with the second byte's top bit set, lay in filler (see
// tests/fuzz/FuzzSupport.h); some seeds are written with such a lead.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/RoverLog.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin::testdata {
namespace {

using Seeds = std::map<std::string, Bytes>;

constexpr int kStation = 7;
constexpr std::uint32_t kTenHours = 36'000'000;
constexpr std::uint32_t kMsPerDay = 86'400'000;

Bytes RoverSeconds(int seconds, std::uint32_t startMsOfDay, std::set<int> gaps = {}) {
  RoverLogOptions options;
  options.Seconds = seconds;
  options.StartMsOfDay = startMsOfDay;
  options.Gaps = std::move(gaps);
  options.FillerBytesPerEpoch = 8;
  options.Type1Every = 2;
  options.Type2Every = 3;
  return MakeRoverLog(options);
}

// A lead byte that makes the sweep read the log in blocks of `blockChoice`
// (1 + choice * choice / 8 bytes) ahead of it.
Bytes WithBlockChoice(std::uint8_t blockChoice, const Bytes& log) {
  return Concat({{blockChoice}, log});
}

// Five lead bytes that lay about 100 000 filler bytes in at `at`.
Bytes WithFiller(std::uint8_t extraFiller, std::uint16_t at, const Bytes& log) {
  return Concat(
      {{0x40, 0x80, extraFiller, static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(at >> 8)},
       log});
}

std::vector<SvContent> Satellites(std::initializer_list<int> numbers) {
  std::vector<SvContent> satellites;
  for (const int n : numbers) satellites.push_back({n, n % 5 != 0, n % 3 != 0});
  return satellites;
}

Bytes GpsFrame(int station, std::int32_t epochMs) {
  return CmrFrame(ObsMessage({station, 0, 0, epochMs, Satellites({0, 3, 5, 12, 21}), {}}));
}

Bytes GlnFrame(int station, std::int32_t epochMs) {
  return CmrFrame(ObsMessage({station, 3, 0, epochMs, Satellites({1, 8, 24}), {}}));
}

const StationInfoContent& Info() {
  static const StationInfoContent info{12, DemoStationMm(), "PELO", "BASE-NORTH-01",
                                       "Pelorin demo reference station"};
  return info;
}

std::vector<Bytes> InfoPages(int station) {
  return StationInfoPages(station, StationInfoBlock(Info()), 53 + Info().LongId.size());
}

// Some seconds of corrections from one station, GPS epochs from `firstMs`
// on (the 4-minute cycle wraps where it will), with the seconds in `gaps`
// missing, and every page of the station information.
Bytes CorrectionStream(int seconds, std::int32_t firstMs, const std::set<int>& gaps = {}) {
  Bytes stream;
  const std::vector<Bytes> pages = InfoPages(kStation);
  for (int second = 0; second < seconds; ++second) {
    if (gaps.count(second)) continue;
    const std::int32_t epochMs = (firstMs + second * 1000) % 240'000;
    stream = Concat({stream, GpsFrame(kStation, epochMs), GlnFrame(kStation, epochMs)});
    if (second % 2 == 0) {
      stream = Concat({stream, CmrFrame(Type1Message(kStation, 12, DemoStationMm(), epochMs))});
    }
    if (second % 3 == 0) {
      stream = Concat({stream, CmrFrame(Type2Message(kStation, 12, "PELO", "BASE-NORTH-01",
                                                     "Pelorin demo reference station"))});
    }
    stream = Concat({stream, pages[static_cast<std::size_t>(second) % pages.size()]});
  }
  for (const Bytes& page : pages) stream = Concat({stream, page});
  return stream;
}

// Frames and pages broken in every way the checks look at.
Seeds BrokenFrames() {
  const Bytes type1 = Type1Message(kStation, 12, DemoStationMm());
  Bytes cut = CmrFrame(type1);
  cut.resize(cut.size() - 3);
  Bytes lastPageCut = InfoPages(kStation).back();
  lastPageCut.resize(9);
  return {
      {"bad-checksum", CmrFrame(type1, {0x02, 0x00, 0x93, 0x03, true})},
      {"bad-etx", CmrFrame(type1, {0x02, 0x00, 0x93, 0x04, false})},
      {"cut", cut},
      {"type2-long-text", CmrFrame(Type2Message(kStation, 12, "ID", "COGO", "x", 76))},
      {"type2-short-record", CmrFrame(Type2Message(kStation, 12, "ID", "COGO", "", 3))},
      {"obs-announcing-31", CmrFrame(ObsMessage({kStation, 0, 0, 1000, Satellites({1}), 31}))},
      {"page-bad-checksum",
       CmrPlusPage(kStation, 0, 3, {1, 2, 3, 4, 5, 6, 7}, {0x02, 0x20, 0x94, 0x03, true})},
      {"page-after-last", CmrPlusPage(kStation, 4, 3, {1, 2, 3})},
      {"last-page-cut", lastPageCut},
  };
}

Seeds Frames() {
  Seeds seeds = BrokenFrames();
  seeds["gps"] = GpsFrame(kStation, 239'000);
  seeds["glonass"] = GlnFrame(kStation, 5'000);
  seeds["type1"] = CmrFrame(Type1Message(kStation, 12, DemoStationMm(), 1'000));
  seeds["type2"] = CmrFrame(Type2Message(kStation, 12, "PELO", "BASE", "Pelorin demo station"));
  seeds["page-first"] = InfoPages(kStation).front();
  seeds["page-last"] = InfoPages(kStation).back();
  seeds["stream"] = CorrectionStream(3, 0);
  return seeds;
}

Seeds Passes() {
  Seeds seeds;
  seeds["seconds-across-the-wrap"] = CorrectionStream(8, 236'000);
  seeds["gaps"] = CorrectionStream(12, 10'000, {2, 3, 4, 9});
  // Two stations, the weaker one sending only GPS.
  seeds["two-stations"] = Concat({CorrectionStream(4, 0), GpsFrame(3, 1'000), GpsFrame(3, 2'000),
                                  GpsFrame(3, 3'000), GpsFrame(3, 4'000), GpsFrame(3, 5'000)});
  Bytes broken = CorrectionStream(4, 0);
  for (const auto& [name, frame] : BrokenFrames()) broken = Concat({broken, frame});
  seeds["broken-frames"] = broken;
  // Station information whose page 0 comes late, and pages of another station.
  std::vector<Bytes> pages = InfoPages(kStation);
  Bytes late;
  for (std::size_t k = pages.size(); k-- > 0;) late = Concat({late, pages[k]});
  for (const Bytes& page : InfoPages(kStation + 1)) late = Concat({late, page});
  seeds["pages-backwards"] = Concat({GpsFrame(kStation, 0), late, late});
  return seeds;
}

// Epochs with satellite index (or satellite list) and GLONASS number records
// that disagree, are rejected, or carry length digits of every kind.
Bytes TrackingLog() {
  ZelLog log;
  log.Raw("ZEL\r\n").HeadText().Raw("\r\n").ReceiverDate(2009, 6, 15);
  for (std::uint32_t k = 0; k < 8; ++k) {
    log.ReceiverTime(kTenHours + k * 1000);
    switch (k) {
      case 1:  // three GLONASS satellites indexed, two numbered
        log.SatelliteIndex({1, 2, 40, 41, 42}).GlonassNumbers({3, 4});
        break;
      case 2:  // rejected entries: 80 is no index, 25 no slot
        log.SatelliteIndex({1, 80}).GlonassNumbers({25});
        break;
      case 3:
        log.Record("SI", "00b", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}).Record("NN", "0G3", {1, 2, 0});
        break;
      case 4:  // longer than the limits
        log.Record("SI", Bytes(25, 1)).Record("NN", Bytes(16, 1));
        break;
      case 5:  // a satellite list in place of the index record, GLONASS channel -7
        log.SatelliteList({{1, 3}, {4, 11}, {2, -7}, {2, 6}}).GlonassNumbers({9, 0});
        break;
      default:
        log.SatelliteIndex({5, 9, 38, 69, 139}).GlonassNumbers({7, 0});
    }
  }
  log.Record("SI", "018", {1, 2});  // entries past the end of the log
  return log.bytes();
}

// Logs that resolve their start, or fail to, in each way the probe knows.
Seeds ProbeLogs() {
  return {
      {"date-and-time", ZelLog().ReceiverTime(kTenHours).ReceiverDate(2009, 6, 15).bytes()},
      {"week-re", ZelLog().Raw("head").RE(1530, 123'456'789).ReceiverTime(7).bytes()},
      {"week-rm", ZelLog().ReceiverDate(2100, 1, 1).Raw(Bytes(300, 'z')).RM(1530, 5'000).bytes()},
      {"rm-too-long", ZelLog().RM(1530, 5'000, 0x401).bytes()},
      {"date-month-13", ZelLog().ReceiverDate(2009, 13, 1).RE(1530, 0).bytes()},
      {"time-past-a-day", ZelLog().ReceiverTime(kMsPerDay).ReceiverDate(2099, 12, 31).bytes()},
      {"cut-rm", Bytes{'r', 'M', '0', '0', 'A', 0, 0, 0xFA}},
  };
}

Seeds EpochLogs() {
  const auto stopping = [](std::uint16_t year, std::uint8_t month, std::uint8_t day,
                           std::uint32_t badMs) {
    ZelLog log;
    log.ReceiverDate(year, month, day);
    for (std::uint32_t k = 0; k < 5; ++k) log.ReceiverTime(k == 3 ? badMs : kTenHours + k * 1000);
    return log.bytes();
  };
  // A new day's date written in the last epoch before midnight.
  ZelLog midnight;
  midnight.ReceiverDate(2009, 6, 15);
  for (std::uint32_t k = 0; k < 6; ++k) {
    midnight.ReceiverTime((kMsPerDay - 3'000 + k * 1000) % kMsPerDay)
        .SatelliteIndex({static_cast<std::uint8_t>(k + 1)});
    if (k == 2) midnight.ReceiverDate(2009, 6, 16);
  }
  return {
      {"tracking", TrackingLog()},
      {"no-such-day", stopping(2009, 2, 30, kTenHours + 3000)},
      {"ms-past-a-day", stopping(2009, 6, 15, kMsPerDay + 5)},
      {"three-epochs", ZelLog().ReceiverDate(2009, 6, 15).ReceiverTime(1).ReceiverTime(2).bytes()},
      {"no-date", ZelLog().ReceiverTime(1).ReceiverTime(2).ReceiverTime(3).ReceiverTime(4).bytes()},
      {"date-at-midnight", midnight.bytes()},
  };
}

// An echo record carrying nested ones, and records broken on purpose.
Bytes EchoLog() {
  const Bytes frame = GpsFrame(kStation, 1'000);
  ZelLog log;
  log.ReceiverDate(2009, 6, 15).ReceiverTime(kTenHours);
  log.Echo(Concat({EchoRecord(frame, 'c'), EchoRecord(GlnFrame(kStation, 1'000), 'c')}));
  log.Echo(Concat({Bytes(3, '>'), EchoRecord(frame, 'c')}), 'D');
  log.Raw(EchoRecordWithDigits("00z", 'C', frame)).Raw(EchoRecordWithDigits("002", 'C', {}));
  log.Raw(EchoRecordWithDigits("004", '1', frame));
  log.EchoStream(Bytes(5'000, 0x55));
  log.Raw(EchoRecordWithDigits("0FF", 'C', frame, ""));  // the log ends inside it
  return log.bytes();
}

Seeds Logs() {
  Seeds seeds;
  seeds["rover-3s"] = RoverSeconds(3, kTenHours);
  seeds["rover-midnight-gaps"] = WithBlockChoice(3, RoverSeconds(6, kMsPerDay - 3'000, {1, 4}));
  seeds["rover-4min-wrap"] = WithBlockChoice(40, RoverSeconds(5, 239'998'000 % kMsPerDay, {2}));
  seeds["nested-echoes"] = EchoLog();
  seeds["tracking"] = TrackingLog();
  Bytes cut = RoverSeconds(4, kTenHours);
  cut.resize(cut.size() * 2 / 3);
  seeds["rover-cut"] = cut;
  return seeds;
}

Seeds Records() {
  Seeds seeds = ProbeLogs();
  seeds["tracking"] = TrackingLog();
  seeds["rover-2s"] = RoverSeconds(2, kTenHours);
  return seeds;
}

Seeds Probe() {
  Seeds seeds = ProbeLogs();
  seeds["rover-2s"] = RoverSeconds(2, kTenHours);
  seeds["rover-small-blocks"] = WithBlockChoice(2, RoverSeconds(2, kTenHours));
  return seeds;
}

Seeds Unwrap() {
  return {
      {"nested-echoes", EchoLog()},
      {"nested-small-blocks", WithBlockChoice(5, EchoLog())},
      {"nested-large-blocks", WithBlockChoice(181, EchoLog())},
      {"rover-3s", RoverSeconds(3, kTenHours)},
  };
}

Seeds Epochs() {
  Seeds seeds = EpochLogs();
  seeds["rover-midnight"] = WithBlockChoice(9, RoverSeconds(6, kMsPerDay - 3'000, {1}));
  // The second epoch swollen to the limit of curr_buf, and the header too.
  seeds["filler-in-an-epoch"] = WithFiller(100, 40, TrackingLog());
  seeds["filler-in-the-header"] = WithFiller(200, 0, TrackingLog());
  return seeds;
}

Seeds Analysis() {
  Seeds seeds = Logs();
  // The head check's flag pushed to the edge of the bytes it reads.
  seeds["flag-at-the-head-limit"] = WithFiller(128, 0, RoverSeconds(3, kTenHours));
  return seeds;
}

void WriteSeeds(const std::filesystem::path& dir, const Seeds& seeds) {
  std::filesystem::create_directories(dir);
  for (const auto& [name, bytes] : seeds) {
    ZelLog seed;
    seed.Raw(bytes).WriteTo((dir / ("seed-" + name)).string());
  }
}

}  // namespace
}  // namespace pelorin::testdata

int main(int argc, char** argv) {
  using namespace pelorin::testdata;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  try {
    WriteSeeds(dir / "records", Records());
    WriteSeeds(dir / "probe", Probe());
    WriteSeeds(dir / "unwrap", Unwrap());
    WriteSeeds(dir / "frames", Frames());
    WriteSeeds(dir / "passes", Passes());
    WriteSeeds(dir / "epochs", Epochs());
    WriteSeeds(dir / "analysis", Analysis());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
