#include "documents/viewdta.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace varentis {

TViewdata::TViewdata(QWidget* parent) : QDialog(parent) {
    setObjectName("TViewdata");
    setWindowTitle("View text");
    auto* l = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    l->addWidget(Memo1);
    resize(600, 400);
}

} // namespace varentis
