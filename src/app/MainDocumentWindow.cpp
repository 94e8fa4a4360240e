#include "app/MainDocumentWindow.h"

#include "app/Sdimain.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace varentis {

PointStore& MainDocumentWindow::store() { return form_.store(); }
ControlAccess& MainDocumentWindow::controls() { return form_.controls(); }
const GraphScale& MainDocumentWindow::scale() const { return form_.plot().scale(); }
double MainDocumentWindow::periodSeconds() const { return form_.periodSeconds(); }
void MainDocumentWindow::setCaption(const QString& caption) { form_.setWindowTitle(caption); }
QString MainDocumentWindow::status() const { return form_.Panel5->text(); }
void MainDocumentWindow::setStatus(const QString& text) { form_.Panel5->setText(text); }
void MainDocumentWindow::showError(const QString& message) { form_.showError(message); }
bool MainDocumentWindow::runInProgress() const { return form_.acquisitionTimerEnabled(); }
void MainDocumentWindow::stopRun() { form_.BitBtn3Click(); }
void MainDocumentWindow::redraw() { form_.DrawGraph(); }
void MainDocumentWindow::applyPeriod() { form_.SetPeriod(); }
void MainDocumentWindow::recomputeScaling() { form_.XYFactors(); }
void MainDocumentWindow::showSignalUnit() { form_.Label11->setText(form_.ComboBox1->currentText()); }

DocumentWindow::Answer MainDocumentWindow::ask(const QString& question) {
    const auto answer = QMessageBox::warning(&form_, form_.windowTitle(), question,
                                             QMessageBox::Yes | QMessageBox::No |
                                                 QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return Answer::Cancel;
    if (answer == QMessageBox::No) return Answer::No;
    return Answer::Yes;
}

DocumentWindow::RecoveryAnswer MainDocumentWindow::askRecovery(const QString& question) {
    QMessageBox box(QMessageBox::Question, "Varentis", question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Discard, &form_);
    box.setObjectName("RecoverQuestion");
    box.button(QMessageBox::Discard)->setText("&Delete");
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    const int answer = box.exec();
    if (answer == QMessageBox::Discard) return RecoveryAnswer::Delete;
    return answer == QMessageBox::Yes ? RecoveryAnswer::Yes : RecoveryAnswer::No;
}

std::optional<QString> MainDocumentWindow::chooseSaveFile(const QString& suggested) {
    QFileDialog dialog(&form_, "Save", suggested, "Data Files (*.vrd)");
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("vrd");
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

std::optional<QString> MainDocumentWindow::chooseOpenFile(const QString& folder) {
    const QString path = QFileDialog::getOpenFileName(&form_, "Open", folder,
                                                      "Data Files (*.vrd);;All Files (*.*)");
    if (path.isEmpty()) return {};
    return path;
}

} // namespace varentis
