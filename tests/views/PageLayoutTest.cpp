// The printed report's pages: breaks that never cut a row or a chart, titles
// kept with their tables, headers repeated, and column widths on a narrow
// page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/PageLayout.h"

namespace pelorin {
namespace {

using Kind = PlacedPiece::Kind;

// One page as "t0@0 h0@10 r0.0@20 w1@40 …": title, header (H when
// repeated), row, whole block, each with its block index and top.
std::string Describe(const PlacedPage& page) {
  std::string text;
  for (const PlacedPiece& piece : page) {
    if (!text.empty()) text += ' ';
    switch (piece.Type) {
      case Kind::Title:
        text += 't';
        break;
      case Kind::Header:
        text += piece.Continued ? 'H' : 'h';
        break;
      case Kind::Row:
        text += 'r';
        break;
      case Kind::Whole:
        text += 'w';
        break;
    }
    text += std::to_string(piece.Block);
    if (piece.Type == Kind::Row) text += '.' + std::to_string(piece.Row);
    text += '@' + std::to_string(static_cast<int>(piece.Y));
  }
  return text;
}

std::vector<std::string> Describe(const std::vector<PlacedPage>& pages) {
  std::vector<std::string> all;
  for (const PlacedPage& page : pages) all.push_back(Describe(page));
  return all;
}

using Pages = std::vector<std::string>;

TEST(LayOutPages, RowsThatFillAPageExactlyStayAndOneMoreStartsTheNext) {
  const LayoutBlock full = LayoutBlock::Table(10, 10, std::vector<double>(8, 10));
  EXPECT_EQ(Describe(LayOutPages({full}, 100, 5)),
            (Pages{"t0@0 h0@10 r0.0@20 r0.1@30 r0.2@40 r0.3@50 r0.4@60 r0.5@70 r0.6@80 r0.7@90"}));

  const LayoutBlock over = LayoutBlock::Table(10, 10, std::vector<double>(9, 10));
  const std::vector<PlacedPage> pages = LayOutPages({over}, 100, 5);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(Describe(pages[1]), "H0@0 r0.8@10");

  // Heights that do not add up exactly in binary still fill the page.
  const LayoutBlock tenths = LayoutBlock::Table(0.1, 0.1, std::vector<double>(8, 0.1));
  EXPECT_EQ(LayOutPages({tenths}, 1.0, 0).size(), 1u);
}

TEST(LayOutPages, ChartOrParagraphGoesWholeToTheNextPage) {
  const std::vector<LayoutBlock> blocks = {LayoutBlock::Paragraph(60), LayoutBlock::Chart(35),
                                           LayoutBlock::Chart(40), LayoutBlock::Paragraph(60)};
  // 60 + 5 + 35 = 100 fills the first page; the second chart and the
  // paragraph after it do not fit together.
  EXPECT_EQ(Describe(LayOutPages(blocks, 100, 5)), (Pages{"w0@0 w1@65", "w2@0", "w3@0"}));
}

TEST(LayOutPages, TallerThanAPageShrinksAndStandsAlone) {
  const std::vector<LayoutBlock> blocks = {LayoutBlock::Paragraph(20), LayoutBlock::Chart(400),
                                           LayoutBlock::Paragraph(10)};
  const std::vector<PlacedPage> pages = LayOutPages(blocks, 100, 5);
  EXPECT_EQ(Describe(pages), (Pages{"w0@0", "w1@0", "w2@0"}));
  EXPECT_DOUBLE_EQ(pages[1][0].Height, 100);
  EXPECT_DOUBLE_EQ(pages[1][0].Scale, 0.25);
  EXPECT_DOUBLE_EQ(pages[0][0].Scale, 1);
}

TEST(LayOutPages, TitleIsNeverLeftAloneAtTheBottom) {
  const LayoutBlock table = LayoutBlock::Table(10, 10, {10, 10});
  // Room for the title and header (25 - 5 gap = 20) but not the first row.
  EXPECT_EQ(Describe(LayOutPages({LayoutBlock::Paragraph(75), table}, 100, 5)),
            (Pages{"w0@0", "t1@0 h1@10 r1.0@20 r1.1@30"}));
  // Room for the three together: the table starts there and continues.
  EXPECT_EQ(Describe(LayOutPages({LayoutBlock::Paragraph(65), table}, 100, 5)),
            (Pages{"w0@0 t1@70 h1@80 r1.0@90", "H1@0 r1.1@10"}));
}

TEST(LayOutPages, LongTableRepeatsItsHeaderOnEveryPageAndKeepsEveryRowOnce) {
  const std::size_t rowCount = 40;
  const std::vector<LayoutBlock> blocks = {
      LayoutBlock::Paragraph(25),
      LayoutBlock::Table(10, 10, std::vector<double>(rowCount, 10)),
      LayoutBlock::Chart(50),
  };
  const std::vector<PlacedPage> pages = LayOutPages(blocks, 100, 5);
  // 5 rows under the paragraph, then 9 a page under the header: 5 + 9 + 9 +
  // 9 + 8, and the chart does not fit under the last 8.
  ASSERT_EQ(pages.size(), 6u);
  EXPECT_EQ(Describe(pages[0]), "w0@0 t1@30 h1@40 r1.0@50 r1.1@60 r1.2@70 r1.3@80 r1.4@90");
  EXPECT_EQ(Describe(pages[5]), "w2@0");
  std::size_t nextRow = 0;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    SCOPED_TRACE(page);
    double bottom = 0;
    for (const PlacedPiece& piece : pages[page]) {
      EXPECT_GE(piece.Y, bottom);
      bottom = piece.Y + piece.Height;
      if (piece.Type == Kind::Row) {
        EXPECT_EQ(piece.Row, nextRow++);
      }
    }
    EXPECT_LE(bottom, 100);
    if (page > 0 && page < 5) {
      EXPECT_EQ(pages[page].front().Type, Kind::Header);
      EXPECT_TRUE(pages[page].front().Continued);
      EXPECT_EQ(pages[page].front().Y, 0);
    }
  }
  EXPECT_EQ(nextRow, rowCount);
}

TEST(LayOutPages, EmptyTableKeepsTitleWithHeaderAndNoBlocksIsOneEmptyPage) {
  EXPECT_EQ(
      Describe(LayOutPages({LayoutBlock::Paragraph(80), LayoutBlock::Table(10, 10, {})}, 100, 5)),
      (Pages{"w0@0", "t1@0 h1@10"}));
  // The "none" row the writer puts in an empty table goes with them.
  EXPECT_EQ(
      Describe(LayOutPages({LayoutBlock::Paragraph(70), LayoutBlock::Table(10, 10, {10})}, 100, 5)),
      (Pages{"w0@0", "t1@0 h1@10 r1.0@20"}));
  EXPECT_EQ(Describe(LayOutPages({}, 100, 5)), (Pages{""}));
}

// A row taller than a page under its header still moves the table on.
TEST(LayOutPages, OverlongRowRunsPastThePageInsteadOfLooping) {
  const std::vector<PlacedPage> pages =
      LayOutPages({LayoutBlock::Table(10, 10, {10, 150, 10})}, 100, 5);
  EXPECT_EQ(Describe(pages), (Pages{"t0@0 h0@10 r0.0@20", "H0@0 r0.1@10", "H0@0 r0.2@10"}));
}

TEST(FitColumns, NaturalWidthsThenWrappingThenSmallerText) {
  // Room for all.
  ColumnFit fit = FitColumns({100, 200}, {50, 80}, 400, 0.7);
  EXPECT_EQ(fit.Widths, (std::vector<double>{100, 200}));
  EXPECT_DOUBLE_EQ(fit.TextScale, 1);

  // 60 short of room: the narrow column keeps its width, the wrapping ones
  // share the loss by what they lack of their natural width.
  fit = FitColumns({40, 200, 120}, {40, 80, 80}, 300, 0.7);
  EXPECT_DOUBLE_EQ(fit.TextScale, 1);
  EXPECT_DOUBLE_EQ(fit.Widths[0], 40);
  EXPECT_DOUBLE_EQ(fit.Widths[1], 80 + 100 * 120 / 160.0);
  EXPECT_DOUBLE_EQ(fit.Widths[2], 80 + 100 * 40 / 160.0);

  // Longest words 400 wide on 300: the text shrinks to three quarters.
  fit = FitColumns({300, 300}, {200, 200}, 300, 0.7);
  EXPECT_DOUBLE_EQ(fit.TextScale, 0.75);
  EXPECT_EQ(fit.Widths, (std::vector<double>{150, 150}));

  // On 200 the text stops at its smallest and the words break.
  fit = FitColumns({300, 300}, {200, 200}, 200, 0.7);
  EXPECT_DOUBLE_EQ(fit.TextScale, 0.7);
  EXPECT_EQ(fit.Widths, (std::vector<double>{100, 100}));
}

}  // namespace
}  // namespace pelorin
