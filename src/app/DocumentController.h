#pragma once

#include "app/DocumentWindow.h"
#include "documents/DataFile.h"
#include "documents/RunJournal.h"

#include <QString>
#include <QTimer>

namespace varentis {

// The main window's document, reached through the window's DocumentWindow: the file last saved or opened, whether the points need
// saving, the New, Open, Save and Save As commands and the unsaved-data question; the run
// journal that keeps unsaved points on disk, and the recovery of journals left behind.
class DocumentController : private DataFileReadHooks {
public:
    // The run journal lives in `journalFolderPath`.
    DocumentController(DocumentWindow& window, const std::filesystem::path& journalFolderPath);

    bool DataSaved = true;
    QString CurrentFileName;

    // "Data not saved. Save?" when there are points not saved. False cancels the command:
    // Cancel, or Yes with a save that was cancelled or failed.
    bool resolveUnsavedData();
    // A new run's document: no file name, the plain caption, data not saved.
    void startRunDocument();
    // The idle state of the first activation: nothing to save, no file.
    void reset();

    void FileNew1Execute();
    void FileOpen1Execute();
    void FileSave1Execute();

    // Without dialogs (command line, tests): the message of a failure, naming the file and
    // the reason, or empty.
    QString saveToFile(const QString& path);
    QString openFile(const QString& path);

    // A run starts: its journal begins, with the settings and no points.
    void runStarted();
    // The run added points to the store: they need saving, and they go to the journal.
    void pointsStored();
    // The points are saved or given up on purpose (a clean exit): the journal goes.
    void discardJournal();
    // At start-up: offers each measurement that a program which did not close left in its
    // journal, newest first, until one is recovered. Yes makes it the current, unsaved run;
    // No keeps it for a later start; Delete deletes it.
    void offerJournalRecovery();
    RunJournal& journal() { return journal_; }
    // The unit factors and decimals Save writes with now.
    DataColumns dataColumns() const;

private:
    bool saveDocument();
    void showCaption();
    // Open's steps between the data file reader's passes.
    void applyPeriod() override;
    ColumnFactors recomputeScaling() override;

    void loadBytes(std::string_view bytes);

    DocumentWindow& window_;
    QString openDir_, saveName_;
    RunJournal journal_;
    // Settings changed during or after a run reach the journal within a second.
    QTimer journalCheck_;
};

} // namespace varentis
