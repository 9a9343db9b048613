// Writes a rover log made by the test-data builder. Without options it is
// demo.ZEL: one hour with GPS and GLONASS corrections, a few missing seconds
// and a second, weaker station. The benchmark asks for longer, fuller logs.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "tests/support/RoverLog.h"

int main(int argc, char** argv) {
  pelorin::testdata::RoverLogOptions options;
  options.Gaps = {61, 62, 63, 600, 1800, 1801, 2999};
  const char* output = nullptr;
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--seconds") == 0 && k + 1 < argc) {
      options.Seconds = std::atoi(argv[++k]);
    } else if (std::strcmp(argv[k], "--filler") == 0 && k + 1 < argc) {
      options.FillerBytesPerEpoch = static_cast<std::size_t>(std::atol(argv[++k]));
    } else if (!output) {
      output = argv[k];
    } else {
      output = nullptr;
      break;
    }
  }
  if (!output) {
    std::fprintf(stderr, "usage: %s [--seconds N] [--filler BYTES] OUTPUT\n", argv[0]);
    return 2;
  }
  pelorin::testdata::ZelLog log;
  log.Raw(pelorin::testdata::MakeRoverLog(options));
  try {
    log.WriteTo(output);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
