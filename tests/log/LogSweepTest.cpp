// The log is read in blocks; every reader must find in a window sliding over
// it exactly what it finds in the whole log at once.
#include <gtest/gtest.h>

#include <filesystem>

#include "cmr/EchoUnwrap.h"
#include "log/EpochScan.h"
#include "log/LogSweep.h"
#include "log/StartTimeProbe.h"
#include "tests/support/LogInMemory.h"
#include "tests/support/RoverLog.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::ZelLog;

struct Readings {
  FirstRecords First;
  EpochScanResult Epochs;
  StreamBytes Stream;
  EchoSources Sources;
};

Readings ReadInBlocksOf(const Bytes& log, std::uint64_t blockBytes) {
  FirstRecordFinder first;
  EpochReader epochs;
  EchoUnwrapper unwrapper;
  LogWindowReader* const readers[] = {&first, &epochs, &unwrapper};
  SweepLogBytes(log, readers, blockBytes);
  return {first.Found(), epochs.Finish(), unwrapper.Stream(), unwrapper.Sources()};
}

void ExpectSameRecord(const std::optional<FirstRecord>& a, const std::optional<FirstRecord>& b) {
  ASSERT_EQ(a.has_value(), b.has_value());
  if (a) {
    EXPECT_TRUE(std::ranges::equal(a->View(), b->View()));
  }
}

void ExpectSameReadings(const Readings& got, const Readings& whole) {
  ExpectSameRecord(got.First.ReceiverTime, whole.First.ReceiverTime);
  ExpectSameRecord(got.First.ReceiverDate, whole.First.ReceiverDate);
  // The "rE" and "rM" records are looked for only as long as they may matter.
  const ProbeResult probe = ResolveStartTime(got.First);
  EXPECT_EQ(probe.Resolved, ResolveStartTime(whole.First).Resolved);
  EXPECT_EQ(probe.Start, ResolveStartTime(whole.First).Start);
  EXPECT_EQ(got.Epochs.Stop, whole.Epochs.Stop);
  ASSERT_EQ(got.Epochs.Epochs.size(), whole.Epochs.Epochs.size());
  for (std::size_t k = 0; k < got.Epochs.Epochs.size(); ++k) {
    EXPECT_EQ(got.Epochs.Epochs[k].Start, whole.Epochs.Epochs[k].Start) << k;
    EXPECT_EQ(got.Epochs.Epochs[k].Time, whole.Epochs.Epochs[k].Time) << k;
    EXPECT_EQ(got.Epochs.Epochs[k].Tracked, whole.Epochs.Epochs[k].Tracked) << k;
  }
  EXPECT_EQ(got.Epochs.GlnTotalsMismatchEpochs, whole.Epochs.GlnTotalsMismatchEpochs);
  EXPECT_EQ(got.Epochs.DatedUpTo, whole.Epochs.DatedUpTo);
  EXPECT_EQ(got.Epochs.LastEpoch.has_value(), whole.Epochs.LastEpoch.has_value());
  EXPECT_EQ(got.Epochs.BadDate.RecordOffset, whole.Epochs.BadDate.RecordOffset);
  EXPECT_EQ(got.Stream, whole.Stream);
  EXPECT_EQ(got.Sources, whole.Sources);
}

void ExpectTheSameInEveryBlockSize(const Bytes& log, std::initializer_list<std::uint64_t> sizes) {
  const Readings whole = ReadInBlocksOf(log, log.size() + 1);
  ASSERT_TRUE(whole.First.ReceiverTime);
  for (const std::uint64_t blockBytes : sizes) {
    SCOPED_TRACE("blocks of " + std::to_string(blockBytes));
    ExpectSameReadings(ReadInBlocksOf(log, blockBytes), whole);
  }
}

Bytes SmallRoverLog(int seconds, std::size_t filler) {
  testdata::RoverLogOptions options;
  options.Seconds = seconds;
  options.FillerBytesPerEpoch = filler;
  options.Gaps = {3, 4, 9};
  options.StartMsOfDay = 86'400'000 - 5'000;  // across midnight
  return testdata::MakeRoverLog(options);
}

TEST(LogSweep, ReadersFindTheSameInAnyBlockSize) {
  const Bytes log = SmallRoverLog(12, 40);
  ASSERT_EQ(ReadInBlocksOf(log, 1).Epochs.Epochs.size(), 11u);
  ExpectTheSameInEveryBlockSize(log, {1, 2, 5, 13, 64, 1000, 4099});
  // Resolved by an "rM" record far behind an implausible receiver date.
  ZelLog byWeek;
  byWeek.ReceiverDate(2100, 1, 1).Raw(Bytes(5000, 'z')).RM(1500, 1234);
  for (std::uint32_t k = 0; k < 4; ++k) byWeek.ReceiverTime(k * 1000);
  ExpectTheSameInEveryBlockSize(byWeek.bytes(), {1, 7, 4096});
  EXPECT_TRUE(ResolveStartTime(ReadInBlocksOf(byWeek.bytes(), 3).First).Resolved);
  const Bytes longer = SmallRoverLog(200, 3000);
  ExpectTheSameInEveryBlockSize(longer, {4096, 65'537, 1 << 20});
}

TEST(LogSweep, SatelliteListsAreReadAlikeThoughTheyReachFarPastTheirEpoch) {
  testdata::RoverLogOptions options;
  options.Seconds = 20;
  options.FillerBytesPerEpoch = 40;
  options.SatelliteRecords = testdata::RoverSatelliteRecords::List;
  ExpectTheSameInEveryBlockSize(testdata::MakeRoverLog(options), {1, 7, 64, 300, 4099});

  // A list found at the last bytes of epoch 1 takes its 127 entries from
  // epoch 2, whose bytes list GPS 9 from the sixth entry on.
  ZelLog reaching;
  reaching.ReceiverDate(2009, 6, 15).ReceiverTime(36'000'000).SatelliteList({{1, 3}});
  reaching.ReceiverTime(36'001'000).Raw("SX0FF").ReceiverTime(36'002'000);
  for (int k = 0; k < 130; ++k) reaching.Raw(Bytes{1, 9});
  for (std::uint32_t k = 3; k < 8; ++k) reaching.ReceiverTime(36'000'000 + k * 1000);
  const Readings whole = ReadInBlocksOf(reaching.bytes(), reaching.size() + 1);
  ASSERT_EQ(whole.Epochs.Epochs.size(), 7u);
  EXPECT_EQ(whole.Epochs.Epochs[1].Tracked.Gps, TrackedMask{1} << 8);
  ExpectTheSameInEveryBlockSize(reaching.bytes(), {1, 5, 64, 100, 277});
}

TEST(LogSweep, EpochsTooLargeForCurrBufStopAlikeWithoutBeingKept) {
  // An epoch of 150 000 bytes in the middle, and a header of 120 000 bytes.
  ZelLog middle;
  middle.ReceiverDate(2009, 6, 15);
  for (std::uint32_t k = 0; k < 6; ++k) {
    middle.ReceiverTime(36'000'000 + k * 1000).SatelliteIndex({1, 2});
    if (k == 3) middle.Raw(Bytes(150'000, 'x'));
  }
  ExpectTheSameInEveryBlockSize(middle.bytes(), {7, 4096, 30'000});
  EXPECT_EQ(ReadInBlocksOf(middle.bytes(), 4096).Epochs.Stop, EpochScanStop::CurrentEpochTooLarge);

  ZelLog header;
  header.Raw(Bytes(120'000, 'h')).ReceiverDate(2009, 6, 15);
  for (std::uint32_t k = 0; k < 5; ++k) header.ReceiverTime(36'000'000 + k * 1000);
  ExpectTheSameInEveryBlockSize(header.bytes(), {4096, 50'000});
  EXPECT_EQ(ReadInBlocksOf(header.bytes(), 4096).Epochs.Stop, EpochScanStop::StartingEpochTooLarge);

  // A last epoch too long to date, after complete ones.
  ZelLog tail;
  tail.ReceiverDate(2009, 6, 15);
  for (std::uint32_t k = 0; k < 5; ++k) tail.ReceiverTime(36'000'000 + k * 1000);
  tail.Raw(Bytes(200'000, 't')).ReceiverDate(2009, 6, 16);
  ExpectTheSameInEveryBlockSize(tail.bytes(), {4096, 77'777});
}

TEST(LogSweep, EchoRecordsAcrossBlocksNestedAndCutOffAreUnwrappedAlike) {
  Bytes log = ZelLog()
                  .ReceiverDate(2009, 6, 15)
                  .ReceiverTime(1000)
                  .Echo(Bytes(4092, 0x55))
                  .Echo(testdata::EchoRecord(testdata::ToBytes("nested"), 'c'))
                  .Raw(">>1G2Cnot a record")
                  .Echo(testdata::ToBytes("last"))
                  .bytes();
  ExpectTheSameInEveryBlockSize(log, {1, 3, 4100, 4101, 8191});
  // Cut inside the last record: the bytes present, then nothing more.
  log.resize(log.size() - 4);
  ExpectTheSameInEveryBlockSize(log, {1, 4096});
}

TEST(LogSweep, ReadsAFileAsItIsWhenOpenedAndSaysWhyOneCannotBeRead) {
  const auto dir = std::filesystem::temp_directory_path() / "pelorin-sweep-test";
  std::filesystem::create_directories(dir);
  const Bytes log = SmallRoverLog(30, 100);
  ZelLog().Raw(log).WriteTo((dir / "rover.zel").string());

  EpochReader epochs;
  LogWindowReader* const readers[] = {&epochs};
  const SweepResult read = SweepLogFile((dir / "rover.zel").string(), readers, 1000);
  EXPECT_TRUE(read.Readable());
  EXPECT_EQ(read.BytesRead, log.size());
  EXPECT_EQ(read.SizeWhenOpened, log.size());
  EXPECT_EQ(read.SizeAfterRead, log.size());
  EXPECT_EQ(epochs.Finish().Epochs.size(), ReadEpochs(log).Epochs.size());

  EXPECT_EQ(SweepLogFile((dir / "missing.zel").string(), readers).Problem,
            LogReadProblem::NotFound);
  EXPECT_EQ(SweepLogFile(dir.string(), readers).Problem, LogReadProblem::NotARegularFile);
  EXPECT_EQ(SweepLogFile("", readers).Problem, LogReadProblem::EmptyPath);
  EXPECT_EQ(SweepLogFile("/dev/zero", readers).Problem, LogReadProblem::NotARegularFile);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace pelorin
