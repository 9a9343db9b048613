// Writes a rover log made by the test-data builder. Without options it is
// demo.ZEL: one hour with GPS and GLONASS corrections, a few missing seconds
// and a second, weaker station. The benchmark asks for longer, fuller logs:
// --days N writes N whole days one after another, a day at a time, so that
// a log of several gigabytes never has to be held in memory. --troubled-link
// writes the 155 seconds of a link with a repeater, a late message and an
// outage. --receiver KIND writes what other receivers write: "galileo" lists
// Galileo and SBAS in 28-entry satellite index records, "unknown-slot" names
// slot 255 for one GLONASS satellite, "late-date" writes its first date
// record 15 s in, and "today" lists the satellites in satellite list records.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>

#include "log/DateTime.h"
#include "tests/support/RoverLog.h"

namespace {

bool Append(std::ofstream& file, const pelorin::testdata::Bytes& bytes) {
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

// Day `k` after the options' date, as the options of a log starting at midnight.
pelorin::testdata::RoverLogOptions Day(pelorin::testdata::RoverLogOptions options, int k) {
  const double first = *pelorin::EncodeDate(options.Year, options.Month, options.Day);
  const pelorin::CalendarTime day = pelorin::DecodeDateTime(first + k);
  options.Year = static_cast<std::uint16_t>(day.Year);
  options.Month = static_cast<std::uint8_t>(day.Month);
  options.Day = static_cast<std::uint8_t>(day.Day);
  options.StartMsOfDay = 0;
  options.Seconds = 86'400;
  return options;
}

bool SetReceiver(pelorin::testdata::RoverLogOptions& options, const char* kind) {
  using pelorin::testdata::RoverSatelliteRecords;
  if (std::strcmp(kind, "galileo") == 0) {
    options.SatelliteRecords = RoverSatelliteRecords::IndexWithOtherSystems;
  } else if (std::strcmp(kind, "unknown-slot") == 0) {
    options.UnknownGlonassSlot = true;
  } else if (std::strcmp(kind, "late-date") == 0) {
    options.FirstDateAtSecond = 15;
  } else if (std::strcmp(kind, "today") == 0) {
    options.SatelliteRecords = RoverSatelliteRecords::List;
  } else {
    return false;
  }
  return true;
}

void PrintUsage(std::FILE* to, const char* program) {
  std::fprintf(to,
               "usage: %s [--troubled-link] [--seconds N | --days N] [--filler BYTES]\n"
               "          [--receiver galileo|unknown-slot|late-date|today] OUTPUT\n",
               program);
}

}  // namespace

int main(int argc, char** argv) {
  pelorin::testdata::RoverLogOptions options;
  options.Gaps = {61, 62, 63, 600, 1800, 1801, 2999};
  // The rover holds its fix but for a float spell after the longest outage.
  options.WritePositions = true;
  options.SolutionFrom = {{1801, 3}, {1830, 4}};
  int days = 0;
  const char* output = nullptr;
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      PrintUsage(stdout, argv[0]);
      return 0;
    }
    if (std::strcmp(argv[k], "--seconds") == 0 && k + 1 < argc) {
      options.Seconds = std::atoi(argv[++k]);
    } else if (std::strcmp(argv[k], "--filler") == 0 && k + 1 < argc) {
      options.FillerBytesPerEpoch = static_cast<std::size_t>(std::atol(argv[++k]));
    } else if (std::strcmp(argv[k], "--troubled-link") == 0) {
      options = pelorin::testdata::TroubledLinkOptions();
    } else if (std::strcmp(argv[k], "--days") == 0 && k + 1 < argc) {
      days = std::atoi(argv[++k]);
    } else if (std::strcmp(argv[k], "--receiver") == 0 && k + 1 < argc) {
      if (!SetReceiver(options, argv[++k])) {
        output = nullptr;
        break;
      }
    } else if (!output && argv[k][0] != '-') {
      // An option it does not know, or one missing its value, is no file name.
      output = argv[k];
    } else {
      output = nullptr;
      break;
    }
  }
  if (!output) {
    PrintUsage(stderr, argv[0]);
    return 2;
  }
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  bool written = static_cast<bool>(file);
  if (days > 0) {
    for (int k = 0; k < days && written; ++k) {
      written = Append(file, pelorin::testdata::MakeRoverLog(Day(options, k)));
    }
  } else if (written) {
    written = Append(file, pelorin::testdata::MakeRoverLog(options));
  }
  if (!written) {
    std::fprintf(stderr, "cannot write %s\n", output);
    return 1;
  }
  return 0;
}
