#include "views/PageLayout.h"

#include <algorithm>
#include <numeric>

namespace pelorin {
namespace {

// Heights add up in floating point; a row that fills a page exactly must not
// be pushed over by the last bit of a sum.
constexpr double kSlack = 1e-9;

class Pager {
public:
  Pager(double pageHeight, double blockGap) : pageHeight_(pageHeight), blockGap_(blockGap) {
    pages_.emplace_back();
  }

  bool PageEmpty() const { return pages_.back().empty(); }
  bool Fits(double height) const {
    return y_ + height <= pageHeight_ + kSlack * std::max(1.0, pageHeight_);
  }
  void NewPage() {
    pages_.emplace_back();
    y_ = 0;
  }

  // Where a block starts: after the gap on this page when `together` fits
  // there with it, else at the top of the next.
  void StartBlock(double together) {
    if (PageEmpty()) return;
    if (Fits(blockGap_ + together)) {
      y_ += blockGap_;
    } else {
      NewPage();
    }
  }

  void Place(PlacedPiece piece, double height) {
    piece.Y = y_;
    piece.Height = height;
    pages_.back().push_back(piece);
    y_ += height;
  }

  double PageHeight() const { return pageHeight_; }
  std::vector<PlacedPage> Pages() && { return std::move(pages_); }

private:
  double pageHeight_;
  double blockGap_;
  double y_ = 0;
  std::vector<PlacedPage> pages_;
};

void PlaceWhole(Pager& pager, std::size_t index, double height) {
  PlacedPiece piece;
  piece.Block = index;
  piece.Type = PlacedPiece::Kind::Whole;
  if (height > pager.PageHeight() && pager.PageHeight() > 0) {
    piece.Scale = pager.PageHeight() / height;
    height = pager.PageHeight();
  }
  pager.StartBlock(height);
  pager.Place(piece, height);
}

void PlaceTable(Pager& pager, std::size_t index, const LayoutBlock& table) {
  const double firstRow = table.RowHeights.empty() ? 0 : table.RowHeights.front();
  pager.StartBlock(table.TitleHeight + table.HeaderHeight + firstRow);
  PlacedPiece piece;
  piece.Block = index;
  piece.Type = PlacedPiece::Kind::Title;
  pager.Place(piece, table.TitleHeight);
  piece.Type = PlacedPiece::Kind::Header;
  pager.Place(piece, table.HeaderHeight);
  // A page under a header with no row yet takes the next row whatever its
  // height, so that every page moves the table on.
  bool rowOnPage = false;
  for (std::size_t row = 0; row < table.RowHeights.size(); ++row) {
    const double height = table.RowHeights[row];
    if (rowOnPage && !pager.Fits(height)) {
      pager.NewPage();
      piece.Type = PlacedPiece::Kind::Header;
      piece.Continued = true;
      pager.Place(piece, table.HeaderHeight);
      piece.Continued = false;
    }
    piece.Type = PlacedPiece::Kind::Row;
    piece.Row = row;
    pager.Place(piece, height);
    rowOnPage = true;
  }
}

double Sum(const std::vector<double>& values) {
  return std::accumulate(values.begin(), values.end(), 0.0);
}

}  // namespace

LayoutBlock LayoutBlock::Table(double titleHeight, double headerHeight,
                               std::vector<double> rowHeights) {
  LayoutBlock block;
  block.Type = Kind::Table;
  block.TitleHeight = titleHeight;
  block.HeaderHeight = headerHeight;
  block.RowHeights = std::move(rowHeights);
  return block;
}

LayoutBlock LayoutBlock::Chart(double height) {
  LayoutBlock block;
  block.Type = Kind::Chart;
  block.Height = height;
  return block;
}

LayoutBlock LayoutBlock::Paragraph(double height) {
  LayoutBlock block;
  block.Type = Kind::Paragraph;
  block.Height = height;
  return block;
}

std::vector<PlacedPage> LayOutPages(const std::vector<LayoutBlock>& blocks, double pageHeight,
                                    double blockGap) {
  Pager pager(pageHeight, blockGap);
  for (std::size_t index = 0; index < blocks.size(); ++index) {
    const LayoutBlock& block = blocks[index];
    if (block.Type == LayoutBlock::Kind::Table) {
      PlaceTable(pager, index, block);
    } else {
      PlaceWhole(pager, index, block.Height);
    }
  }
  return std::move(pager).Pages();
}

ColumnFit FitColumns(const std::vector<double>& natural, const std::vector<double>& narrowest,
                     double available, double smallestScale) {
  ColumnFit fit;
  fit.Widths = natural;
  available = std::max(available, 0.0);
  if (Sum(natural) <= available) return fit;

  std::vector<double> least(natural.size());
  for (std::size_t i = 0; i < natural.size(); ++i) {
    least[i] = std::min(natural[i], i < narrowest.size() ? narrowest[i] : natural[i]);
  }
  const double leastSum = Sum(least);
  if (leastSum <= available) {
    const double lacking = Sum(natural) - leastSum;
    const double room = available - leastSum;
    for (std::size_t i = 0; i < natural.size(); ++i) {
      fit.Widths[i] = least[i] + (lacking > 0 ? room * (natural[i] - least[i]) / lacking : 0);
    }
    return fit;
  }

  // Every column at its narrowest, all shrunk alike; past the smallest text
  // the widths alone shrink and the words break.
  const double shrink = available / leastSum;
  fit.TextScale = std::max(shrink, std::min(smallestScale, 1.0));
  for (std::size_t i = 0; i < least.size(); ++i) fit.Widths[i] = least[i] * shrink;
  return fit;
}

}  // namespace pelorin
