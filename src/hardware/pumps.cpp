#include "hardware/pumps.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace varentis {

TPump::TPump(QWidget* parent) : QDialog(parent) {
    setObjectName("TPump");
    setWindowTitle("Pump direct control");
    auto* form = new QFormLayout(this);
    auto edit = [this, form](QLineEdit*& e, const char* name, const char* label, const char* text) {
        e = new QLineEdit(text, this);
        e->setObjectName(name);
        form->addRow(label, e);
    };
    edit(Edit1, "Edit1", "Speed 1", "20");
    edit(Edit2, "Edit2", "Speed 2", "50");
    edit(Edit3, "Edit3", "Speed 3", "-20");
    edit(Edit4, "Edit4", "Speed 4", "-50");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

} // namespace varentis
