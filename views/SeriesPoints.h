#pragma once
// The points of one chart series as the windows keep them, and the pass that
// turns the points in view into the marker positions worth drawing.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/ChartSeries.h"

namespace pelorin {

// Points in ascending X; points with equal X keep the order they came in.
// The analysis appends a day's worth of points one by one, nearly all in
// order: an append only notes where the order first broke, and the first
// reader after that sorts once, stably, instead of every append. The points
// before that break are already in order, so only the rest is sorted and
// then merged in: a day whose times jump back once costs two passes.
class SeriesPoints {
public:
  void Clear();
  void Append(const ChartPoint& point);
  // Takes all of an analysis's points at once, as they came: the same as
  // clearing and appending them one by one, without a copy.
  void Replace(ChartPoints&& points);

  std::size_t Size() const { return points_.size(); }
  bool Empty() const { return points_.empty(); }
  // Sorted by X, sorting first if an append broke the order.
  std::span<const ChartPoint> Sorted() const;

  // Over all points; 0 for an empty store.
  double MaxY() const { return points_.empty() ? 0 : maxY_; }
  double MinY() const { return points_.empty() ? 0 : minY_; }

private:
  mutable ChartPoints points_;
  mutable bool sorted_ = true;
  // Where the order first broke since the last sort.
  mutable std::size_t firstUnsorted_ = 0;
  double maxY_ = 0;
  double minY_ = 0;
};

// From a value to a pixel coordinate: (value - Origin) × Scale + Offset.
// Subtracting the origin first keeps sub-pixel precision for date-times of
// some 40 000 days zoomed to a few seconds.
struct PixelMapping {
  double Origin = 0;
  double Scale = 1;
  double Offset = 0;
  double ToPixel(double value) const { return (value - Origin) * Scale + Offset; }
  double FromPixel(double pixel) const { return (pixel - Offset) / Scale + Origin; }
};

// Where a marker centre must lie to show, in pixels, bounds included: the
// plot area grown by the reach of a marker beyond its centre.
struct PixelBox {
  int Left = 0;
  int Top = 0;
  int Right = -1;
  int Bottom = -1;
};

struct MarkerPosition {
  int X = 0;
  int Y = 0;
  bool operator==(const MarkerPosition&) const = default;
};

// A day of 1 Hz points puts hundreds of points on every pixel column, and one
// marker drawn there looks the same as hundreds. One pass over the points in
// view keeps each pixel position once; the buffers live between passes.
class MarkerReducer {
public:
  // Valid until the next call.
  const std::vector<MarkerPosition>& Reduce(std::span<const ChartPoint> sorted,
                                            const PixelMapping& key, const PixelMapping& value,
                                            const PixelBox& box);

private:
  std::vector<MarkerPosition> positions_;
  std::vector<std::uint32_t> rowStamps_;
};

}  // namespace pelorin
