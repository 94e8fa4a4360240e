#pragma once

#include "documents/DataFile.h"

#include <QString>

namespace varentis {

class TSDIAppForm;

// The main window's document: the file last saved or opened, whether the points need
// saving, the New, Open, Save and Save As commands and the unsaved-data question.
class DocumentController : private DataFileReadHooks {
public:
    explicit DocumentController(TSDIAppForm& form);

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

private:
    bool saveDocument();
    void showCaption();
    // Open's steps between the data file reader's passes.
    void applyPeriod() override;
    ColumnFactors recomputeScaling() override;

    TSDIAppForm& form_;
    QString openDir_, saveName_;
};

} // namespace varentis
