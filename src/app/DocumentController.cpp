#include "app/DocumentController.h"

#include "documents/AtomicFile.h"
#include "documents/JournalFiles.h"
#include "documents/OrphanJournal.h"

#include <QDateTime>
#include <QFileInfo>

#include <atomic>
#include <cstdio>

namespace varentis {

DocumentController::DocumentController(DocumentWindow& window,
                                       const std::filesystem::path& journalFolderPath)
    : window_(window), journal_(journalFolderPath) {
    journal_.writer().setErrorHandler([](const std::string& message) {
        // Once: a full disk would otherwise say it at every interval. The run goes on.
        static std::atomic<bool> told{false};
        if (!told.exchange(true)) std::fprintf(stderr, "varentis: %s\n", message.c_str());
    });
    journalCheck_.setInterval(1000);
    QObject::connect(&journalCheck_, &QTimer::timeout, &journalCheck_, [this] {
        journal_.checkSettings(window_.controls(), window_.store(), dataColumns());
    });
    journalCheck_.start();
}

bool DocumentController::resolveUnsavedData() {
    // Without points nothing can be lost, so there is nothing to ask.
    if (DataSaved || window_.store().Count == 0) return true;
    const DocumentWindow::Answer answer = window_.ask("Data not saved. Save?");
    if (answer == DocumentWindow::Answer::Cancel) return false;
    if (answer == DocumentWindow::Answer::No) return true;
    // A cancelled or failed save keeps the points: the command does not go on.
    return saveDocument();
}

void DocumentController::startRunDocument() {
    CurrentFileName.clear();
    window_.setCaption("Varentis");
    DataSaved = false;
}

void DocumentController::reset() {
    DataSaved = true;
    CurrentFileName.clear();
}

void DocumentController::showCaption() {
    window_.setCaption(CurrentFileName.isEmpty()
                             ? QString("Varentis")
                             : "Varentis - [" + QFileInfo(CurrentFileName).fileName() + "]");
}

void DocumentController::FileNew1Execute() {
    if (!resolveUnsavedData()) return;
    window_.store().clear();
    journal_.discard(window_.store());
    DataSaved = false;
    CurrentFileName.clear();
    window_.redraw();
    window_.setCaption("Varentis");
}

QString DocumentController::saveToFile(const QString& path) {
    const QString statusBeforeSave = window_.status();
    window_.setStatus("Saving");
    // The points held now: the run goes on adding to the store only through this thread.
    const std::string bytes = writeDataFile(window_.controls(), window_.store(), dataColumns());
    if (auto error = writeFileAtomically(path.toStdString(), bytes)) {
        // The previous file is untouched and nothing here changes.
        window_.setStatus(statusBeforeSave);
        return "Unable to write to " + path + ": " + QString::fromStdString(*error);
    }
    // Points a run in progress adds from now on begin a journal of the whole run again.
    journal_.discard(window_.store());
    DataSaved = true;
    window_.setStatus(statusBeforeSave);
    CurrentFileName = path;
    showCaption();
    return {};
}

bool DocumentController::saveDocument() {
    const std::optional<QString> chosen = window_.chooseSaveFile(saveName_);
    if (!chosen) return false;
    const QString path = *chosen;
    saveName_ = path;
    const QString error = saveToFile(path);
    if (!error.isEmpty()) {
        window_.showError(error);
        return false;
    }
    return true;
}

void DocumentController::FileSave1Execute() { saveDocument(); }

void DocumentController::applyPeriod() { window_.applyPeriod(); }

ColumnFactors DocumentController::recomputeScaling() {
    window_.recomputeScaling();
    const GraphScale& scale = window_.scale();
    return ColumnFactors{scale.XUnitFactor, scale.YUnitFactor, scale.CurUnitFactor};
}

DataColumns DocumentController::dataColumns() const {
    const GraphScale& scale = window_.scale();
    DataColumns columns;
    columns.factors.time = scale.XUnitFactor;
    columns.factors.signal = scale.YUnitFactor;
    columns.factors.current = scale.CurUnitFactor;
    columns.XDecimals = scale.XDecimals;
    columns.YDecimals = scale.YDecimals;
    columns.CurrentDecimals = scale.CurrentDecimals;
    columns.periodSeconds = window_.periodSeconds();
    return columns;
}

void DocumentController::loadBytes(std::string_view bytes) {
    window_.setStatus("Loading");
    readDataFile(bytes, window_.controls(), window_.store(), *this);
    window_.showSignalUnit();
    window_.setStatus(QString());
    window_.redraw();
}

QString DocumentController::openFile(const QString& path) {
    std::string bytes;
    if (auto error = readWholeFile(path.toStdString(), bytes))
        return "Unable to read " + path + ": " + QString::fromStdString(*error);
    if (window_.runInProgress()) window_.stopRun();
    loadBytes(bytes);
    // The run these points replace was saved, or given up in the unsaved-data question.
    journal_.discard(window_.store());
    CurrentFileName = path;
    DataSaved = true; // what was just opened is on disk
    showCaption();
    return {};
}

void DocumentController::runStarted() {
    journal_.runStarted(QDateTime::currentSecsSinceEpoch(), window_.controls(), window_.store(),
                        dataColumns());
}

void DocumentController::pointsStored() {
    journal_.pointsStored(window_.controls(), window_.store(), dataColumns());
}

void DocumentController::discardJournal() { journal_.discard(window_.store()); }

void DocumentController::offerJournalRecovery() {
    if (window_.runInProgress()) return;
    std::vector<OrphanJournal> orphans = findOrphanJournals(journal_.writer().folder());
    for (auto it = orphans.rbegin(); it != orphans.rend(); ++it) {
        OrphanJournal& orphan = *it;
        const QString when = QDateTime::fromSecsSinceEpoch(orphan.startSeconds())
                                 .toLocalTime()
                                 .toString("yyyy-MM-dd HH:mm");
        const DocumentWindow::RecoveryAnswer answer = window_.askRecovery(
            QString("Recover the unsaved measurement of %1 (%2 points)?")
                .arg(when)
                .arg(static_cast<qulonglong>(orphan.pointCount())));
        if (answer == DocumentWindow::RecoveryAnswer::Delete) {
            orphan.discard();
            continue;
        }
        if (answer != DocumentWindow::RecoveryAnswer::Yes) continue; // kept for a later start
        loadBytes(orphan.bytes());
        CurrentFileName.clear();
        window_.setCaption("Varentis");
        DataSaved = false;
        // The points are in this program's own journal before the old one goes.
        journal_.adopt(orphan.startSeconds(), window_.controls(), window_.store(), dataColumns());
        journal_.writer().flush();
        if (journal_.writer().path().empty()) {
            window_.showError("The recovered measurement could not be kept in a journal: " +
                            QString::fromStdString(journal_.writer().lastError()) +
                            ". Its old journal stays until it is saved.");
            return;
        }
        orphan.discard();
        return; // the others stay for a later start
    }
}

void DocumentController::FileOpen1Execute() {
    if (!resolveUnsavedData()) return;
    const std::optional<QString> chosen = window_.chooseOpenFile(openDir_);
    if (!chosen) return;
    const QString path = *chosen;
    openDir_ = path;
    const QString error = openFile(path);
    if (!error.isEmpty()) window_.showError(error);
}

} // namespace varentis
