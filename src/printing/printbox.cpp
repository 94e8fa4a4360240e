#include "printing/printbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace varentis {

TPrintBox1::TPrintBox1(QWidget* parent) : QDialog(parent) {
    setObjectName("TPrintBox1");
    setWindowTitle("Printing");
    auto* l = new QVBoxLayout(this);
    auto* label = new QLabel("Printing", this);
    label->setObjectName("Label1");
    l->addWidget(label);
}

} // namespace varentis
