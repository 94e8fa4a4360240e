#include "printing/printbox.h"

#include "widgets/DialogForm.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace varentis {

TPrintBox1::TPrintBox1(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TPrintBox1", "Printing");
    Label1 = form.newLabel("Label1", "Printing: ");
    Status = form.newLabel("Status", "");
    Status->setMinimumWidth(Status->fontMetrics().horizontalAdvance("signal graph") + 8);
    form.row({Label1, Status});
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setMinimumWidth(240);
    form.row({ProgressBar1});
}

void TPrintBox1::status(std::string_view text) {
    Status->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    showNow();
}

void TPrintBox1::position(int percent) {
    ProgressBar1->setValue(percent);
    showNow();
}

void TPrintBox1::showNow() {
    // The report is drawn on the window's thread: the box paints only if events are let
    // through. The operator's input waits until the report is done.
    if (isVisible()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace varentis
