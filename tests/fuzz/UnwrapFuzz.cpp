// libFuzzer target over echo unwrapping: both passes, the first read in
// blocks of a size the input chooses and the nested one over the stream in
// blocks too, must give what one window gives; the map of sources must
// stay ordered and inside the stream and the log.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cmr/EchoUnwrap.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace pelorin;
using fuzz::Require;

// Stream offsets rise strictly from 0 and stay inside the stream; every
// source is an echo record of the log.
void CheckSources(const EchoSources& sources, std::uint64_t streamBytes, ByteSpan log) {
  Require(sources.empty() == (streamBytes == 0), "a stream has sources, and only a stream");
  for (std::size_t k = 0; k < sources.size(); ++k) {
    Require(sources[k].StreamOffset < streamBytes, "a source starts inside the stream");
    Require(k > 0 || sources[k].StreamOffset == 0, "the first source starts the stream");
    Require(k == 0 || sources[k].StreamOffset > sources[k - 1].StreamOffset, "stream offsets rise");
    Require(k == 0 || sources[k].RecordOffset >= sources[k - 1].RecordOffset,
            "record offsets follow the log");
    Require(sources[k].RecordOffset < log.size() && log[sources[k].RecordOffset] == '>',
            "a source is an echo record of the log");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan log(data, size);
  const std::uint64_t blockBytes = fuzz::BlockBytesFor(log);

  EchoUnwrapper firstPass;
  LogWindowReader* const readers[] = {&firstPass};
  SweepLogBytes(log, readers, blockBytes);
  const StreamBytes firstStream = firstPass.Stream();
  const EchoSources firstSources = firstPass.Sources();
  CheckSources(firstSources, firstStream.size(), log);
  const UnwrapResult inBlocks = FinishUnwrapping(firstPass);
  EchoUnwrapper wholePass;
  LogWindowReader* const wholeReaders[] = {&wholePass};
  SweepLogBytes(log, wholeReaders, fuzz::OneWindowBytes(log));
  const UnwrapResult oneWindow = FinishUnwrapping(wholePass);
  Require(inBlocks.CmrStream == oneWindow.CmrStream, "the same stream in blocks");
  Require(inBlocks.Sources == oneWindow.Sources, "the same sources in blocks");
  Require(inBlocks.Enveloped == oneWindow.Enveloped, "enveloped alike in blocks");
  CheckSources(oneWindow.Sources, oneWindow.CmrStream.size(), log);
  Require(oneWindow.CmrStream.size() <= firstStream.size(), "the nested pass only shrinks");

  // The nested pass read in blocks over the first pass's stream.
  EchoUnwrapper nested(EchoLetter::NestedOnly);
  LogWindowReader* const nestedReaders[] = {&nested};
  SweepLogBytes(firstStream, nestedReaders, blockBytes);
  Require((nested.Records() > 0) == oneWindow.Enveloped, "nested records found alike in blocks");
  if (oneWindow.Enveloped) {
    Require(nested.Stream() == oneWindow.CmrStream, "the same nested stream in blocks");
    Require(nested.Sources().size() == oneWindow.Sources.size(), "as many nested sources");
    for (std::size_t k = 0; k < nested.Sources().size(); ++k) {
      Require(SourceRecordOf(firstSources, nested.Sources()[k].RecordOffset) ==
                  oneWindow.Sources[k].RecordOffset,
              "a nested record maps to the outer record that carried it");
    }
  }
  return 0;
}
