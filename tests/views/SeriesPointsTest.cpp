// The windows' point store, and the pass that keeps one marker per pixel.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "views/SeriesPoints.h"

namespace pelorin {
namespace {

std::vector<double> Ys(std::span<const ChartPoint> points) {
  std::vector<double> ys;
  for (const ChartPoint& p : points) ys.push_back(p.Y);
  return ys;
}

// Missing seconds come as T-1, T-2, T-3 within a message; equal times keep
// the order they came in.
TEST(SeriesPoints, SortsOnceStablyByX) {
  SeriesPoints points;
  points.Append({10, 1, 0});
  points.Append({9, 2, 0});
  points.Append({8, 3, 0});
  points.Append({9, 4, 0});
  points.Append({20, 5, 0});
  points.Append({9, 6, 0});
  EXPECT_EQ(Ys(points.Sorted()), (std::vector<double>{3, 2, 4, 6, 1, 5}));
  // Appending in order after a sort keeps it sorted without another one.
  points.Append({20, 7, 0});
  EXPECT_EQ(Ys(points.Sorted()), (std::vector<double>{3, 2, 4, 6, 1, 5, 7}));
}

// A day's times that jump back once: the part after the jump merges in
// before the later points, and ties still keep their arrival order.
TEST(SeriesPoints, OneJumpBackMergesStably) {
  SeriesPoints points;
  for (const double x : {1.0, 2.0, 3.0, 4.0}) points.Append({x, x, 0});
  points.Append({2.0, 20, 0});
  points.Append({2.5, 25, 0});
  points.Append({4.0, 40, 0});
  points.Append({3.5, 35, 0});
  EXPECT_EQ(Ys(points.Sorted()), (std::vector<double>{1, 2, 20, 25, 3, 35, 4, 40}));
}

TEST(SeriesPoints, LargestAndSmallestOverAllPoints) {
  SeriesPoints points;
  EXPECT_EQ(points.MaxY(), 0);
  EXPECT_EQ(points.MinY(), 0);
  points.Append({1, -1, 0});
  EXPECT_EQ(points.MaxY(), -1);
  EXPECT_EQ(points.MinY(), -1);
  points.Append({0, 12, 0});
  points.Append({2, 3, 0});
  EXPECT_EQ(points.MaxY(), 12);
  EXPECT_EQ(points.MinY(), -1);

  // A cleared store forgets the old range.
  points.Clear();
  EXPECT_EQ(points.MaxY(), 0);
  points.Append({5, 7, 0});
  EXPECT_EQ(points.MaxY(), 7);
  EXPECT_EQ(points.MinY(), 7);
  EXPECT_EQ(points.Size(), 1u);
}

TEST(SeriesPoints, NanXSortsLastWithoutBreakingTheOrder) {
  SeriesPoints points;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double x : {3.0, nan, 1.0, 2.0, nan, 0.0}) points.Append({x, x, 0});
  const auto sorted = points.Sorted();
  EXPECT_EQ(sorted[0].X, 0);
  EXPECT_EQ(sorted[3].X, 3);
  EXPECT_TRUE(std::isnan(sorted[4].X));
  EXPECT_TRUE(std::isnan(sorted[5].X));
}

// Handing over an analysis's points whole stores what appending them one by
// one stores: the same order once sorted, the same range, on logs of points
// in order, with jumps back and ties, and with times that are no number.
TEST(SeriesPoints, PointsHandedOverWholeAreStoredAsIfAppendedOneByOne) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::uint32_t state = 12345;
  const auto next = [&state] { return (state = state * 1'103'515'245u + 12'345u) >> 16; };
  for (int round = 0; round < 50; ++round) {
    ChartPoints handed;
    SeriesPoints appended;
    double x = 40'000;
    const int count = round == 0 ? 0 : static_cast<int>(next() % 400);
    for (int k = 0; k < count; ++k) {
      const std::uint32_t step = next() % 100;
      x += step < 80 ? 0.001 : step < 90 ? 0 : step < 98 ? -0.01 * (step - 89) : 0;
      const ChartPoint point{step == 99 ? nan : x, static_cast<double>(next() % 64) - 1, 0};
      handed.push_back(point);
      appended.Append(point);
    }
    SeriesPoints whole;
    whole.Append({1, 99, 0});  // what an analysis before left
    whole.Replace(std::move(handed));
    ASSERT_EQ(whole.Size(), appended.Size()) << round;
    EXPECT_EQ(whole.MaxY(), appended.MaxY()) << round;
    EXPECT_EQ(whole.MinY(), appended.MinY()) << round;
    const auto a = whole.Sorted();
    const auto b = appended.Sorted();
    for (std::size_t k = 0; k < a.size(); ++k) {
      ASSERT_EQ(a[k].Y, b[k].Y) << round << " " << k;
      ASSERT_TRUE(a[k].X == b[k].X || (std::isnan(a[k].X) && std::isnan(b[k].X)));
    }
  }
}

// One pixel per unit on both axes, the plot from 0 to 99.
struct Reduction {
  PixelMapping Key{0, 1, 0};
  PixelMapping Value{0, 1, 0};
  PixelBox Box{0, 0, 99, 99};
  MarkerReducer Reducer;

  std::vector<MarkerPosition> Run(const std::vector<ChartPoint>& points) {
    return Reducer.Reduce(points, Key, Value, Box);
  }
};

TEST(MarkerReduction, OneMarkerPerPixelPositionAndRow) {
  Reduction reduction;
  std::vector<ChartPoint> points;
  // A day at 1 Hz squeezed onto 100 columns, two rows, the rows interleaved.
  for (int k = 0; k < 8640; ++k) {
    points.push_back({k / 86.4, 10, 0});
    points.push_back({k / 86.4, 20, 0});
  }
  const auto positions = reduction.Run(points);
  ASSERT_EQ(positions.size(), 200u);
  EXPECT_EQ(positions[0], (MarkerPosition{0, 10}));
  EXPECT_EQ(positions[1], (MarkerPosition{0, 20}));
  EXPECT_EQ(positions[199], (MarkerPosition{99, 20}));
}

TEST(MarkerReduction, RowSeenEarlierInTheSameColumnIsARepeat) {
  Reduction reduction;
  const auto positions =
      reduction.Run({{5.0, 3, 0}, {5.1, 7, 0}, {5.2, 3.2, 0}, {6.0, 3, 0}, {6.1, 7, 0}});
  EXPECT_EQ(positions, (std::vector<MarkerPosition>{{5, 3}, {5, 7}, {6, 3}, {6, 7}}));
}

// Centres from half a pixel before the box to half a pixel past it show;
// the rest, and NaN values, do not.
TEST(MarkerReduction, KeepsOnlyCentresInsideTheBox) {
  Reduction reduction;
  reduction.Box = {10, 10, 20, 20};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto positions = reduction.Run({{9.4, 15, 0},
                                        {9.6, 15, 0},
                                        {12, 9.4, 0},
                                        {13, nan, 0},
                                        {15, 20.4, 0},
                                        {16, 20.6, 0},
                                        {20.4, 12, 0},
                                        {20.6, 12, 0}});
  EXPECT_EQ(positions, (std::vector<MarkerPosition>{{10, 15}, {15, 20}, {20, 12}}));
}

// Date-times of some 40 000 days zoomed to a few seconds keep their pixels.
TEST(MarkerReduction, DateTimesZoomedToSeconds) {
  Reduction reduction;
  const double start = 39979.5;
  const double second = 1.0 / 86400;
  reduction.Key = {start, 10 / second, 0};  // 10 pixels a second
  std::vector<ChartPoint> points;
  for (int k = -5; k < 20; ++k) points.push_back({start + k * second, 1, 0});
  const auto positions = reduction.Run(points);
  ASSERT_EQ(positions.size(), 10u);
  EXPECT_EQ(positions.front(), (MarkerPosition{0, 1}));
  EXPECT_EQ(positions.back(), (MarkerPosition{90, 1}));
}

TEST(MarkerReduction, NothingForAnUnusableMapping) {
  Reduction reduction;
  reduction.Key.Scale = 0;
  EXPECT_TRUE(reduction.Run({{1, 1, 0}}).empty());
  reduction.Key.Scale = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(reduction.Run({{1, 1, 0}}).empty());
  reduction.Key.Scale = 1;
  reduction.Box = {10, 10, 5, 20};
  EXPECT_TRUE(reduction.Run({{7, 15, 0}}).empty());
}

}  // namespace
}  // namespace pelorin
