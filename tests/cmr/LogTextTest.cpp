#include <gtest/gtest.h>

#include "cmr/LogText.h"

namespace pelorin {
namespace {

TEST(DecodeLogText, KeepsValidUtf8AndReadsOtherBytesAsLatin1) {
  EXPECT_EQ(DecodeLogText("PELO base"), "PELO base");
  EXPECT_EQ(DecodeLogText("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9B\xB0"),
            "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9B\xB0");
  EXPECT_EQ(DecodeLogText("caf\xE9"), "caf\xC3\xA9");  // Latin-1 e acute
  // Sequences cut short, overlong, surrogates and beyond U+10FFFF are not UTF-8.
  EXPECT_EQ(DecodeLogText("\xC3"), "\xC3\x83");
  EXPECT_EQ(DecodeLogText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(DecodeLogText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");
  EXPECT_EQ(DecodeLogText("\xF4\x90\x80\x80"), "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80");
  EXPECT_EQ(DecodeLogText(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(PrintableLogText, ShowsControlCharactersInsteadOfSendingThem) {
  EXPECT_EQ(PrintableLogText("\x1B[2Jgone"), "\\x1B[2Jgone");
  EXPECT_EQ(PrintableLogText("tab\there\r\n"), "tab\\x09here\\x0D\\x0A");
  EXPECT_EQ(PrintableLogText("\x7F"), "\\x7F");
  EXPECT_EQ(PrintableLogText("\x9B"), "\\x9B");      // a C1 byte, read as Latin-1
  EXPECT_EQ(PrintableLogText("\xC2\x9B"), "\\x9B");  // the same as UTF-8
  EXPECT_EQ(PrintableLogText("caf\xE9"), "caf\xC3\xA9");
}

}  // namespace
}  // namespace pelorin
