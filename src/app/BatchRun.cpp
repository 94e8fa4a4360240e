#include "app/BatchRun.h"

#include "app/Sdimain.h"
#include "core/NumberText.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace varentis {

bool parseBatchOptions(bool runSet, const QString& runValue, bool saveSet,
                       const QString& saveValue, bool quit, const QStringList& positional,
                       BatchOptions* out, std::string* error) {
    BatchOptions o;
    if (positional.size() > 1) {
        *error = "only one data file can be opened";
        return false;
    }
    if (!positional.isEmpty()) o.openFile = positional.first();
    if (runSet) {
        bool valid = false;
        o.runSeconds = readNumber(runValue.toStdString(), &valid);
        if (!valid || !(o.runSeconds > 0.0)) {
            *error = "--run needs a positive number of seconds";
            return false;
        }
        o.run = true;
    }
    if (saveSet && saveValue.isEmpty()) {
        // An empty name would save nothing and still report success.
        *error = "--save needs a file name";
        return false;
    }
    o.saveFile = saveValue;
    if (!o.saveFile.isEmpty() && !o.run && o.openFile.isEmpty()) {
        // Nothing was measured or opened: saving would replace the file with an empty run.
        *error = "--save needs --run or a FILE to open";
        return false;
    }
    o.quit = quit;
    *out = o;
    return true;
}

bool addPrintPdf(const QString& file, BatchOptions* options, std::string* error) {
    if (file.isEmpty()) return true;
    if (!options->run && options->openFile.isEmpty()) {
        *error = "--print-pdf needs --run or a FILE to open";
        return false;
    }
    options->printPdf = file;
    return true;
}

BatchRun::BatchRun(TSDIAppForm& form, const BatchOptions& options)
    : form_(form), options_(options) {
    if (options_.run || options_.quit || !options_.saveFile.isEmpty() ||
        !options_.printPdf.isEmpty())
        form_.quietErrors = true;
    // The run stops itself once the measurement time is stored.
    connect(&form_, &TSDIAppForm::runStateReported, this, &BatchRun::runStateReported);
}

void BatchRun::start() {
    if (!options_.openFile.isEmpty()) {
        const QString error = form_.openFile(options_.openFile);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "varentis: %s\n", error.toLocal8Bit().constData());
            fail(1);
            return;
        }
    }
    if (!options_.run) {
        finish();
        return;
    }
    running_ = true;
    form_.documents().DataSaved = true; // nothing to ask: this run was asked for
    form_.StopAfterSeconds = options_.runSeconds;
    form_.BitBtn1Click();
    if (form_.runState() != RunState::Running) {
        running_ = false;
        fail(1); // the device test has told which modules did not answer
    }
}

void BatchRun::runStateReported(RunState state) {
    if (!running_ || state != RunState::Stopped) return;
    running_ = false;
    finish();
}

void BatchRun::finish() {
    if (!options_.saveFile.isEmpty()) {
        const QString error = form_.saveToFile(options_.saveFile);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "varentis: %s\n", error.toLocal8Bit().constData());
            fail(1);
            return;
        }
    }
    if (!options_.printPdf.isEmpty()) {
        const QString error = form_.printReportToPdf(options_.printPdf);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "varentis: %s\n", error.toLocal8Bit().constData());
            fail(1);
            return;
        }
    }
    if (options_.quit) {
        form_.askOnClose = false;
        form_.close();
    }
}

void BatchRun::fail(int code) {
    exitCode_ = code;
    form_.askOnClose = false;
    QTimer::singleShot(0, &form_, [this] {
        form_.close();
        QCoreApplication::exit(exitCode_);
    });
}

} // namespace varentis
