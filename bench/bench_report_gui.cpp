// The printed report of a run of a million points, from its data file on disk to a PDF file
// (target: 2 s): the unattended --print-pdf path, and File > Print's drawing with the
// progress box showing. For comparison in the same run: the trace drawn with every point
// (no reduction per pixel column), and a progress bar moved once per point.
#include "app/AppWindows.h"
#include "app/Application.h"
#include "app/Sdimain.h"
#include "hardware/SimulatedInstrument.h"
#include "printing/ReportPrinter.h"
#include "printing/printbox.h"

#include "graph/QPainterCanvas.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

using namespace varentis;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPoints = 1'000'000;
constexpr double kTargetMs = 2000.0;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// A day and more of a measurement at 0.1 s: a peak from every injection of a 30 s cycle on
// a drifting base line, with noise.
void fillRun(PointStore& store) {
    std::mt19937 gen(42);
    std::normal_distribution<double> noise(0.0, 0.8e-9);
    std::vector<double> times(kPoints), values(kPoints);
    for (std::size_t i = 0; i < times.size(); ++i) {
        const double t = 0.1 * static_cast<double>(i);
        const double x = (std::fmod(t, 30.0) - 9.0) / 2.0;
        const double peak = x > 0 ? 60e-9 * x * std::exp(1 - x) : 0;
        times[i] = t;
        values[i] = 5e-9 + 2e-9 * std::sin(t / 5000.0) + peak + noise(gen);
    }
    store.assign(std::move(times), std::move(values), {});
}

qint64 fileSize(const QString& path) { return QFile(path).size(); }

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SimOptions sim;
    sim.clock = SimClockMode::Virtual;
    SimulatedInstrument instrument(sim);
    Application program(dir.filePath("varnts.ini"), instrument, Acquisition::Mode::Inline);
    TSDIAppForm& form = program.form();
    form.show();

    // The run's data file, written as the program writes it.
    form.Edit5->setText(QString::number(0.1 * kPoints));
    form.Edit3->setText("80");
    form.Memo2->setPlainText("V1=5,2\nV3=0,1");
    form.Memo1->setPlainText("Luminol 10 uM, 1000 mV\nOne injection per cycle");
    form.ShowValves->setChecked(true);
    fillRun(form.store());
    const QString data = dir.filePath("day.vrd");
    if (const QString error = form.saveToFile(data); !error.isEmpty()) {
        std::printf("cannot write the data file: %s\n", qPrintable(error));
        return 1;
    }
    form.store().clear();

    // Open it as the operator would, then print.
    auto t0 = Clock::now();
    if (const QString error = form.openFile(data); !error.isEmpty()) {
        std::printf("cannot open the data file: %s\n", qPrintable(error));
        return 1;
    }
    const double openMs = msSince(t0);
    const int count = form.store().Count;

    const QString unattended = dir.filePath("unattended.pdf");
    t0 = Clock::now();
    const QString error = form.printReportToPdf(unattended);
    const double unattendedMs = msSince(t0);

    // File > Print's drawing, with the progress box painting as the trace is drawn.
    TPrintBox1& box = *program.windows().printBox;
    box.show();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("dialog.pdf"));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    ReportContent content = form.reportContent();
    t0 = Clock::now();
    const QString boxError =
        printReport(printer, form.windowTitle(), form.pageSetup(), content, &box);
    const double boxMs = msSince(t0);
    box.hide();

    // Every point as its own corner of the trace, on the same page.
    QPrinter every(QPrinter::HighResolution);
    every.setOutputFormat(QPrinter::PdfFormat);
    every.setOutputFileName(dir.filePath("every.pdf"));
    every.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    t0 = Clock::now();
    {
        const PrinterPage page = printerPage(every);
        const ReportGeometry g = reportGeometry(page, form.pageSetup(), content);
        QPainter painter(&every);
        QPainterCanvas canvas(painter);
        std::vector<Point> trace;
        trace.reserve(static_cast<std::size_t>(count));
        const PointStore& s = form.store();
        double v = s.Signals[0];
        for (int i = 0; i < count; ++i) {
            v = content.DampingFactor * v + (1 - content.DampingFactor) * s.Signals[i];
            trace.push_back({g.x(s.Times[i]), g.y(v - content.ZeroLine)});
        }
        canvas.polyline(trace);
    }
    const double everyMs = msSince(t0);

    // A progress bar moved for every point, for part of them.
    constexpr int kMoves = 20'000;
    box.show();
    t0 = Clock::now();
    for (int i = 1; i < kMoves; ++i) {
        box.ProgressBar1->setValue(i % 101);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    const double movesMs = msSince(t0);
    box.hide();

    const bool met = error.isEmpty() && boxError.isEmpty() && unattendedMs <= kTargetMs &&
                     boxMs <= kTargetMs;
    std::printf("Printed report of %d points from a %.1f MB data file\n", count,
                fileSize(data) / 1e6);
    std::printf("  data file opened              %8.1f ms\n", openMs);
    std::printf("  --print-pdf (no dialog)       %8.1f ms   target %.0f ms: %s (%.0f kB)\n",
                unattendedMs, kTargetMs, unattendedMs <= kTargetMs ? "met" : "MISSED",
                fileSize(unattended) / 1e3);
    std::printf("  File > Print with progress    %8.1f ms   target %.0f ms: %s\n", boxMs,
                kTargetMs, boxMs <= kTargetMs ? "met" : "MISSED");
    if (!error.isEmpty() || !boxError.isEmpty())
        std::printf("  printing failed: %s %s\n", qPrintable(error), qPrintable(boxError));
    std::printf("  for comparison: every point drawn   %8.1f ms (%.1f MB of PDF)\n", everyMs,
                fileSize(dir.filePath("every.pdf")) / 1e6);
    std::printf("  for comparison: a progress bar moved per point: %.1f ms for %d moves, about "
                "%.0f s for %d\n",
                movesMs, kMoves, movesMs * count / kMoves / 1000.0, count);
    return met ? 0 : 1;
}
