#include <gtest/gtest.h>

#include "cmr/EchoUnwrap.h"
#include "tests/support/LogInMemory.h"
#include "tests/support/ZelBuilder.h"

namespace pelorin {
namespace {

using testdata::Bytes;
using testdata::Concat;
using testdata::EchoRecord;
using testdata::EchoRecordWithDigits;
using testdata::ToBytes;

// The first pass alone, over the whole input at once.
Bytes FirstPass(const Bytes& input) {
  EchoUnwrapper firstPass;
  firstPass.Take(LogWindow{input, 0, true});
  return Bytes(firstPass.Stream().begin(), firstPass.Stream().end());
}

UnwrapResult BothPasses(const Bytes& input) {
  return UnwrapLog(input);
}

Bytes StreamOf(const UnwrapResult& result) {
  return Bytes(result.CmrStream.begin(), result.CmrStream.end());
}

TEST(EchoUnwrap, JoinsPayloadsAndSkipsEverythingBetweenRecords) {
  const Bytes input = Concat({ToBytes("ZEL\r\n~~005abcde"), EchoRecord(ToBytes("PAY"), 'C'),
                              ToBytes("RD006xxxxxx>> not a record\r\n"),
                              EchoRecord(ToBytes("LOAD"), 'z'), ToBytes("tail bytes")});
  EXPECT_EQ(FirstPass(input), ToBytes("PAYLOAD"));
}

TEST(EchoUnwrap, LowerCaseLengthDigitsAreHexadecimal) {
  const Bytes input =
      Concat({EchoRecordWithDigits("00a", 'C', ToBytes("1234567")), ToBytes("pad...")});
  EXPECT_EQ(FirstPass(input), ToBytes("1234567"));
}

TEST(EchoUnwrap, FilesOfSixBytesOrFewerGiveNothing) {
  for (const char* text : {"", ">", ">>004C"}) {
    EXPECT_TRUE(FirstPass(ToBytes(text)).empty()) << text;
    EXPECT_TRUE(BothPasses(ToBytes(text)).CmrStream.empty()) << text;
  }
  // One byte more and the record at offset 0 is scanned.
  EXPECT_EQ(FirstPass(ToBytes(">>004Cx")), ToBytes("x"));
}

TEST(EchoUnwrap, RecordCutOffByTheEndGivesThePresentBytesAndStops) {
  // The body announces 0x40 bytes; the 15 present carry what looks like a
  // complete record, which must not be unwrapped a second time.
  const Bytes present = EchoRecord(ToBytes("in"));
  const Bytes input =
      Concat({EchoRecord(ToBytes("first")), EchoRecordWithDigits("040", 'C', present, "")});
  EXPECT_EQ(FirstPass(input), Concat({ToBytes("first"), present}));
}

TEST(EchoUnwrap, ShortLengthsCopyNothingAndResumeAfterTheRecordHeader) {
  // Length 000: the scan resumes at the letter and finds the record after it.
  EXPECT_EQ(FirstPass(Concat({ToBytes(">>000C"), EchoRecord(ToBytes("x"))})), ToBytes("x"));
  // Length 003: letter and two final bytes, no payload.
  EXPECT_EQ(FirstPass(Concat({ToBytes(">>003C\r\n"), EchoRecord(ToBytes("y"))})), ToBytes("y"));
}

TEST(EchoUnwrap, NonHexadecimalLengthIsOrdinaryData) {
  const Bytes input =
      Concat({ToBytes(">>1G2C"), ToBytes("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), EchoRecord(ToBytes("ok"))});
  EXPECT_EQ(FirstPass(input), ToBytes("ok"));
}

TEST(EchoUnwrap, DigitInPlaceOfTheLetterIsNotARecord) {
  // ">>0047..." is no record; the scan moves on by one byte and finds the one at offset 1.
  EXPECT_EQ(FirstPass(ToBytes(">>>004Cx\r\n")), ToBytes("x"));
  EXPECT_TRUE(FirstPass(ToBytes(">>0047abcdefgh")).empty());
}

TEST(EchoUnwrap, SecondPassTakesOnlyRecordsLetteredLowerCaseC) {
  const Bytes frames = ToBytes("CMR-BYTES");
  for (const char letter : {'a', 'C', 'd'}) {
    const UnwrapResult result =
        BothPasses(Concat({EchoRecord(EchoRecord(frames, letter)), ToBytes("......")}));
    EXPECT_FALSE(result.Enveloped) << letter;
    EXPECT_EQ(StreamOf(result), EchoRecord(frames, letter)) << letter;
  }
  const UnwrapResult nested =
      BothPasses(Concat({EchoRecord(EchoRecord(frames, 'c')), ToBytes("......")}));
  EXPECT_TRUE(nested.Enveloped);
  EXPECT_EQ(StreamOf(nested), frames);
}

TEST(EchoUnwrap, NestedPassKeepsOnlyNestedPayloads) {
  const Bytes firstPass =
      Concat({ToBytes("plain"), EchoRecord(ToBytes("one"), 'c'), ToBytes("between"),
              EchoRecord(ToBytes("two"), 'c'), ToBytes("end...")});
  const UnwrapResult result = BothPasses(Concat({EchoRecord(firstPass), ToBytes("......")}));
  EXPECT_TRUE(result.Enveloped);
  EXPECT_EQ(StreamOf(result), ToBytes("onetwo"));
}

TEST(EchoUnwrap, SingleNestedRecordOfBodyLengthFive) {
  const Bytes nestedRecord = ToBytes(">>005cPQ\r\n");
  const UnwrapResult result = BothPasses(Concat({EchoRecord(nestedRecord), ToBytes("......")}));
  EXPECT_TRUE(result.Enveloped);
  EXPECT_EQ(StreamOf(result), ToBytes("PQ"));
}

TEST(EchoUnwrap, EveryPieceOfTheStreamKnowsTheEchoRecordThatCarriedIt) {
  const Bytes a = EchoRecord(ToBytes("AAA"));
  const Bytes b = EchoRecord(ToBytes("BB"));
  const UnwrapResult plain =
      BothPasses(Concat({ToBytes("hdr"), a, ToBytes("~~"), EchoRecord({}), b, ToBytes("....")}));
  const std::uint64_t bAt = 3 + a.size() + 2 + EchoRecord({}).size();
  EXPECT_EQ(plain.Sources, (EchoSources{{0, 3}, {3, bAt}}));  // the empty record gives no piece
  EXPECT_EQ(SourceRecordOf(plain.Sources, 2), 3u);
  EXPECT_EQ(SourceRecordOf(plain.Sources, 4), bAt);

  // Nested records map to the outer record that carried their first byte.
  const Bytes outer1 =
      EchoRecord(Concat({EchoRecord(ToBytes("one"), 'c'), EchoRecord(ToBytes("two"), 'c')}));
  const Bytes outer2 = EchoRecord(Concat({EchoRecord(ToBytes("three"), 'c'), ToBytes("......")}));
  const UnwrapResult nested = BothPasses(Concat({outer1, outer2, ToBytes("......")}));
  ASSERT_TRUE(nested.Enveloped);
  EXPECT_EQ(StreamOf(nested), ToBytes("onetwothree"));
  EXPECT_EQ(nested.Sources, (EchoSources{{0, 0}, {3, 0}, {6, outer1.size()}}));
}

TEST(EchoUnwrap, NestedRecordInTheLastSixBytesIsNotFound) {
  // The first-pass result ends with ">>000c": that record starts 6 bytes from the end.
  const UnwrapResult late =
      BothPasses(Concat({EchoRecord(ToBytes("abcd>>000c")), ToBytes("......")}));
  EXPECT_FALSE(late.Enveloped);
  EXPECT_EQ(StreamOf(late), ToBytes("abcd>>000c"));
  // One byte later in the data and it starts 7 bytes from the end: found, empty.
  const UnwrapResult found =
      BothPasses(Concat({EchoRecord(ToBytes("abcd>>000cX")), ToBytes("......")}));
  EXPECT_TRUE(found.Enveloped);
  EXPECT_TRUE(found.CmrStream.empty());
}

}  // namespace
}  // namespace pelorin
