#include <gtest/gtest.h>

#include <random>
#include <string>

#include "log/PatternSearch.h"

namespace pelorin {
namespace {

std::optional<PatternMatch> Naive(std::string_view text, std::string_view a, std::string_view b,
                                  std::uint64_t from) {
  for (std::uint64_t at = from; at < text.size(); ++at) {
    if (text.substr(at, a.size()) == a) return PatternMatch{at, true};
    if (text.substr(at, b.size()) == b) return PatternMatch{at, false};
  }
  return std::nullopt;
}

TEST(FindEitherPattern, FindsWhatAByteByByteSearchFindsFromEveryOffset) {
  // Texts of few letters make near misses, patterns across block edges and
  // patterns cut off by the end common.
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    std::string text(random() % 90, ' ');
    for (char& c : text) c = "~~0056RD"[random() % 8];
    if (round % 3 == 0 && text.size() > 5) text.replace(random() % (text.size() - 4), 5, "RD006");
    for (std::uint64_t from = 0; from <= text.size() + 1; ++from) {
      const auto expected = Naive(text, "~~005", "RD006", from);
      const auto found = FindEitherPattern(text, "~~005", "RD006", from);
      ASSERT_EQ(found.has_value(), expected.has_value()) << text << " from " << from;
      if (found) {
        ASSERT_EQ(found->Offset, expected->Offset) << text << " from " << from;
        ASSERT_EQ(found->First, expected->First) << text << " from " << from;
      }
    }
  }
}

TEST(FindEitherPattern, ZeroBytesAndTheFirstOfTwoAtOneOffset) {
  std::string text("ab\0~~005", 8);
  text.append(40, '\0');
  text.append("RD006");
  EXPECT_EQ(FindEitherPattern(text, "~~005", "RD006")->Offset, 3u);
  EXPECT_FALSE(FindEitherPattern(text, "~~005", "RD006", 4)->First);
  EXPECT_FALSE(FindEitherPattern(text.substr(0, text.size() - 1), "~~005", "RD006", 4));
}

}  // namespace
}  // namespace pelorin
