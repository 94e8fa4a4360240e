#include "graph/colors.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace varentis {

TGColor::TGColor(QWidget* parent) : QDialog(parent) {
    setObjectName("TGColor");
    setWindowTitle("Graph colors");
    auto* l = new QVBoxLayout(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    l->addWidget(buttons);
}

} // namespace varentis
