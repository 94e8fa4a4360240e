#include "app/About.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace varentis {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto* icon = new QLabel(this);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(QApplication::windowIcon().isNull()
                        ? style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48)
                        : QApplication::windowIcon().pixmap(48, 48));
    auto* product = new QLabel("Varentis", this);
    product->setObjectName("ProductName");
    QFont f = product->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    product->setFont(f);
    auto* version = new QLabel("Version 1.0", this);
    version->setObjectName("Version");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(version);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(ok, 0, Qt::AlignHCenter);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace varentis
