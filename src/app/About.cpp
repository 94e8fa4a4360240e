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

#include <QPainter>
#include <QPixmap>

namespace varentis {

QIcon programIcon() {
    QPixmap pix(64, 64);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x30, 0x60), 3));
    p.setBrush(Qt::white);
    p.drawRoundedRect(2, 2, 60, 60, 8, 8);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 2));
    p.drawLine(8, 54, 56, 54);
    p.setPen(QPen(QColor(0x10, 0x40, 0xC0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPoint peak[] = {{8, 50},  {18, 49}, {24, 47}, {28, 20}, {32, 14},
                           {36, 28}, {42, 40}, {50, 46}, {56, 48}};
    p.drawPolyline(peak, 9);
    return QIcon(pix);
}

} // namespace varentis
