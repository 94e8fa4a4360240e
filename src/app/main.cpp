#include "app/About.h"
#include "app/Application.h"
#include "app/BatchRun.h"
#include "app/CommandLine.h"
#include "app/SettingsLocation.h"
#include "app/Sdimain.h"
#include "hardware/BusFactory.h"
#include "hardware/devices.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace varentis;

namespace {
// --help and --version print and exit; they must work without a display too.
bool wantsTextOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--help" || a == "-h" || a == "--help-all" || a == "--version" || a == "-v")
            return true;
    }
    return false;
}
} // namespace

int main(int argc, char** argv) {
    // The arguments of a text-only run outlive the application that holds on to them.
    std::vector<char*> textArgs = withoutWindowSystemOptions(argc, argv);
    int textArgc = static_cast<int>(textArgs.size()) - 1;
    std::unique_ptr<QCoreApplication> appHolder;
    if (wantsTextOnly(argc, argv))
        appHolder = std::make_unique<QCoreApplication>(textArgc, textArgs.data());
    else appHolder = std::make_unique<QApplication>(argc, argv);
    QCoreApplication& app = *appHolder;
    QCoreApplication::setApplicationName("Varentis");
    QCoreApplication::setApplicationVersion("1.0");

    QCommandLineParser parser;
    parser.setApplicationDescription("Runs the luminescence flow instrument: measure, view and save measurements.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption bus("bus", "Instrument bus: sim (default), ppdev[:DEVICE], ioport.", "BUS",
                           "sim");
    QCommandLineOption trace("bus-trace", "Write one line per port access to FILE.", "FILE");
    QCommandLineOption speed("sim-speed", "Run the simulated instrument FACTOR times faster.",
                             "FACTOR", "1");
    QCommandLineOption fault(
        "sim-fault",
        "Give the simulated instrument faults, names separated by commas:\n" +
            QString::fromStdString(simFaultHelp()),
        "LIST");
    QCommandLineOption ini("ini", "Settings file (default: varnts.ini beside the program).",
                           "FILE");
    QCommandLineOption run("run", "Start a run and stop it after SECONDS of measurement time.",
                           "SECONDS");
    QCommandLineOption save("save", "Save the data file to FILE when the run stops (or after "
                                    "opening the FILE argument).",
                            "FILE");
    QCommandLineOption quit("quit", "Close the program when the batch work is done.");
    QCommandLineOption printPdf("print-pdf",
                                "Print the report of the measured run (or of the FILE "
                                "argument) to the PDF file FILE, without any dialog.",
                                "FILE");
    parser.addOptions({bus, trace, speed, fault, ini, run, save, printPdf, quit});
    parser.addPositionalArgument("FILE", "Data file (*.vrd) to open at start.", "[FILE]");
    parser.process(app);
    QApplication::setWindowIcon(programIcon());

    BatchOptions batch;
    std::string error;
    if (!parseBatchOptions(parser.isSet(run), parser.value(run), parser.isSet(save),
                           parser.value(save), parser.isSet(quit), parser.positionalArguments(),
                           &batch, &error) ||
        !addPrintPdf(parser.value(printPdf), &batch, &error)) {
        std::fprintf(stderr, "varentis: %s\n", error.c_str());
        return 2;
    }

    SimOptions sim;
    if (!parseSimSpeed(parser.value(speed).toStdString(), &sim.speed)) {
        std::fprintf(stderr, "varentis: --sim-speed needs a positive number\n");
        return 2;
    }
    if (parser.isSet(fault)) {
        if (!parser.value(bus).isEmpty() && parser.value(bus) != "sim") {
            std::fprintf(stderr, "varentis: --sim-fault needs the simulated instrument\n");
            return 2;
        }
        for (const QString& list : parser.values(fault)) {
            if (!parseSimFaults(list.toStdString(), &sim, &error)) {
                std::fprintf(stderr, "varentis: %s\n", error.c_str());
                return 2;
            }
        }
    }
    std::unique_ptr<PortBackend> backend =
        makePortBackend(parser.value(bus).toStdString(), sim, &error);
    if (!backend) {
        std::fprintf(stderr, "varentis: %s\n", error.c_str());
        return 2;
    }
    TraceBackend* tracer = nullptr;
    if (parser.isSet(trace)) {
        std::unique_ptr<TraceBackend> traced =
            withBusTrace(backend, parser.value(trace).toStdString(), &error);
        if (!traced) {
            std::fprintf(stderr, "varentis: %s\n", error.c_str());
            return 2;
        }
        tracer = traced.get();
        backend = std::move(traced);
    }
    setPortBackend(backend.get());

    const QString iniPath = parser.isSet(ini) ? parser.value(ini) : defaultSettingsPath();

    int status = 0;
    {
        Application application(iniPath, *backend);
        TSDIAppForm& form = application.form();
        if (parser.value(bus).startsWith("sim") && sim.speed != 1.0) {
            // The acquisition timer keeps its 110 ms of the simulated instrument's time.
            const auto interval = std::chrono::duration<double, std::milli>(110.0 / sim.speed);
            form.acquisition().setTickInterval(
                std::chrono::duration_cast<std::chrono::nanoseconds>(interval));
        }
        QObject::connect(&form, &TSDIAppForm::formClosed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        BatchRun batchRun(form, batch);
        form.show();
        QTimer::singleShot(0, &batchRun, [&batchRun, &form] {
            batchRun.start();
            // Nobody is there to answer in an unattended run: the journals wait for a start
            // with a window.
            if (!form.quietErrors && batchRun.exitCode() == 0)
                form.documents().offerJournalRecovery();
        });
        status = QCoreApplication::exec();
        if (batchRun.exitCode() != 0) status = batchRun.exitCode();
        else if (form.quietErrors && form.settingsWriteFailed) status = 1;
    }
    setPortBackend(nullptr);
    if (tracer) {
        if (auto traceError = tracer->finish()) {
            std::fprintf(stderr, "varentis: cannot write bus trace %s: %s\n",
                         parser.value(trace).toLocal8Bit().constData(), traceError->c_str());
            status = 1;
        }
    }
    return status;
}
