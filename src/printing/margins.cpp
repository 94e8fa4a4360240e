#include "printing/margins.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace varentis {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    setWindowTitle("Margins");
    auto* form = new QFormLayout(this);
    auto edit = [this, form](QLineEdit*& e, const char* name, const char* label, const char* text) {
        e = new QLineEdit(text, this);
        e->setObjectName(name);
        form->addRow(label, e);
    };
    edit(Edit1, "Edit1", "Left", "2.0");
    edit(Edit2, "Edit2", "Top", "2.0");
    edit(Edit3, "Edit3", "Right", "2.0");
    edit(Edit4, "Edit4", "Bottom", "2.0");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

} // namespace varentis
