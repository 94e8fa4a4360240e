#pragma once

#include "printing/PaperPreview.h"
#include "printing/Report.h"

#include <QString>

class QPrinter;

namespace varentis {

// The printer's page in its own pixels: the printable area, the whole sheet, the resolution.
PrinterPage printerPage(const QPrinter& printer);
// The whole sheet for the margins dialog's picture.
PaperPixels printerPaper(const QPrinter& printer);

// Prints the report as one document on `printer` (a real printer or a PDF file) under the
// job title `title`. Returns why it could not, or an empty text.
QString printReport(QPrinter& printer, const QString& title, const PageSetup& setup,
                    const ReportContent& content, ReportProgress* progress);

} // namespace varentis
