#include "printing/margins.h"

#include "widgets/DialogForm.h"
#include "widgets/RadioGroup.h"
#include "widgets/Shape.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace varentis {

namespace {
QRect qrect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }
} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TForm2", "Margins");
    form.beginGroup("GroupBox1", "Margins");
    Edit1 = form.edit("Edit1", "Left", "2.0", "cm");
    Edit2 = form.edit("Edit2", "Top", "2.0", "cm");
    Edit3 = form.edit("Edit3", "Right", "2.0", "cm");
    Edit4 = form.edit("Edit4", "Bottom", "2.0", "cm");
    form.endGroup();

    RadioGroup1 = form.newRadio("RadioGroup1", "Orientation", {"Portrait", "Landscape"}, 0);
    SpinEdit1 = new QSpinBox(form.parent());
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setRange(1, 100);
    SpinEdit1->setValue(1);

    // The paper picture: a white sheet with the printable area dotted inside it.
    GroupBox2 = new QGroupBox("Size:", this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setFixedSize(129, 145);
    Panel1 = new QWidget(GroupBox2);
    Panel1->setObjectName("Panel1");
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Shape1 = new Shape("Shape1", Panel1);
    Shape1->setFilled(false);
    Shape1->setDotted(true);

    form.row({RadioGroup1, GroupBox2});
    form.row({SpinEdit1}, "Line width");
    form.acceptReject("Button1", "OK", "Button2", "Cancel");
    Button1 = findChild<QPushButton*>("Button1");
    Button2 = findChild<QPushButton*>("Button2");

    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4})
        connect(e, &QLineEdit::textChanged, this, &TForm2::FormActivate);
    connect(RadioGroup1, &RadioGroup::itemIndexChanged, this, &TForm2::FormActivate);
}

void TForm2::showEvent(QShowEvent* event) {
    FormActivate();
    QDialog::showEvent(event);
}

void TForm2::FormActivate() {
    const PaperPixels paper = paperSize ? paperSize() : PaperPixels{};
    const PaperPreview p =
        paperPreview(paper, RadioGroup1->itemIndex() == 1, Edit1->text().toStdString(),
                     Edit2->text().toStdString(), Edit3->text().toStdString(),
                     Edit4->text().toStdString());
    GroupBox2->setTitle(QString::fromStdString(p.Caption));
    Panel1->setGeometry(qrect(p.Paper));
    Shape1->setGeometry(qrect(p.Area));
}

} // namespace varentis
