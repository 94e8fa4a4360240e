#pragma once

#include "measurement/RunControl.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <string>

namespace varentis {

class TSDIAppForm;

// What the command line asks for besides the window.
struct BatchOptions {
    QString openFile;      // FILE: opened at start
    bool run = false;      // --run SECONDS
    double runSeconds = 0; // measurement time
    QString saveFile;      // --save FILE
    QString printPdf;      // --print-pdf FILE
    bool quit = false;     // --quit
};

// Checks the batch options; false with a message for a bad combination or value.
bool parseBatchOptions(bool runSet, const QString& runValue, bool saveSet,
                       const QString& saveValue, bool quit, const QStringList& positional,
                       BatchOptions* out, std::string* error);

// Adds --print-pdf FILE (the report of the opened or measured run); false with a message
// when there is neither a run nor a file to open.
bool addPrintPdf(const QString& file, BatchOptions* options, std::string* error);

// Carries out the batch options once the main window is up: open, run for the given
// measurement time, save, print the report to PDF, quit. Errors go to stderr and set a
// non-zero exit code.
class BatchRun : public QObject {
    Q_OBJECT
public:
    BatchRun(TSDIAppForm& form, const BatchOptions& options);

    void start();
    int exitCode() const { return exitCode_; }

private:
    void runStateReported(RunState state);
    void finish();
    void fail(int code);

    TSDIAppForm& form_;
    BatchOptions options_;
    int exitCode_ = 0;
    bool running_ = false;
};

} // namespace varentis
