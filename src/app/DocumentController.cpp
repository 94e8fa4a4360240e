#include "app/DocumentController.h"

#include "app/Sdimain.h"
#include "documents/AtomicFile.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

namespace varentis {

DocumentController::DocumentController(TSDIAppForm& form) : form_(form) {}

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
    DataSaved = false;
    CurrentFileName.clear();
    form_.DrawGraph();
    form_.setWindowTitle("Varentis");
}

QString DocumentController::saveToFile(const QString& path) {
    const QString statusBeforeSave = form_.Panel5->text();
    form_.Panel5->setText("Saving");
    const GraphScale& scale = form_.plot().scale();
    DataColumns columns;
    columns.factors.time = scale.XUnitFactor;
    columns.factors.signal = scale.YUnitFactor;
    columns.factors.current = scale.CurUnitFactor;
    columns.XDecimals = scale.XDecimals;
    columns.YDecimals = scale.YDecimals;
    columns.CurrentDecimals = scale.CurrentDecimals;
    columns.periodSeconds = form_.periodSeconds();
    // The points held now: the run goes on adding to the store only through this thread.
    const std::string bytes = writeDataFile(form_.controls(), form_.store(), columns);
    if (auto error = writeFileAtomically(path.toStdString(), bytes)) {
        // The previous file is untouched and nothing here changes.
        form_.Panel5->setText(statusBeforeSave);
        return "Unable to write to " + path + ": " + QString::fromStdString(*error);
    }
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

QString DocumentController::openFile(const QString& path) {
    std::string bytes;
    if (auto error = readWholeFile(path.toStdString(), bytes))
        return "Unable to read " + path + ": " + QString::fromStdString(*error);
    if (form_.acquisitionTimerEnabled()) form_.BitBtn3Click();
    form_.Panel5->setText("Loading");
    readDataFile(bytes, form_.controls(), form_.store(), *this);
    form_.Label11->setText(form_.ComboBox1->currentText());
    form_.Panel5->clear();
    form_.DrawGraph();
    CurrentFileName = path;
    DataSaved = true; // what was just opened is on disk
    showCaption();
    return {};
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
