#include "views/SeriesPoints.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pelorin {
namespace {

// A NaN X sorts after every number, so that the order stays strict and weak.
double SortKey(double x) {
  return std::isnan(x) ? std::numeric_limits<double>::infinity() : x;
}

bool ComesBefore(const ChartPoint& a, const ChartPoint& b) {
  return SortKey(a.X) < SortKey(b.X);
}

// Pixel boxes stay well inside this bound, so that a shifted value is
// positive and truncation rounds it.
constexpr int kPixelBias = 1 << 20;

// The nearest pixel, for a value inside a pixel box (no libm call per point).
int RoundToPixel(double pixel) {
  return static_cast<int>(pixel + (kPixelBias + 0.5)) - kPixelBias;
}

}  // namespace

void SeriesPoints::Clear() {
  points_.clear();
  sorted_ = true;
}

void SeriesPoints::Append(const ChartPoint& point) {
  if (points_.empty()) {
    maxY_ = minY_ = point.Y;
  } else {
    if (sorted_ && ComesBefore(point, points_.back())) {
      sorted_ = false;
      firstUnsorted_ = points_.size();
    }
    maxY_ = std::max(maxY_, point.Y);
    minY_ = std::min(minY_, point.Y);
  }
  points_.push_back(point);
}

void SeriesPoints::Replace(ChartPoints&& points) {
  points_ = std::move(points);
  sorted_ = true;
  if (points_.empty()) return;
  maxY_ = minY_ = points_.front().Y;
  for (std::size_t k = 1; k < points_.size(); ++k) {
    const ChartPoint& point = points_[k];
    if (sorted_ && ComesBefore(point, points_[k - 1])) {
      sorted_ = false;
      firstUnsorted_ = k;
    }
    maxY_ = std::max(maxY_, point.Y);
    minY_ = std::min(minY_, point.Y);
  }
}

std::span<const ChartPoint> SeriesPoints::Sorted() const {
  if (!sorted_) {
    const auto rest = points_.begin() + static_cast<std::ptrdiff_t>(firstUnsorted_);
    if (!std::is_sorted(rest, points_.end(), ComesBefore)) {
      std::stable_sort(rest, points_.end(), ComesBefore);
    }
    // Stable: of equal points, those of the ordered part came first.
    std::inplace_merge(points_.begin(), rest, points_.end(), ComesBefore);
    sorted_ = true;
  }
  return points_;
}

const std::vector<MarkerPosition>& MarkerReducer::Reduce(std::span<const ChartPoint> sorted,
                                                         const PixelMapping& key,
                                                         const PixelMapping& value,
                                                         const PixelBox& box) {
  positions_.clear();
  const bool usable = key.Scale != 0 && std::isfinite(key.Scale) && value.Scale != 0 &&
                      std::isfinite(value.Scale) && box.Left <= box.Right &&
                      box.Top <= box.Bottom && box.Left > -kPixelBias / 2 &&
                      box.Top > -kPixelBias / 2 && box.Right < kPixelBias / 2 &&
                      box.Bottom < kPixelBias / 2;
  if (!usable) return positions_;

  // The X interval whose points land inside the box, a little wider so that
  // rounding at its edges loses nothing; the pixel test below is exact.
  double firstX = key.FromPixel(box.Left - 1.0);
  double lastX = key.FromPixel(box.Right + 1.0);
  if (firstX > lastX) std::swap(firstX, lastX);
  const auto begin =
      std::lower_bound(sorted.begin(), sorted.end(), firstX,
                       [](const ChartPoint& p, double x) { return SortKey(p.X) < x; });

  // A row is stamped with the column it last had a marker in; the columns
  // come in order, so a row stamped with the current column is a repeat.
  rowStamps_.assign(static_cast<std::size_t>(box.Bottom - box.Top) + 1, 0);
  std::uint32_t* const rowStamps = rowStamps_.data();
  std::uint32_t stamp = 0;
  int column = 0;
  // Locals, so that the loop keeps them in registers.
  const PixelMapping toX = key;
  const PixelMapping toY = value;
  const double leftLimit = box.Left - 0.5;
  const double rightLimit = box.Right + 0.5;
  const double topLimit = box.Top - 0.5;
  const double bottomLimit = box.Bottom + 0.5;
  const int top = box.Top;
  for (auto point = begin; point != sorted.end() && SortKey(point->X) <= lastX; ++point) {
    const double x = toX.ToPixel(point->X);
    const double y = toY.ToPixel(point->Y);
    // Written so that a NaN fails the test.
    if (!(x > leftLimit && x < rightLimit && y > topLimit && y < bottomLimit)) continue;
    const int px = RoundToPixel(x);
    const int py = RoundToPixel(y);
    if (stamp == 0 || px != column) {
      column = px;
      ++stamp;
    }
    std::uint32_t& rowStamp = rowStamps[py - top];
    if (rowStamp == stamp) continue;
    rowStamp = stamp;
    positions_.push_back({px, py});
  }
  return positions_;
}

}  // namespace pelorin
