// The printable link report read back as text with pdftotext: the header
// band on every page, every row once and in order with its header repeated
// on each page the table runs on, the charts drawn; and the save that
// replaces the file whole and never writes over the log.

#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

#include "charts/LinkReportPdf.h"
#include "widgets/Fonts.h"

namespace pelorin {
namespace {

constexpr int kLongRows = 150;
const QString kFileName = QStringLiteral("rover-0615.ZEL");
const QString kStation = QStringLiteral("0042 Hilltop mast");
const QString kDate = QStringLiteral("2009-06-15");

bool HavePdfToText() {
  return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30'000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page, in order.
QStringList PdfPageTexts(const QString& path) {
  QStringList pages =
      Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
          .split(QLatin1Char('\f'));
  // A form feed ends every page, the last one too.
  if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
  return pages;
}

QString Key(int row) {
  return QStringLiteral("K-%1").arg(row, 3, 10, QLatin1Char('0'));
}

QString Start(int row) {
  return QStringLiteral("10:%1:%2")
      .arg(row / 60, 2, 10, QLatin1Char('0'))
      .arg(row % 60, 2, 10, QLatin1Char('0'));
}

// Wider than the page: every tenth row has a note that must wrap.
TextTable LongTable() {
  TextTable table;
  table.Header = {"Key", "Start", "End", "Seconds", "Note"};
  for (int row = 1; row <= kLongRows; ++row) {
    std::string note = "plain";
    if (row % 10 == 0) {
      note.clear();
      for (int word = 0; word < 30; ++word) note += "wrapping words ";
    }
    table.Rows.push_back({Key(row).toStdString(), Start(row).toStdString(),
                          Start(row + 1).toStdString(), std::to_string(row % 7 + 1), note});
  }
  return table;
}

// Fonts sized in points (the library's own) or, as the windows size them,
// in pixels.
std::unique_ptr<QCustomPlot> SmallChart(const QString& axisLabel, bool pixelFonts) {
  auto plot = std::make_unique<QCustomPlot>();
  plot->resize(700, 280);
  if (pixelFonts) {
    for (QCPAxis* axis : plot->axisRect()->axes()) {
      axis->setTickLabelFont(ArialFont(12, true));
      axis->setLabelFont(ArialFont(12, true));
    }
  }
  QCPGraph* graph = plot->addGraph();
  for (int i = 0; i <= 60; ++i) graph->addData(i, std::sin(i / 6.0));
  plot->xAxis->setLabel(axisLabel);
  plot->rescaleAxes();
  return plot;
}

// The height in points of each word `word` on the pages, from its box.
QList<double> WordHeights(const QString& path, const QString& word) {
  const QString boxes =
      Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
  QList<double> heights;
  QRegularExpressionMatchIterator words =
      QRegularExpression(QStringLiteral("yMin=\"([\\d.]+)\"[^>]*yMax=\"([\\d.]+)\">%1<").arg(word))
          .globalMatch(boxes);
  while (words.hasNext()) {
    const QRegularExpressionMatch match = words.next();
    heights.append(match.captured(2).toDouble() - match.captured(1).toDouble());
  }
  return heights;
}

// Positions of every match of `pattern` in `text`.
QList<qsizetype> Positions(const QString& text, const QString& pattern) {
  QList<qsizetype> found;
  QRegularExpressionMatchIterator matches = QRegularExpression(pattern).globalMatch(text);
  while (matches.hasNext()) found.append(matches.next().capturedStart());
  return found;
}

}  // namespace

class LinkReportPdfTest : public QObject {
  Q_OBJECT

private slots:
  void everyRowOnceUnderTheBandAndHeaderOfEachPage() {
    if (!HavePdfToText()) QSKIP("pdftotext (poppler-utils) is not installed");
    const auto ageChart = SmallChart(QStringLiteral("Latency seconds"), false);
    const auto commonChart = SmallChart(QStringLiteral("Overlap count"), true);
    PdfDocument document;
    document.FileName = kFileName;
    document.Station = kStation;
    document.Date = kDate;
    document.Title = QStringLiteral("Link report");
    TextTable summary;
    summary.Header = {"Measure", "Value"};
    summary.Rows = {{"Usable share", "97.5 %"}, {"Longest outage", "00:00:15"}};
    TextTable moves;
    moves.Header = {"Time", "Distance"};
    document.Blocks = {
        PdfParagraph{QStringLiteral("Verdict: usable"), true},
        PdfTable{QStringLiteral("Summary"), summary},
        PdfTable{QStringLiteral("Gaps in the corrections"), LongTable()},
        PdfChart{QStringLiteral("Age of the corrections"), ageChart.get(), QSize(800, 320)},
        PdfTable{QStringLiteral("Base moves"), moves},
        PdfChart{QStringLiteral("Common satellites"), commonChart.get(), QSize()},
    };
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("link.pdf"));
    QString error;
    QVERIFY2(WriteLinkReportPdf(path, document, &error), qPrintable(error));

    const QStringList pages = PdfPageTexts(path);
    const int pageCount = static_cast<int>(pages.size());
    // 150 rows need three pages at least; one row a page would need many more.
    QVERIFY2(pageCount >= 4 && pageCount <= 8, qPrintable(QString::number(pageCount)));

    const QString header = QStringLiteral("Key\\s+Start\\s+End\\s+Seconds\\s+Note");
    int pagesWithRows = 0;
    for (int page = 0; page < pageCount; ++page) {
      const QString& text = pages[page];
      const QString which = QStringLiteral("page %1").arg(page + 1);
      QVERIFY2(text.contains(kFileName), qPrintable(which));
      QVERIFY2(text.contains(QStringLiteral("Reference station: ") + kStation), qPrintable(which));
      QVERIFY2(text.contains(kDate), qPrintable(which));
      QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(page + 1).arg(pageCount)),
               qPrintable(which));
      // The header once above the first row on every page the table is on.
      const QList<qsizetype> rows = Positions(text, QStringLiteral("\\bK-\\d{3}\\b"));
      const QList<qsizetype> headers = Positions(text, header);
      if (rows.isEmpty()) {
        QVERIFY2(headers.isEmpty(), qPrintable(which));
        continue;
      }
      ++pagesWithRows;
      QCOMPARE(headers.size(), 1);
      QVERIFY2(headers.first() < rows.first(), qPrintable(which));
    }
    QVERIFY(pagesWithRows >= 3);

    // Each row once, in order, with its cells on its line.
    const QString all = pages.join(QLatin1Char('\f'));
    qsizetype previous = -1;
    for (int row = 1; row <= kLongRows; ++row) {
      const QList<qsizetype> at = Positions(all, QStringLiteral("\\b%1\\b").arg(Key(row)));
      QVERIFY2(at.size() == 1, qPrintable(Key(row)));
      QVERIFY2(at.first() > previous, qPrintable(Key(row)));
      previous = at.first();
      const QString line =
          all.mid(at.first(), all.indexOf(QLatin1Char('\n'), at.first()) - at.first());
      QVERIFY2(
          QRegularExpression(
              QStringLiteral("%1\\s+%2\\s+\\d\\s+(plain|wrapping)").arg(Start(row), Start(row + 1)))
              .match(line)
              .hasMatch(),
          qPrintable(line));
    }
    QCOMPARE(Positions(all, QStringLiteral("\\bwrapping\\b")).size(), 15 * 30);

    for (const QString& once :
         {QStringLiteral("Link report"), QStringLiteral("Verdict: usable"),
          QStringLiteral("Gaps in the corrections"), QStringLiteral("Longest outage\\s+00:00:15"),
          QStringLiteral("Age of the corrections"), QStringLiteral("Latency seconds"),
          QStringLiteral("Common satellites"), QStringLiteral("Overlap count"),
          QStringLiteral("Base moves"), QStringLiteral("\\bnone\\b")}) {
      QVERIFY2(Positions(all, once).size() == 1, qPrintable(once));
    }
    // The charts' labels, one in points and one in pixels, readable on
    // paper: neither tiny nor at the PDF's resolution.
    for (const QString& label : {QStringLiteral("Latency"), QStringLiteral("Overlap")}) {
      const QList<double> heights = WordHeights(path, label);
      QCOMPARE(heights.size(), 1);
      QVERIFY2(heights.first() > 5 && heights.first() < 14,
               qPrintable(label + QLatin1Char(' ') + QString::number(heights.first())));
    }
  }

  void replacesTheFileWholeAndNeverTheLog() {
    QTemporaryDir directory;
    const QString logPath = directory.filePath(QStringLiteral("rover.ZEL"));
    const QString pdfPath = directory.filePath(QStringLiteral("link.pdf"));
    for (const QString& path : {logPath, pdfPath}) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("as it was");
    }
    const std::string log = logPath.toStdString();
    PdfDocument document;
    document.FileName = QStringLiteral("rover.ZEL");
    document.Blocks = {PdfParagraph{QStringLiteral("Verdict: usable"), true}};

    QString error;
    const QString sameLog = directory.path() + QStringLiteral("/./rover.ZEL");
    QVERIFY(!WriteLinkReportPdf(sameLog, document, &error, &log));
    QVERIFY(!error.isEmpty());
    QVERIFY(!WriteLinkReportPdf(directory.filePath(QStringLiteral("missing/link.pdf")), document,
                                &error, &log));
    QVERIFY(!error.isEmpty());

    QVERIFY2(WriteLinkReportPdf(pdfPath, document, &error, &log), qPrintable(error));
    QFile log_file(logPath);
    QVERIFY(log_file.open(QIODevice::ReadOnly));
    QCOMPARE(log_file.readAll(), QByteArray("as it was"));
    QFile pdf(pdfPath);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF-"));
    // Nothing of the temporary file is left beside them.
    QCOMPARE(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{QStringLiteral("link.pdf"), QStringLiteral("rover.ZEL")}));
  }
};

}  // namespace pelorin

QTEST_MAIN(pelorin::LinkReportPdfTest)
#include "LinkReportPdfTest.moc"
