#include "graph/colors.h"

#include "widgets/DialogForm.h"
#include "widgets/Shape.h"

#include <QColorDialog>
#include <QPushButton>

namespace varentis {

namespace {

QColor toColor(ColorRef c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}
ColorRef fromColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

Shape* shape(QWidget* sample, const char* name, QRect where, int penWidth = 1, bool filled = true) {
    auto* s = new Shape(name, sample);
    s->setGeometry(where);
    s->setPenWidth(penWidth);
    s->setFilled(filled);
    return s;
}

} // namespace

TGColor::TGColor(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TGColor", "Graph colors");

    form.beginGroup("GroupBox1", "Valve graph");
    QWidget* valves = form.newPanel("ValveSample", 200, 56);
    Shape1 = shape(valves, "Shape1", {0, 0, 200, 56});
    Shape3 = shape(valves, "Shape3", {10, 44, 180, 1}, 1, false);
    Shape4 = shape(valves, "Shape4", {70, 14, 31, 31}, 1, false);
    form.row({valves});
    Button2 = form.button("Button2", "Valve line color");
    Button3 = form.button("Button3", "Background color");

    form.beginGroup("GroupBox2", "Main graph");
    QWidget* main = form.newPanel("MainSample", 200, 76);
    Shape2 = shape(main, "Shape2", {0, 0, 200, 76});
    Shape7 = shape(main, "Shape7", {10, 14, 180, 1}, 1, false);
    Shape8 = shape(main, "Shape8", {10, 28, 180, 1}, 1, false);
    Shape9 = shape(main, "Shape9", {10, 42, 180, 1}, 1, false);
    Shape5 = shape(main, "Shape5", {10, 62, 110, 2}, 2, false);
    Shape6 = shape(main, "Shape6", {119, 20, 2, 44}, 2, false);
    form.row({main});
    Button4 = form.button("Button4", "PMT line color");
    Button5 = form.button("Button5", "Potential line color");
    Button6 = form.button("Button6", "Current line color");
    Button7 = form.button("Button7", "Pump line color");
    Button8 = form.button("Button8", "Background color");

    Button1 = form.closeButton("Button1", "&Close");

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName("ColorDialog1");

    connect(Button2, &QPushButton::clicked, this, &TGColor::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TGColor::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TGColor::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TGColor::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TGColor::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TGColor::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TGColor::Button8Click);
    FormPaint();
}

void TGColor::showEvent(QShowEvent* event) {
    FormPaint(); // the colours may have been set since the dialog last showed
    QDialog::showEvent(event);
}

void TGColor::FormPaint() {
    Shape1->setBrushColor(toColor(Colors.ValveBkg));
    Shape3->setPenColor(toColor(Colors.Valves));
    Shape4->setPenColor(toColor(Colors.Valves));
    Shape2->setBrushColor(toColor(Colors.Bkg));
    Shape5->setPenColor(toColor(Colors.PMT));
    Shape6->setPenColor(toColor(Colors.PMT));
    Shape7->setPenColor(toColor(Colors.Potential));
    Shape8->setPenColor(toColor(Colors.Current));
    Shape9->setPenColor(toColor(Colors.Pump));
}

void TGColor::chooseColor(ColorRef& color) {
    ColorDialog1->setCurrentColor(toColor(color));
    if (ColorDialog1->exec() == QDialog::Accepted)
        color = fromColor(ColorDialog1->selectedColor());
    FormPaint();
}

void TGColor::Button2Click() {
    chooseColor(Colors.Valves);
}
void TGColor::Button3Click() {
    chooseColor(Colors.ValveBkg);
}
void TGColor::Button4Click() {
    chooseColor(Colors.PMT);
}
void TGColor::Button5Click() {
    chooseColor(Colors.Potential);
}
void TGColor::Button6Click() {
    chooseColor(Colors.Current);
}
void TGColor::Button7Click() {
    chooseColor(Colors.Pump);
}
void TGColor::Button8Click() {
    chooseColor(Colors.Bkg);
}

} // namespace varentis
