// The main window's printing commands: File > Print (with the tool button), File > Printer
// setup, and the report to a PDF file for the command line.
#include "app/AppWindows.h"
#include "app/Sdimain.h"
#include "printing/ReportPrinter.h"
#include "printing/margins.h"
#include "printing/printbox.h"
#include "printing/printwn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QSpinBox>

#include <functional>

namespace varentis {

namespace {

CanvasFont canvasFont(const PageSetupValues& page) {
    CanvasFont f;
    f.Name = page.FontName;
    f.Size = page.FontSize;
    f.Bold = page.FontBold;
    f.Italic = page.FontItalic;
    f.Color = static_cast<ColorRef>(page.FontColor);
    return f;
}

bool isLandscape(const QPrinter& printer) {
    return printer.pageLayout().orientation() == QPageLayout::Landscape;
}

void setLandscape(QPrinter& printer, bool landscape) {
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

// A PDF file has no unprintable border: the report's margins are all there is.
void toPdf(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// Keeps the run's points where they are while the report reads them: what the run sends
// meanwhile waits in its queue and is taken in when the report is done.
class HeldRunEvents {
public:
    HeldRunEvents(bool& draining, std::function<void()> resume)
        : draining_(draining), wasDraining_(draining), resume_(std::move(resume)) {
        draining_ = true;
    }
    ~HeldRunEvents() {
        draining_ = wasDraining_;
        if (!wasDraining_) resume_();
    }
    HeldRunEvents(const HeldRunEvents&) = delete;
    HeldRunEvents& operator=(const HeldRunEvents&) = delete;

private:
    bool& draining_;
    bool wasDraining_;
    std::function<void()> resume_;
};

// The print report dialog and its margins dialog take the printer and the page setup.
void offerReportSetup(TPrintRep& rep, TForm2& margins, QPrinter& p, const PageSetupValues& page) {
    const bool toFile = p.outputFormat() == QPrinter::PdfFormat;
    rep.setPrinters(QPrinterInfo::availablePrinterNames(),
                    toFile ? TPrintRep::PdfFile : p.printerName());
    rep.Orientation = isLandscape(p) ? 1 : 0;
    rep.setPage(page);
    margins.SpinEdit1->setValue(page.LineWidth);
    // The margins dialog pictures the sheet of the printer chosen in the list.
    margins.paperSize = [&rep, &p] {
        const QString chosen = rep.selectedPrinter();
        const bool pdf = chosen == TPrintRep::PdfFile;
        if (pdf == (p.outputFormat() == QPrinter::PdfFormat) && (pdf || chosen == p.printerName()))
            return printerPaper(p);
        QPrinter other(QPrinter::HighResolution);
        if (pdf) toPdf(other, {});
        else other.setPrinterName(chosen);
        return printerPaper(other);
    };
}

// Whatever the dialog's answer: the orientation goes to the printer, the colours, the font
// and the line width to the page setup.
void takeReportSetup(TPrintRep& rep, TForm2& margins, QPrinter& p, PageSetupValues& page) {
    margins.paperSize = {};
    page.Landscape = rep.Orientation == 1;
    setLandscape(p, page.Landscape);
    rep.takePage(page);
    page.LineWidth = margins.SpinEdit1->value();
}

// The printer, or the PDF file asked for beside the document; false when the file dialog
// was cancelled.
bool choosePrintTarget(QPrinter& p, const QString& chosen, const QString& documentPath,
                       QWidget* parent) {
    if (chosen != TPrintRep::PdfFile) {
        p.setOutputFormat(QPrinter::NativeFormat);
        p.setPrinterName(chosen);
        return true;
    }
    QString suggested = p.outputFileName();
    if (suggested.isEmpty()) {
        const QFileInfo file(documentPath);
        suggested = documentPath.isEmpty()
                        ? QDir::home().filePath("report.pdf")
                        : file.dir().filePath(file.completeBaseName() + ".pdf");
    }
    const QString path =
        QFileDialog::getSaveFileName(parent, "Print to PDF file", suggested, "PDF files (*.pdf)");
    if (path.isEmpty()) return false;
    toPdf(p, path);
    return true;
}

} // namespace

QPrinter& TSDIAppForm::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // Without any printer the report goes to a PDF file.
        if (!printer_->isValid()) toPdf(*printer_, {});
        setLandscape(*printer_, page_.Landscape);
    }
    return *printer_;
}

PageSetup TSDIAppForm::pageSetup() const {
    PageSetup s;
    const TForm2& margins = *windows_->margins;
    s.Left = margins.Edit1->text().toStdString();
    s.Top = margins.Edit2->text().toStdString();
    s.Right = margins.Edit3->text().toStdString();
    s.Bottom = margins.Edit4->text().toStdString();
    s.FrameColor = static_cast<ColorRef>(page_.FrameColor);
    s.LineColor = static_cast<ColorRef>(page_.LineColor);
    s.ValveColor = static_cast<ColorRef>(page_.ValveColor);
    s.LineWidth = page_.LineWidth;
    s.Font = canvasFont(page_);
    const TPrintRep& rep = *windows_->printRep;
    s.DataGraph = rep.CheckBox1->isChecked();
    s.ValveGraph = rep.CheckBox2->isChecked();
    s.InfoText = rep.CheckBox3->isChecked();
    s.ValveText = rep.CheckBox4->isChecked();
    s.Grid = rep.CheckBox5->isChecked();
    return s;
}

ReportContent TSDIAppForm::reportContent() const {
    auto text = [](const QLineEdit* e) { return e->text().toStdString(); };
    auto item = [](const QComboBox* c) { return c->currentText().toStdString(); };
    const GraphScale& scale = plot_.scale();
    ReportContent c;
    c.XMin = scale.XMin;
    c.XMax = scale.XMax;
    c.YMin = scale.YMin;
    c.YMax = scale.YMax;
    c.YUnitFactor = scale.YUnitFactor;
    c.ZeroLine = scale.ZeroLine;
    c.DampingFactor = scale.DampingFactor;
    c.XMinText = text(Edit4);
    c.XMaxText = text(Edit5);
    c.XUnit = item(ComboBox2);
    c.YMinText = text(Edit2);
    c.YMaxText = text(Edit3);
    c.YUnit = item(ComboBox1);
    c.CycleTime = cycleTime_;
    c.Valves = &plot_.valves();
    c.Lanes = Lanes;
    c.Points = &store_;
    c.Count = store_.Count;
    c.Description = controls_.lines("Memo1");
    c.ValveProgramLines = controls_.lines("Memo2");
    c.Period = text(Edit6);
    c.PeriodUnit = item(ComboBox3);
    c.Damping = text(Edit7);
    c.DampingUnit = item(ComboBox4);
    c.Zero = text(Edit8);
    c.PMTVoltage = text(Edit9);
    c.CycleTimeText = text(Edit10);
    c.FileName = documents_.CurrentFileName.toStdString();
    return c;
}

void TSDIAppForm::Printersetup1Click() {
    QPrinter& p = printer();
    QPrintDialog dialog(&p, this);
    dialog.setObjectName("PrinterSetupDialog1");
    dialog.setWindowTitle("Printer setup");
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    dialog.exec();
    page_.Landscape = isLandscape(p);
}

void TSDIAppForm::Print1Click() {
    QPrinter& p = printer();
    TPrintRep& rep = *windows_->printRep;
    TForm2& margins = *windows_->margins;
    offerReportSetup(rep, margins, p, page_);
    const int result = rep.exec();
    takeReportSetup(rep, margins, p, page_);
    if (result != QDialog::Accepted) return;
    if (!choosePrintTarget(p, rep.selectedPrinter(), documents_.CurrentFileName, this)) return;
    setLandscape(p, page_.Landscape);

    TPrintBox1& box = *windows_->printBox;
    box.ProgressBar1->setValue(0);
    box.show();
    QString error;
    {
        HeldRunEvents held(draining_, [this] { drainRunEvents(); });
        // The box lets timers through while it shows: a redraw may parse the valve program
        // anew meanwhile, so the report keeps its own copy.
        ReportContent content = reportContent();
        const ValveProgram valves = *content.Valves;
        content.Valves = &valves;
        error = printReport(p, windowTitle(), pageSetup(), content, &box);
    }
    box.hide();
    if (!error.isEmpty()) showError(error);
}

QString TSDIAppForm::printReportToPdf(const QString& path) {
    QPrinter p(QPrinter::HighResolution);
    toPdf(p, path);
    setLandscape(p, page_.Landscape);
    HeldRunEvents held(draining_, [this] { drainRunEvents(); });
    return printReport(p, windowTitle(), pageSetup(), reportContent(), nullptr);
}

} // namespace varentis
