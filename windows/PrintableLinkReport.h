#pragma once
// The link report to print for the client's file: the verdict, the tables
// of the link report window, the satellites tracked without corrections, and
// the charts of the link report and of both satellite windows, as one PDF.

#include <QString>
#include <ostream>
#include <string>

#include "charts/LinkReportPdf.h"
#include "windows/Application.h"

namespace pelorin {

// The document of the last analysis, as the windows show it now.
PdfDocument PrintableLinkReport(ApplicationWindows& windows);
// Writes it to `path`; empty on success, else why not.
QString SaveLinkReportPdf(ApplicationWindows& windows, const QString& path);

// `pelorin --pdf`: analyses the log at `logPath` as the open button would,
// with no window shown and its messages on `err`, and writes its link report
// to `pdfPath`. The exit status: 0 written; 1 the analysis stopped before the
// link report, or the PDF could not be written.
int WriteLinkReportWithoutWindow(ApplicationWindows& windows, const std::string& logPath,
                                 const QString& pdfPath, std::ostream& err);

}  // namespace pelorin
