// Date-time labels of the time axes and the label steps of all axes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "views/AxisLabels.h"

namespace pelorin {
namespace {

constexpr double kSecond = 1.0 / 86400;

TEST(DateTimeLabel, TwoDigitFieldsOneBlankBeforeTwoAfter) {
  EXPECT_EQ(DateTimeLabel(39979.5), " 09/06/15 12:00:00  ");
  EXPECT_EQ(DateTimeLabel(39979.0 + 36001 * kSecond), " 09/06/15 10:00:01  ");
  EXPECT_EQ(DateTimeLabel(0), " 99/12/30 00:00:00  ");
  EXPECT_EQ(DateTimeLabel(36585.0 + 86399 * kSecond), " 00/02/29 23:59:59  ");
  EXPECT_EQ(DateTimeLabel(73050.0), " 99/12/31 00:00:00  ");  // 2099-12-31
}

// A label step lands a hair off the second it stands for; a real fraction
// of a second is cut, as a clock shows it.
TEST(DateTimeLabel, SecondsRoundedToTheMillisecondThenCut) {
  EXPECT_EQ(DateTimeLabel(39979.5 - 1e-11), " 09/06/15 12:00:00  ");
  EXPECT_EQ(DateTimeLabel(39979.5 + 0.9 * kSecond), " 09/06/15 12:00:00  ");
  EXPECT_EQ(DateTimeLabel(39979.5 - 0.1 * kSecond), " 09/06/15 11:59:59  ");
}

TEST(DateTimeLabel, NoTextForValuesNoCalendarShows) {
  EXPECT_EQ(DateTimeLabel(std::numeric_limits<double>::quiet_NaN()), "");
  EXPECT_EQ(DateTimeLabel(std::numeric_limits<double>::infinity()), "");
  EXPECT_EQ(DateTimeLabel(1e50), "");
  EXPECT_EQ(DateTimeLabel(-1), " 99/12/29 00:00:00  ");
}

TEST(TimeLabelStep, WholeDateTimeUnitsThatFit) {
  EXPECT_DOUBLE_EQ(TimeLabelStep(1.0 / 24, 0, 8, TimeSteps::DateTimeUnits), 600 * kSecond);
  EXPECT_DOUBLE_EQ(TimeLabelStep(20 * kSecond, 0, 8, TimeSteps::DateTimeUnits), 5 * kSecond);
  EXPECT_DOUBLE_EQ(TimeLabelStep(3.0, 0, 8, TimeSteps::DateTimeUnits), 0.5);
  EXPECT_DOUBLE_EQ(TimeLabelStep(30.0, 0, 8, TimeSteps::DateTimeUnits), 5.0);
}

TEST(TimeLabelStep, DecimalDaysAreRoundNumbersOfDays) {
  EXPECT_DOUBLE_EQ(TimeLabelStep(1.0 / 24, 0, 8, TimeSteps::DecimalDays), 0.01);
  EXPECT_DOUBLE_EQ(TimeLabelStep(1.0 / 24, 0, 10, TimeSteps::DecimalDays), 0.005);
}

// The desired increment stays while its labels fit, and grows by round
// multiples when a wider range would crowd them.
TEST(TimeLabelStep, DesiredIncrementOrARoundMultiple) {
  const double four = 4 * kSecond;
  EXPECT_DOUBLE_EQ(TimeLabelStep(17 * kSecond, four, 8, TimeSteps::DateTimeUnits), four);
  const double day = TimeLabelStep(1.0, four, 8, TimeSteps::DateTimeUnits);
  EXPECT_DOUBLE_EQ(day, 5000 * four);
  EXPECT_LE(1.0 / day, 8);
}

TEST(ValueLabelStep, IncrementWhileTheLabelsFit) {
  EXPECT_DOUBLE_EQ(ValueLabelStep(33, 1, 40), 1);
  EXPECT_DOUBLE_EQ(ValueLabelStep(33, 1, 20), 2);
  EXPECT_DOUBLE_EQ(ValueLabelStep(33, 1, 5), 10);
  EXPECT_DOUBLE_EQ(ValueLabelStep(33, 0, 10), 5);
  EXPECT_DOUBLE_EQ(ValueLabelStep(0, 0, 10), 1);
}

TEST(LabelPositions, MultiplesInsideTheRange) {
  EXPECT_EQ(LabelPositions(0.5, 3.2, 1), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(LabelPositions(-2, 0, 1), (std::vector<double>{-2, -1, 0}));
  EXPECT_TRUE(LabelPositions(0, 1, 0).empty());
  EXPECT_TRUE(LabelPositions(1, 0, 1).empty());
  EXPECT_TRUE(LabelPositions(-1e50, 1e50, 1).empty());
  EXPECT_TRUE(LabelPositions(0, std::numeric_limits<double>::quiet_NaN(), 1).empty());
}

// Steps of whole seconds land on whole seconds far from the origin.
TEST(LabelPositions, SecondsOfALogDay) {
  const auto positions = LabelPositions(39979.5, 39979.5 + 17 * kSecond, 4 * kSecond);
  ASSERT_EQ(positions.size(), 5u);
  EXPECT_EQ(DateTimeLabel(positions.front()), " 09/06/15 12:00:00  ");
  EXPECT_EQ(DateTimeLabel(positions.back()), " 09/06/15 12:00:16  ");
}

}  // namespace
}  // namespace pelorin
