#include "printing/ReportPrinter.h"

#include "graph/QPainterCanvas.h"

#include <QPainter>
#include <QPrinter>

namespace varentis {

PrinterPage printerPage(const QPrinter& printer) {
    const int dpi = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QRect paint = layout.paintRectPixels(dpi);
    const QRect full = layout.fullRectPixels(dpi);
    PrinterPage page;
    page.Width = paint.width();
    page.Height = paint.height();
    page.PhysicalWidth = full.width();
    page.PhysicalHeight = full.height();
    page.DpiX = printer.logicalDpiX();
    page.DpiY = printer.logicalDpiY();
    return page;
}

PaperPixels printerPaper(const QPrinter& printer) {
    const PrinterPage page = printerPage(printer);
    return {page.PhysicalWidth, page.PhysicalHeight, page.DpiX, page.DpiY};
}

QString printReport(QPrinter& printer, const QString& title, const PageSetup& setup,
                    const ReportContent& content, ReportProgress* progress) {
    const QString target = printer.outputFormat() == QPrinter::PdfFormat
                               ? printer.outputFileName()
                               : printer.printerName();
    if (progress) progress->status("");
    printer.setDocName(title);
    printer.setCreator("Varentis");
    const PrinterPage page = printerPage(printer);
    QPainter painter;
    if (!painter.begin(&printer)) return "Cannot print to " + target;
    QPainterCanvas canvas(painter);
    drawReport(canvas, page, setup, content, progress);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return "Printing to " + target + " failed";
    return {};
}

} // namespace varentis
