#pragma once
// The epoch scan: the log cut into epochs at its receiver time records, each
// dated from the receiver date in force plus its milliseconds of day, and the
// satellites the rover tracked in each. Reading the epochs is kept apart from
// showing what they gave, so that the analysis can read them while the log's
// bytes are still unaltered and show them at its end.

#include <cstdint>
#include <optional>
#include <vector>

#include "log/Bytes.h"
#include "log/DateTime.h"
#include "log/LogSweep.h"
#include "log/RoverPosition.h"
#include "log/TrackedSatellites.h"
#include "log/ZelRecords.h"
#include "platform/ChartSeries.h"
#include "platform/LargeMemory.h"
#include "platform/Toolkit.h"

namespace pelorin {

// Room for one epoch's bytes and a terminating zero byte: an epoch of this
// many bytes or more is refused.
inline constexpr std::uint64_t kCurrBufBytes = 100'000;
inline constexpr std::uint64_t kFewestReceiverTimes = 4;

enum class EpochScanStop {
  None,
  NoReceiverDate,
  NoReceiverTime,
  TooFewEpochs,
  StartingEpochTooLarge,
  CurrentEpochTooLarge,
  MillisecondsOfDayTooLarge,
  StartingDateUnresolved,
  DateDoesNotExist,
};

// A receiver date as read, and the file offset of the record it came from.
struct ReceiverDateInForce {
  CalendarDate Date{1980, 1, 6};
  std::uint64_t RecordOffset = 0;
};

// The receiver date from epoch to epoch.
struct EpochDating {
  ReceiverDateInForce InForce;
  // A new day's date found in the epoch before that day's first epoch.
  std::optional<ReceiverDateInForce> Deferred;
  std::optional<std::uint32_t> PreviousMs;
};

// The rover's position in an epoch, kept small: a day's log holds 86 400.
// Epoch indexes the scan's epochs, and is their count for the last epoch.
// X, Y and Z are kept as offsets from the log's first position: to a
// millimetre within 10 km of it, a centimetre within 100 km.
struct EpochPosition {
  std::uint32_t Epoch = 0;
  float DX = 0;
  float DY = 0;
  float DZ = 0;
  float Sigma = 0;
  std::uint8_t Solution = kNoSolution;
};

struct EpochScanResult {
  EpochScanStop Stop = EpochScanStop::None;
  // Every epoch analysed before the scan ended or stopped, in file order.
  LargeVector<TrackedEpoch> Epochs;
  // The rover's own positions, for the epochs that hold one, in epoch order.
  LargeVector<EpochPosition> Positions;
  // Position records passed over: cut, of another length, or not finite.
  std::uint64_t PositionRecordsSkipped = 0;
  // The first position, from which the others are kept.
  RoverPosition PositionOrigin;

  RoverPosition PositionOf(const EpochPosition& p) const {
    return {PositionOrigin.X + p.DX, PositionOrigin.Y + p.DY, PositionOrigin.Z + p.DZ, p.Sigma,
            p.Solution};
  }
  // The epoch of the last receiver time record, dated but never analysed;
  // only when the scan completed and its date and time are valid.
  std::optional<TrackedEpoch> LastEpoch;
  // The epochs above run up to this file offset; what lies beyond it is not
  // dated (the scan stopped there, or the last epoch has no valid time).
  std::uint64_t DatedUpTo = 0;
  // Epochs whose two records disagree on the number of GLONASS satellites.
  std::uint64_t GlnTotalsMismatchEpochs = 0;
  // The receiver date that names no day of the calendar (DateDoesNotExist).
  ReceiverDateInForce BadDate;
  // The record the log ends inside, found by following the records of the
  // last epoch to the end of the file.
  std::optional<CutRecord> CutAtEnd;

  bool Completed() const { return Stop == EpochScanStop::None; }
};

// How far past its end an epoch's records may be read: a satellite list
// record found at the epoch's last bytes lists up to 127 entries beyond them.
inline constexpr std::uint64_t kEpochFieldReach = kRecordHeaderBytes + kSatelliteListMaxBodyLength;

enum class DayRecord { ReceiverTime, ReceiverDate };
struct FoundDayRecord {
  std::uint64_t Offset = 0;
  DayRecord Kind = DayRecord::ReceiverTime;
};

// Reads the epochs of a log, and what the rover tracked in them, while the
// log is read; shows nothing.
class EpochReader : public LogWindowReader {
public:
  std::uint64_t Take(const LogWindow& window) override;
  // What the scan gave, once the whole log has been read.
  EpochScanResult Finish();

private:
  std::uint64_t WaitForNextRecord(const LogWindow& window);
  std::uint64_t ChunkBegin() const;
  void EndEpoch(const LogWindow& window, std::uint64_t next);
  void ReadEpoch(const LogWindow& window, std::uint64_t next);
  void DateLastEpoch(const LogWindow& window);
  void DateEarlierEpochs(double datedDay, std::uint32_t datedMsOfDay);
  void ReadPosition(ByteSpan log, EpochChunk chunk);
  void Stop(EpochScanStop stop);

  // Where the search for receiver time and date records goes on.
  std::uint64_t searchFrom_ = 0;
  // For the checks made before the first epoch.
  bool receiverDateSeen_ = false;
  std::uint64_t receiverTimes_ = 0;

  // The epoch in hand: m_, from its receiver time record at start_ on, and
  // the first receiver date record in its bytes.
  std::optional<std::uint64_t> start_;
  std::uint64_t m_ = 0;
  std::optional<std::uint64_t> chunkDateRecord_;
  bool chunkOversized_ = false;
  EpochScanStop stop_ = EpochScanStop::None;
  EpochDating dating_;
  // Milliseconds of day of the first epochs, read before any date: they
  // are dated from the first epoch that is.
  std::vector<std::uint32_t> undatedMsOfDay_;
  TrackedSatelliteState trackState_;
  EpochScanResult result_;
  std::optional<TrackedEpoch> lastEpoch_;
  std::optional<CutRecord> cutAtEnd_;
};

// The messages a scan raises, in order: the disagreement of the GLONASS
// totals, then the message of its stop.
std::vector<ShownMessage> EpochScanMessages(const EpochScanResult& scan);

}  // namespace pelorin
