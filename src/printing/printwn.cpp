#include "printing/printwn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace varentis {

TPrintRep::TPrintRep(QWidget* parent) : QDialog(parent) {
    setObjectName("TPrintRep");
    setWindowTitle("Print report");
    auto* l = new QVBoxLayout(this);
    auto check = [this, l](QCheckBox*& c, const char* name, const char* text) {
        c = new QCheckBox(text, this);
        c->setObjectName(name);
        c->setChecked(true);
        l->addWidget(c);
    };
    check(CheckBox1, "CheckBox1", "Graph");
    check(CheckBox2, "CheckBox2", "Valves");
    check(CheckBox3, "CheckBox3", "Info");
    check(CheckBox4, "CheckBox4", "Valve text");
    check(CheckBox5, "CheckBox5", "Grid");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

} // namespace varentis
