#pragma once
// The pages of a printed report: where its tables, charts and paragraphs
// fall, so that no table row and no chart is ever cut by a page break, a
// table's title never ends a page alone, and a table that runs on to the
// next page shows its header row again at the top. Also the widths of a
// table's columns on a page too narrow for its texts. Heights and widths are
// in any one unit.

#include <cstddef>
#include <vector>

namespace pelorin {

struct LayoutBlock {
  enum class Kind { Table, Chart, Paragraph };
  Kind Type = Kind::Paragraph;
  // A chart's or paragraph's whole height, a chart's title included.
  double Height = 0;
  // A table's title, its header row and its rows.
  double TitleHeight = 0;
  double HeaderHeight = 0;
  std::vector<double> RowHeights;

  static LayoutBlock Table(double titleHeight, double headerHeight, std::vector<double> rowHeights);
  static LayoutBlock Chart(double height);
  static LayoutBlock Paragraph(double height);
};

struct PlacedPiece {
  enum class Kind { Title, Header, Row, Whole };
  // Index of the block in the laid-out sequence.
  std::size_t Block = 0;
  Kind Type = Kind::Whole;
  // Which row of the table, for a Row.
  std::size_t Row = 0;
  // Top and height below the top of the page's content.
  double Y = 0;
  double Height = 0;
  // A chart or paragraph taller than a page is shrunk to the page's height
  // by this factor and stands alone on its page.
  double Scale = 1;
  // A header row repeated on a page that a table continues on.
  bool Continued = false;
};

using PlacedPage = std::vector<PlacedPiece>;

// The blocks in order on pages of `pageHeight`, `blockGap` between two
// blocks on one page. A chart or paragraph goes whole under the block
// before it when it fits there, else at the top of the next page. A table
// starts where its title, header and first row fit together, and continues
// row by row, its header repeated on each new page.
// A row too tall for a page under its header runs past the bottom of that
// page: no row is ever split, and the writer keeps rows shorter than that.
// At least one page, even with no blocks.
std::vector<PlacedPage> LayOutPages(const std::vector<LayoutBlock>& blocks, double pageHeight,
                                    double blockGap);

struct ColumnFit {
  std::vector<double> Widths;
  // Below 1 when the table's text is shrunk to fit the page's width.
  double TextScale = 1;
};

// Column widths for a table, given each column's width with its texts on
// one line (`natural`) and with its longest word (`narrowest`). Natural
// widths when they fit `available`; otherwise each column gets its narrowest
// width and the room left goes to the columns that wrap, in proportion to
// what they lack; when even the narrowest widths do not fit, the text shrinks
// (not below `smallestScale`), and below that the columns narrow further and
// break their words.
ColumnFit FitColumns(const std::vector<double>& natural, const std::vector<double>& narrowest,
                     double available, double smallestScale);

}  // namespace pelorin
