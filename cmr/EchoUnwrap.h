#pragma once
// Unwrapping of the ">>" echo records into one contiguous CMR byte stream,
// with a map of where in the log each piece of the stream was echoed.

#include <cstdint>
#include <span>
#include <vector>

#include "log/Bytes.h"
#include "log/LogSweep.h"
#include "platform/LargeMemory.h"

namespace pelorin {

// Echo record, from its first '>': ">>", three hexadecimal length digits n,
// a letter, n - 3 payload bytes, two final bytes.
inline constexpr std::uint64_t kEchoLetterOffset = 5;
inline constexpr std::uint64_t kEchoPayloadOffset = 6;
inline constexpr std::uint64_t kEchoNonPayloadBodyBytes = 3;  // letter + two final bytes
inline constexpr std::uint64_t kEchoScanMargin = 6;           // scan stops 6 bytes before the end
inline constexpr std::uint64_t kLargestEchoRecordBytes = 5 + 0xFFF;

enum class EchoLetter { AnyLetter, NestedOnly };

// The stream bytes from StreamOffset on (up to the next entry) were carried
// by the echo record at RecordOffset of the log.
struct EchoSource {
  std::uint64_t StreamOffset = 0;
  std::uint64_t RecordOffset = 0;
  bool operator==(const EchoSource&) const = default;
};
using EchoSources = LargeVector<EchoSource>;
// The unwrapped CMR stream: a day's log gives tens of megabytes.
using StreamBytes = LargeVector<std::uint8_t>;

// One unwrapping pass, while the log is read: the payload of every echo
// record is appended to the stream. A record whose payload runs past the end
// of the log (a log cut off mid-record) gives the payload bytes that are
// present and ends the pass.
class EchoUnwrapper : public LogWindowReader {
public:
  explicit EchoUnwrapper(EchoLetter letter = EchoLetter::AnyLetter) : letter_(letter) {}
  std::uint64_t Take(const LogWindow& window) override;

  StreamBytes& Stream() { return stream_; }
  // An entry per record that gave bytes, with the record's offset in the log.
  EchoSources& Sources() { return sources_; }
  std::uint64_t Records() const { return records_; }

private:
  EchoLetter letter_;
  std::uint64_t next_ = 0;  // where the scan goes on
  bool ended_ = false;
  StreamBytes stream_;
  EchoSources sources_;
  std::uint64_t records_ = 0;
};

struct UnwrapResult {
  StreamBytes CmrStream;
  bool Enveloped = false;  // nested records were found; only their payloads remain
  // Where each piece of the stream lies in the log; a nested record's payload
  // maps to the outer record that carried the nested one.
  EchoSources Sources;
};

// The second pass, for nested ("enveloped") echoes, over the first pass's
// stream; then the result of both.
UnwrapResult FinishUnwrapping(EchoUnwrapper& firstPass);

// The log offset of the echo record that carried stream byte `streamOffset`.
std::uint64_t SourceRecordOf(const EchoSources& sources, std::uint64_t streamOffset);

}  // namespace pelorin
