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

// The command line's options, kept by name for reading them after parsing.
struct ProgramOptions {
    QCommandLineOption bus{"bus", "Instrument bus: sim (default), ppdev[:DEVICE], ioport.", "BUS",
                           "sim"};
    QCommandLineOption trace{"bus-trace", "Write one line per port access to FILE.", "FILE"};
    QCommandLineOption speed{"sim-speed", "Run the simulated instrument FACTOR times faster.",
                             "FACTOR", "1"};
    QCommandLineOption fault{
        "sim-fault",
        "Give the simulated instrument faults, names separated by commas:\n" +
            QString::fromStdString(simFaultHelp()),
        "LIST"};
    QCommandLineOption ini{"ini", "Settings file (default: varnts.ini beside the program).",
                           "FILE"};
    QCommandLineOption run{"run", "Start a run and stop it after SECONDS of measurement time.",
                           "SECONDS"};
    QCommandLineOption save{"save", "Save the data file to FILE when the run stops (or after "
                                    "opening the FILE argument).",
                            "FILE"};
    QCommandLineOption quit{"quit", "Close the program when the batch work is done."};
    QCommandLineOption printPdf{"print-pdf",
                                "Print the report of the measured run (or of the FILE "
                                "argument) to the PDF file FILE, without any dialog.",
                                "FILE"};
};

// A start with a wrong option ends with this status after its message.
constexpr int kUsageError = 2;

int usageError(const std::string& message) {
    std::fprintf(stderr, "varentis: %s\n", message.c_str());
    return kUsageError;
}

void parseCommandLine(QCommandLineParser& parser, const ProgramOptions& o,
                      QCoreApplication& app) {
    parser.setApplicationDescription("Runs the luminescence flow instrument: measure, view and save measurements.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(
        {o.bus, o.trace, o.speed, o.fault, o.ini, o.run, o.save, o.printPdf, o.quit});
    parser.addPositionalArgument("FILE", "Data file (*.vrd) to open at start.", "[FILE]");
    parser.process(app);
}

// The batch work the options ask for; false after the message of a wrong option.
bool readBatchOptions(const QCommandLineParser& parser, const ProgramOptions& o,
                      BatchOptions& batch, std::string& error) {
    return parseBatchOptions(parser.isSet(o.run), parser.value(o.run), parser.isSet(o.save),
                             parser.value(o.save), parser.isSet(o.quit),
                             parser.positionalArguments(), &batch, &error) &&
           addPrintPdf(parser.value(o.printPdf), &batch, &error);
}

// The simulated instrument's speed and faults; false after the message of a wrong option.
bool readSimOptions(const QCommandLineParser& parser, const ProgramOptions& o, SimOptions& sim,
                    std::string& error) {
    if (!parseSimSpeed(parser.value(o.speed).toStdString(), &sim.speed)) {
        error = "--sim-speed needs a positive number";
        return false;
    }
    if (!parser.isSet(o.fault)) return true;
    if (!parser.value(o.bus).isEmpty() && parser.value(o.bus) != "sim") {
        error = "--sim-fault needs the simulated instrument";
        return false;
    }
    for (const QString& list : parser.values(o.fault))
        if (!parseSimFaults(list.toStdString(), &sim, &error)) return false;
    return true;
}

// The bus the options name, behind the bus trace when one is asked for (then `tracer` is
// it); empty after the message of a bus that cannot be had.
std::unique_ptr<PortBackend> openBus(const QCommandLineParser& parser, const ProgramOptions& o,
                                     const SimOptions& sim, TraceBackend*& tracer,
                                     std::string& error) {
    std::unique_ptr<PortBackend> backend =
        makePortBackend(parser.value(o.bus).toStdString(), sim, &error);
    if (!backend || !parser.isSet(o.trace)) return backend;
    std::unique_ptr<TraceBackend> traced =
        withBusTrace(backend, parser.value(o.trace).toStdString(), &error);
    if (!traced) return nullptr;
    tracer = traced.get();
    return traced;
}

// The main window on `backend` until it closes, with the batch work; the program's status.
int runWindow(QCoreApplication& app, const QString& iniPath, PortBackend& backend,
              bool fasterSimulation, double simSpeed, const BatchOptions& batch) {
    Application application(iniPath, backend);
    TSDIAppForm& form = application.form();
    if (fasterSimulation) {
        // The acquisition timer keeps its 110 ms of the simulated instrument's time.
        const auto interval = std::chrono::duration<double, std::milli>(110.0 / simSpeed);
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
    int status = QCoreApplication::exec();
    if (batchRun.exitCode() != 0) status = batchRun.exitCode();
    else if (form.quietErrors && form.settingsWriteFailed) status = 1;
    return status;
}

// The bus trace is complete on disk, or the status says it is not.
int finishTrace(TraceBackend* tracer, const QString& tracePath, int status) {
    if (!tracer) return status;
    if (auto traceError = tracer->finish()) {
        std::fprintf(stderr, "varentis: cannot write bus trace %s: %s\n",
                     tracePath.toLocal8Bit().constData(), traceError->c_str());
        return 1;
    }
    return status;
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

    const ProgramOptions options;
    QCommandLineParser parser;
    parseCommandLine(parser, options, app);
    QApplication::setWindowIcon(programIcon());

    BatchOptions batch;
    SimOptions sim;
    std::string error;
    if (!readBatchOptions(parser, options, batch, error)) return usageError(error);
    if (!readSimOptions(parser, options, sim, error)) return usageError(error);
    TraceBackend* tracer = nullptr;
    std::unique_ptr<PortBackend> backend = openBus(parser, options, sim, tracer, error);
    if (!backend) return usageError(error);
    setPortBackend(backend.get());

    const QString iniPath =
        parser.isSet(options.ini) ? parser.value(options.ini) : defaultSettingsPath();
    const bool fasterSimulation = parser.value(options.bus).startsWith("sim") && sim.speed != 1.0;
    const int status = runWindow(app, iniPath, *backend, fasterSimulation, sim.speed, batch);
    setPortBackend(nullptr);
    return finishTrace(tracer, parser.value(options.trace), status);
}
