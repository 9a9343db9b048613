#pragma once
// The link report on paper: an A4 PDF of titled tables, charts and
// paragraphs, under a header band on every page naming the log, the
// reference station and the date, with the page's number. No table row and
// no chart is cut by a page break (views/PageLayout).

#include <QSize>
#include <QString>
#include <string>
#include <variant>
#include <vector>

#include "report/TextTable.h"

class QCustomPlot;

namespace pelorin {

// A table drawn as a grid of texts; an empty one shows a single "none" row.
struct PdfTable {
  QString Title;
  TextTable Table;
};

// A chart as drawn by the chart library, at `Size` in the chart's own
// pixels (its size on the screen when empty), then scaled to the page's
// width. Sizes outside 600 to 1000 pixels wide are brought within, in
// proportion, so that the chart's fonts stay readable on the page.
struct PdfChart {
  QString Title;
  QCustomPlot* Plot = nullptr;
  QSize Size;
};

// Text wrapped to the page's width, such as the verdict line.
struct PdfParagraph {
  QString Text;
  bool Bold = false;
};

using PdfBlock = std::variant<PdfTable, PdfChart, PdfParagraph>;

struct PdfDocument {
  // The log's file name, the reference station and the date, in the header
  // band of every page.
  QString FileName;
  QString Station;
  QString Date;
  // A heading above the first block, and the PDF's title.
  QString Title;
  std::vector<PdfBlock> Blocks;
};

// Writes the document to `path` through a temporary file beside it, renamed
// into place only when the whole PDF is written; never writes over
// `protectedLog` when given. False with the reason in `error` (when given)
// on failure, the file at `path` as it was.
bool WriteLinkReportPdf(const QString& path, const PdfDocument& document, QString* error,
                        const std::string* protectedLog = nullptr);

}  // namespace pelorin
