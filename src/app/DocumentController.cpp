#include "app/DocumentController.h"

#include "app/Sdimain.h"
#include "documents/AtomicFile.h"
#include "documents/JournalFiles.h"
#include "documents/OrphanJournal.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace varentis {

DocumentController::DocumentController(TSDIAppForm& form)
    : form_(form), journal_(journalFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))) {
    journal_.writer().setErrorHandler([](const std::string& message) {
        // Once: a full disk would otherwise say it at every interval. The run goes on.
        static std::atomic<bool> told{false};
        if (!told.exchange(true)) std::fprintf(stderr, "varentis: %s\n", message.c_str());
    });
    journalCheck_.setInterval(1000);
    QObject::connect(&journalCheck_, &QTimer::timeout, &form_, [this] {
        journal_.checkSettings(form_.controls(), form_.store(), dataColumns());
    });
    journalCheck_.start();
}

bool DocumentController::resolveUnsavedData() {
    // Without points nothing can be lost, so there is nothing to ask.
    if (DataSaved || form_.store().Count == 0) return true;
    auto answer = QMessageBox::warning(&form_, form_.windowTitle(), "Data not saved. Save?",
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::No) return true;
    // A cancelled or failed save keeps the points: the command does not go on.
    return saveDocument();
}

void DocumentController::startRunDocument() {
    CurrentFileName.clear();
    form_.setWindowTitle("Varentis");
    DataSaved = false;
}

void DocumentController::reset() {
    DataSaved = true;
    CurrentFileName.clear();
}

void DocumentController::showCaption() {
    form_.setWindowTitle(CurrentFileName.isEmpty()
                             ? QString("Varentis")
                             : "Varentis - [" + QFileInfo(CurrentFileName).fileName() + "]");
}

void DocumentController::FileNew1Execute() {
    if (!resolveUnsavedData()) return;
    form_.store().clear();
    journal_.discard(form_.store());
    DataSaved = false;
    CurrentFileName.clear();
    form_.DrawGraph();
    form_.setWindowTitle("Varentis");
}

QString DocumentController::saveToFile(const QString& path) {
    const QString statusBeforeSave = form_.Panel5->text();
    form_.Panel5->setText("Saving");
    // The points held now: the run goes on adding to the store only through this thread.
    const std::string bytes = writeDataFile(form_.controls(), form_.store(), dataColumns());
    if (auto error = writeFileAtomically(path.toStdString(), bytes)) {
        // The previous file is untouched and nothing here changes.
        form_.Panel5->setText(statusBeforeSave);
        return "Unable to write to " + path + ": " + QString::fromStdString(*error);
    }
    // Points a run in progress adds from now on begin a journal of the whole run again.
    journal_.discard(form_.store());
    DataSaved = true;
    form_.Panel5->setText(statusBeforeSave);
    CurrentFileName = path;
    showCaption();
    return {};
}

bool DocumentController::saveDocument() {
    QFileDialog dialog(&form_, "Save", saveName_, "Data Files (*.vrd)");
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("vrd");
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString path = dialog.selectedFiles().first();
    saveName_ = path;
    const QString error = saveToFile(path);
    if (!error.isEmpty()) {
        form_.showError(error);
        return false;
    }
    return true;
}

void DocumentController::FileSave1Execute() { saveDocument(); }

void DocumentController::applyPeriod() { form_.SetPeriod(); }

ColumnFactors DocumentController::recomputeScaling() {
    form_.XYFactors();
    const GraphScale& scale = form_.plot().scale();
    return ColumnFactors{scale.XUnitFactor, scale.YUnitFactor, scale.CurUnitFactor};
}

DataColumns DocumentController::dataColumns() const {
    const GraphScale& scale = form_.plot().scale();
    DataColumns columns;
    columns.factors.time = scale.XUnitFactor;
    columns.factors.signal = scale.YUnitFactor;
    columns.factors.current = scale.CurUnitFactor;
    columns.XDecimals = scale.XDecimals;
    columns.YDecimals = scale.YDecimals;
    columns.CurrentDecimals = scale.CurrentDecimals;
    columns.periodSeconds = form_.periodSeconds();
    return columns;
}

void DocumentController::loadBytes(std::string_view bytes) {
    form_.Panel5->setText("Loading");
    readDataFile(bytes, form_.controls(), form_.store(), *this);
    form_.Label11->setText(form_.ComboBox1->currentText());
    form_.Panel5->clear();
    form_.DrawGraph();
}

QString DocumentController::openFile(const QString& path) {
    std::string bytes;
    if (auto error = readWholeFile(path.toStdString(), bytes))
        return "Unable to read " + path + ": " + QString::fromStdString(*error);
    if (form_.acquisitionTimerEnabled()) form_.BitBtn3Click();
    loadBytes(bytes);
    // The run these points replace was saved, or given up in the unsaved-data question.
    journal_.discard(form_.store());
    CurrentFileName = path;
    DataSaved = true; // what was just opened is on disk
    showCaption();
    return {};
}

void DocumentController::runStarted() {
    journal_.runStarted(QDateTime::currentSecsSinceEpoch(), form_.controls(), form_.store(),
                        dataColumns());
}

void DocumentController::pointsStored() {
    journal_.pointsStored(form_.controls(), form_.store(), dataColumns());
}

void DocumentController::discardJournal() { journal_.discard(form_.store()); }

void DocumentController::offerJournalRecovery() {
    if (form_.acquisitionTimerEnabled()) return;
    std::vector<OrphanJournal> orphans = findOrphanJournals(journal_.writer().folder());
    for (auto it = orphans.rbegin(); it != orphans.rend(); ++it) {
        OrphanJournal& orphan = *it;
        const QString when = QDateTime::fromSecsSinceEpoch(orphan.startSeconds())
                                 .toLocalTime()
                                 .toString("yyyy-MM-dd HH:mm");
        QMessageBox box(QMessageBox::Question, "Varentis",
                        QString("Recover the unsaved measurement of %1 (%2 points)?")
                            .arg(when)
                            .arg(static_cast<qulonglong>(orphan.pointCount())),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Discard, &form_);
        box.setObjectName("RecoverQuestion");
        box.button(QMessageBox::Discard)->setText("&Delete");
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        const int answer = box.exec();
        if (answer == QMessageBox::Discard) {
            orphan.discard();
            continue;
        }
        if (answer != QMessageBox::Yes) continue; // kept for a later start
        loadBytes(orphan.bytes());
        CurrentFileName.clear();
        form_.setWindowTitle("Varentis");
        DataSaved = false;
        // The points are in this program's own journal before the old one goes.
        journal_.adopt(orphan.startSeconds(), form_.controls(), form_.store(), dataColumns());
        journal_.writer().flush();
        if (journal_.writer().path().empty()) {
            form_.showError("The recovered measurement could not be kept in a journal: " +
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
    const QString path = QFileDialog::getOpenFileName(
        &form_, "Open", openDir_, "Data Files (*.vrd);;All Files (*.*)");
    if (path.isEmpty()) return;
    openDir_ = path;
    const QString error = openFile(path);
    if (!error.isEmpty()) form_.showError(error);
}

} // namespace varentis
