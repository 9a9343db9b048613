#include "charts/LinkReportPdf.h"

#include <qcustomplot.h>

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPicture>
#include <QRegularExpression>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <variant>

#include "views/PageLayout.h"
#include "widgets/Fonts.h"
#include "widgets/SaveDialog.h"

namespace pelorin {
namespace {

// One device unit is a tenth of a point, so that fonts, which take whole
// pixel sizes, can be 8.5 points.
constexpr int kResolution = 720;
constexpr double kUnitsPerPoint = kResolution / 72.0;
constexpr double kMarginMm = 15;

// Sizes in points.
constexpr double kBandPt = 8;
constexpr double kHeadingPt = 14;
constexpr double kBlockTitlePt = 10.5;
constexpr double kTablePt = 8;
constexpr double kParagraphPt = 9.5;
constexpr double kCellPadXPt = 3;
constexpr double kCellPadYPt = 1.5;
constexpr double kTitleGapPt = 3;
constexpr double kBlockGapPt = 12;
constexpr double kBandGapPt = 10;
constexpr double kRulePt = 0.4;
constexpr double kBandRulePt = 0.6;

// A wide table's text goes down to 6 points before its words break.
constexpr double kSmallestTableScale = 0.75;
// Keeps every row well within a page; a cell's text past this is cut.
constexpr int kMostCellLines = 12;
// Charts are drawn in their own pixels, fonts too, and scaled to the page's
// 180 mm: drawn 600 to 1000 pixels wide, a 12-pixel label reads 6 to 10
// points.
constexpr int kNarrowestChartPx = 600;
constexpr int kWidestChartPx = 1000;
constexpr int kDefaultChartWidthPx = 800;
constexpr int kDefaultChartHeightPx = 400;

const QColor kRuleColor(170, 170, 170);
const QColor kHeaderFill(234, 234, 234);

double Units(double points) {
  return points * kUnitsPerPoint;
}

QFont Font(double points, bool bold = false) {
  return ArialFont(std::max(1, static_cast<int>(std::lround(Units(points)))), bold);
}

// Line breaks kept, tabs as blanks: the text layout knows only its own
// line separator.
QString Printable(QString text) {
  text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  text.replace(QLatin1Char('\t'), QLatin1Char(' '));
  return text;
}

// Text in lines of one width, measured and drawn by the same layout.
class TextBox {
public:
  TextBox(const QString& text, const QFont& font, double width, const QPaintDevice* device,
          int mostLines = INT_MAX)
      : layout_(Printable(text), font, device) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(option);
    layout_.beginLayout();
    for (int lines = 0; lines < mostLines; ++lines) {
      QTextLine line = layout_.createLine();
      if (!line.isValid()) break;
      line.setLineWidth(std::max(1.0, width));
      line.setPosition(QPointF(0, height_));
      height_ += line.height();
    }
    layout_.endLayout();
  }

  double Height() const { return height_; }
  void Draw(QPainter& painter, QPointF at) const { layout_.draw(&painter, at); }

private:
  QTextLayout layout_;
  double height_ = 0;
};

// Widest line, and widest word, of a text.
double NaturalWidth(const QFontMetricsF& metrics, const QString& text) {
  double widest = 0;
  for (const QString& line : Printable(text).split(QChar::LineSeparator)) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  return widest;
}

double NarrowestWidth(const QFontMetricsF& metrics, const QString& text) {
  double widest = 0;
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  for (const QString& word : text.split(blanks, Qt::SkipEmptyParts)) {
    widest = std::max(widest, metrics.horizontalAdvance(word));
  }
  return widest;
}

struct PreparedTable {
  QString Title;
  QStringList Header;
  std::vector<QStringList> Rows;
  QFont Font;
  QFont HeaderFont;
  // Column widths with their padding.
  std::vector<double> Widths;
  double TitleHeight = 0;
  double HeaderHeight = 0;
  std::vector<double> RowHeights;
};

struct PreparedChart {
  QString Title;
  QCustomPlot* Plot = nullptr;
  QSize RenderSize;
  double TitleHeight = 0;
  double PictureHeight = 0;
};

struct PreparedParagraph {
  QString Text;
  QFont Font;
  double Height = 0;
};

using Prepared = std::variant<PreparedTable, PreparedChart, PreparedParagraph>;

class ReportPainter {
public:
  ReportPainter(QPdfWriter& writer, const PdfDocument& document)
      : writer_(writer),
        document_(document),
        width_(writer.width()),
        bandFont_(Font(kBandPt)),
        bandBoldFont_(Font(kBandPt, true)),
        titleFont_(Font(kBlockTitlePt, true)) {
    const double line = QFontMetricsF(bandFont_, &writer_).lineSpacing();
    bandHeight_ = 2 * line + Units(kTitleGapPt);
    contentTop_ = bandHeight_ + Units(kBandGapPt);
  }

  bool Write() {
    if (!document_.Title.isEmpty()) {
      blocks_.push_back(PrepareParagraph({document_.Title, true}, Font(kHeadingPt, true)));
    }
    for (const PdfBlock& block : document_.Blocks) {
      if (const auto* table = std::get_if<PdfTable>(&block)) {
        blocks_.push_back(PrepareTable(*table));
      } else if (const auto* chart = std::get_if<PdfChart>(&block)) {
        blocks_.push_back(PrepareChart(*chart));
      } else {
        const auto& paragraph = std::get<PdfParagraph>(block);
        blocks_.push_back(PrepareParagraph(paragraph, Font(kParagraphPt, paragraph.Bold)));
      }
    }
    std::vector<LayoutBlock> layout;
    for (const Prepared& block : blocks_) layout.push_back(LayoutOf(block));
    const std::vector<PlacedPage> pages =
        LayOutPages(layout, writer_.height() - contentTop_, Units(kBlockGapPt));

    QPainter painter;
    if (!painter.begin(&writer_)) return false;
    for (std::size_t page = 0; page < pages.size(); ++page) {
      if (page > 0 && !writer_.newPage()) return false;
      DrawBand(painter, page + 1, pages.size());
      for (const PlacedPiece& piece : pages[page]) DrawPiece(painter, piece);
    }
    return painter.end();
  }

private:
  PreparedParagraph PrepareParagraph(const PdfParagraph& paragraph, const QFont& font) const {
    return {paragraph.Text, font, TextBox(paragraph.Text, font, width_, &writer_).Height()};
  }

  double TitleHeight(const QString& title) const {
    if (title.isEmpty()) return 0;
    return TextBox(title, titleFont_, width_, &writer_).Height() + Units(kTitleGapPt);
  }

  PreparedTable PrepareTable(const PdfTable& source) const {
    PreparedTable table;
    table.Title = source.Title;
    table.TitleHeight = TitleHeight(source.Title);
    std::size_t columns = std::max<std::size_t>(source.Table.Header.size(), 1);
    for (const auto& row : source.Table.Rows) columns = std::max(columns, row.size());
    auto cells = [columns](const std::vector<std::string>& texts) {
      QStringList list;
      for (std::size_t i = 0; i < columns; ++i) {
        list.append(i < texts.size() ? QString::fromStdString(texts[i]) : QString());
      }
      return list;
    };
    table.Header = cells(source.Table.Header);
    for (const auto& row : source.Table.Rows) table.Rows.push_back(cells(row));
    if (table.Rows.empty()) table.Rows.push_back(cells({"none"}));

    // Widths of the texts alone; the padding is added after the fit so that
    // a shrunk text keeps its full padding.
    const double padX = Units(kCellPadXPt);
    std::vector<double> natural(columns, 0);
    std::vector<double> narrowest(columns, 0);
    auto measure = [&](const QStringList& texts, const QFont& font) {
      const QFontMetricsF metrics(font, &writer_);
      for (std::size_t i = 0; i < columns; ++i) {
        const QString& text = texts[static_cast<qsizetype>(i)];
        natural[i] = std::max(natural[i], NaturalWidth(metrics, text));
        narrowest[i] = std::max(narrowest[i], NarrowestWidth(metrics, text));
      }
    };
    measure(table.Header, Font(kTablePt, true));
    for (const QStringList& row : table.Rows) measure(row, Font(kTablePt));
    // So many columns that their padding alone is wider than the page run
    // past its edge rather than vanish.
    const double textRoom =
        std::max(width_ - 2 * padX * static_cast<double>(columns),
                 Units(kTablePt * kSmallestTableScale) * static_cast<double>(columns));
    const ColumnFit fit = FitColumns(natural, narrowest, textRoom, kSmallestTableScale);
    table.Font = Font(kTablePt * fit.TextScale);
    table.HeaderFont = Font(kTablePt * fit.TextScale, true);
    for (const double width : fit.Widths) table.Widths.push_back(width + 2 * padX);

    table.HeaderHeight = RowHeight(table, table.Header, table.HeaderFont);
    for (const QStringList& row : table.Rows) {
      table.RowHeights.push_back(RowHeight(table, row, table.Font));
    }
    return table;
  }

  double RowHeight(const PreparedTable& table, const QStringList& row, const QFont& font) const {
    double tallest = QFontMetricsF(font, &writer_).height();
    for (std::size_t i = 0; i < table.Widths.size(); ++i) {
      const TextBox box(row[static_cast<qsizetype>(i)], font, CellTextWidth(table.Widths[i]),
                        &writer_, kMostCellLines);
      tallest = std::max(tallest, box.Height());
    }
    return tallest + 2 * Units(kCellPadYPt);
  }

  static double CellTextWidth(double columnWidth) { return columnWidth - 2 * Units(kCellPadXPt); }

  PreparedChart PrepareChart(const PdfChart& source) const {
    PreparedChart chart;
    chart.Title = source.Title;
    chart.Plot = source.Plot;
    chart.TitleHeight = TitleHeight(source.Title);
    if (!source.Plot) return chart;
    QSize size = source.Size.isEmpty() ? source.Plot->size() : source.Size;
    if (size.isEmpty()) size = QSize(kDefaultChartWidthPx, kDefaultChartHeightPx);
    const int width = std::clamp(size.width(), kNarrowestChartPx, kWidestChartPx);
    const double height = static_cast<double>(size.height()) * width / size.width();
    chart.RenderSize = QSize(width, std::max(1, static_cast<int>(std::lround(height))));
    chart.PictureHeight = width_ * chart.RenderSize.height() / chart.RenderSize.width();
    return chart;
  }

  static LayoutBlock LayoutOf(const Prepared& block) {
    if (const auto* table = std::get_if<PreparedTable>(&block)) {
      return LayoutBlock::Table(table->TitleHeight, table->HeaderHeight, table->RowHeights);
    }
    if (const auto* chart = std::get_if<PreparedChart>(&block)) {
      return LayoutBlock::Chart(chart->TitleHeight + chart->PictureHeight);
    }
    return LayoutBlock::Paragraph(std::get<PreparedParagraph>(block).Height);
  }

  // The log's name and the date above, the station and the page number
  // below, a rule under both.
  void DrawBand(QPainter& painter, std::size_t page, std::size_t pages) const {
    painter.save();
    painter.setPen(Qt::black);
    const double line = QFontMetricsF(bandFont_, &writer_).lineSpacing();
    const QRectF first(0, 0, width_, line);
    const QRectF second(0, line, width_, line);
    const QString pageText = QStringLiteral("Page %1 of %2").arg(page).arg(pages);

    painter.setFont(bandFont_);
    painter.drawText(first, Qt::AlignRight | Qt::AlignVCenter, document_.Date);
    painter.drawText(second, Qt::AlignRight | Qt::AlignVCenter, pageText);
    const QFontMetricsF metrics(bandFont_, &writer_);
    const double rightRoom =
        std::max(metrics.horizontalAdvance(document_.Date), metrics.horizontalAdvance(pageText));
    const double leftRoom = width_ - rightRoom - Units(2 * kTitleGapPt);
    if (!document_.Station.isEmpty()) {
      const QString station = QStringLiteral("Reference station: %1").arg(document_.Station);
      painter.drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                       metrics.elidedText(station, Qt::ElideRight, leftRoom));
    }
    painter.setFont(bandBoldFont_);
    painter.drawText(first, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(bandBoldFont_, &writer_)
                         .elidedText(document_.FileName, Qt::ElideMiddle, leftRoom));

    painter.setPen(QPen(Qt::black, Units(kBandRulePt)));
    painter.drawLine(QPointF(0, bandHeight_), QPointF(width_, bandHeight_));
    painter.restore();
  }

  void DrawPiece(QPainter& painter, const PlacedPiece& piece) const {
    const Prepared& block = blocks_[piece.Block];
    painter.save();
    painter.translate(0, contentTop_ + piece.Y);
    painter.setPen(Qt::black);
    if (const auto* table = std::get_if<PreparedTable>(&block)) {
      DrawTablePiece(painter, *table, piece);
    } else {
      // Taller than a page: the whole block shrunk, from its top left.
      painter.scale(piece.Scale, piece.Scale);
      if (const auto* chart = std::get_if<PreparedChart>(&block)) {
        DrawChart(painter, *chart);
      } else {
        const auto& paragraph = std::get<PreparedParagraph>(block);
        TextBox(paragraph.Text, paragraph.Font, width_, &writer_).Draw(painter, QPointF());
      }
    }
    painter.restore();
  }

  void DrawTitle(QPainter& painter, const QString& title) const {
    if (!title.isEmpty()) TextBox(title, titleFont_, width_, &writer_).Draw(painter, QPointF());
  }

  void DrawTablePiece(QPainter& painter, const PreparedTable& table,
                      const PlacedPiece& piece) const {
    switch (piece.Type) {
      case PlacedPiece::Kind::Title:
        DrawTitle(painter, table.Title);
        break;
      case PlacedPiece::Kind::Header:
        DrawRow(painter, table, table.Header, table.HeaderFont, piece.Height, true);
        break;
      case PlacedPiece::Kind::Row:
        DrawRow(painter, table, table.Rows[piece.Row], table.Font, piece.Height, false);
        break;
      case PlacedPiece::Kind::Whole:
        break;
    }
  }

  void DrawRow(QPainter& painter, const PreparedTable& table, const QStringList& row,
               const QFont& font, double height, bool header) const {
    double tableWidth = 0;
    for (const double width : table.Widths) tableWidth += width;
    if (header) painter.fillRect(QRectF(0, 0, tableWidth, height), kHeaderFill);

    double x = 0;
    for (std::size_t i = 0; i < table.Widths.size(); ++i) {
      const TextBox box(row[static_cast<qsizetype>(i)], font, CellTextWidth(table.Widths[i]),
                        &writer_, kMostCellLines);
      box.Draw(painter, QPointF(x + Units(kCellPadXPt), Units(kCellPadYPt)));
      x += table.Widths[i];
    }

    painter.setPen(QPen(kRuleColor, Units(kRulePt)));
    painter.drawLine(QPointF(0, 0), QPointF(tableWidth, 0));
    painter.drawLine(QPointF(0, height), QPointF(tableWidth, height));
    x = 0;
    painter.drawLine(QPointF(0, 0), QPointF(0, height));
    for (const double width : table.Widths) {
      x += width;
      painter.drawLine(QPointF(x, 0), QPointF(x, height));
    }
    painter.setPen(Qt::black);
  }

  void DrawChart(QPainter& painter, const PreparedChart& chart) const {
    DrawTitle(painter, chart.Title);
    if (!chart.Plot) return;
    const QSize size = chart.RenderSize;
    painter.save();
    painter.translate(0, chart.TitleHeight);
    const double scale = width_ / size.width();
    painter.scale(scale, scale);
    painter.setClipRect(QRect(QPoint(), size));
    // Recorded first at the screen's resolution, so that a font sized in
    // points takes the pixels it has on the screen, not 720 dpi's worth.
    // The picture plays back scaled to the PDF's resolution; that scale is
    // undone, the chart's pixels being mapped to the page already.
    // The chart lays itself out, and picks its axis labels, for the size it
    // is drawn at: a chart never shown has no size of its own.
    const QRect screenViewport = chart.Plot->viewport();
    chart.Plot->setViewport(QRect(QPoint(), size));
    chart.Plot->replot(QCustomPlot::rpImmediateRefresh);
    QPicture picture;
    QCPPainter recorder;
    if (recorder.begin(&picture)) {
      recorder.setMode(QCPPainter::pmVectorized);
      chart.Plot->toPainter(&recorder, size.width(), size.height());
      recorder.end();
    }
    chart.Plot->setViewport(screenViewport);
    painter.scale(static_cast<double>(picture.logicalDpiX()) / writer_.logicalDpiX(),
                  static_cast<double>(picture.logicalDpiY()) / writer_.logicalDpiY());
    painter.drawPicture(QPointF(), picture);
    painter.restore();
    // The drawing laid the chart out for the page's size; the window lays
    // it out again for its own.
    chart.Plot->replot(QCustomPlot::rpQueuedReplot);
  }

  QPdfWriter& writer_;
  const PdfDocument& document_;
  double width_;
  QFont bandFont_;
  QFont bandBoldFont_;
  QFont titleFont_;
  double bandHeight_ = 0;
  double contentTop_ = 0;
  std::vector<Prepared> blocks_;
};

bool WritePdf(QIODevice& device, const PdfDocument& document) {
  QPdfWriter writer(&device);
  writer.setResolution(kResolution);
  writer.setCreator(QStringLiteral("Pelorin"));
  writer.setTitle(document.Title);
  const QMarginsF margins(kMarginMm, kMarginMm, kMarginMm, kMarginMm);
  if (!writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, margins,
                                        QPageLayout::Millimeter))) {
    return false;
  }
  return ReportPainter(writer, document).Write();
}

}  // namespace

bool WriteLinkReportPdf(const QString& path, const PdfDocument& document, QString* error,
                        const std::string* protectedLog) {
  const QString failure = SaveAtomically(
      path, protectedLog, [&document](QIODevice& device) { return WritePdf(device, document); });
  if (error) *error = failure;
  return failure.isEmpty();
}

}  // namespace pelorin
