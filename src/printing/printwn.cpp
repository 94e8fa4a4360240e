#include "printing/printwn.h"

#include "printing/margins.h"
#include "widgets/DialogForm.h"
#include "widgets/RadioGroup.h"
#include "widgets/Shape.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFontDialog>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace varentis {

const QString TPrintRep::PdfFile = "PDF file";

namespace {

QColor toColor(int c) {
    const auto ref = static_cast<ColorRef>(c);
    return QColor(redOf(ref), greenOf(ref), blueOf(ref));
}
int fromColor(const QColor& c) { return static_cast<int>(rgb(c.red(), c.green(), c.blue())); }

// Where the picture's parts lie in each orientation, in pixels of the page (the page in
// pixels of the picture's area).
struct PreviewLayout {
    QRect panel;
    int label3, label4, label5;
    QRect shape1, shape2, shape3, shape4, shape5, shape6;
};
const PreviewLayout kPortrait{{16, 24, 57, 81}, 4, 16, 24,
                              {8, 49, 41, 25},  {12, 62, 33, 3}, {8, 36, 41, 10},
                              {12, 40, 33, 3},  {20, 49, 17, 25}, {8, 56, 41, 12}};
const PreviewLayout kLandscape{{12, 30, 81, 57}, 3, 12, 18,
                               {8, 36, 65, 16},  {12, 44, 57, 2}, {8, 26, 65, 8},
                               {12, 29, 57, 2},  {24, 36, 32, 16}, {8, 40, 65, 8}};

Shape* pageShape(QWidget* page, const char* name, const QString& hint, bool clickable) {
    auto* s = new Shape(name, page);
    if (!hint.isEmpty()) s->setToolTip(hint);
    if (clickable) s->setCursor(Qt::PointingHandCursor);
    return s;
}

QLabel* pageLabel(QWidget* page, const char* name, const QString& text, int pixels, bool bold) {
    auto* l = new QLabel(text, page);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

} // namespace

QWidget* TPrintRep::buildPagePicture(DialogForm& form) {
    // The picture of the page: its parts are stacked so that the grid lies on the plot's
    // frame and the lines on top.
    QWidget* area = form.newPanel("PreviewArea", 110, 112);
    Panel1 = new QFrame(area);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setToolTip("View of printed page");
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Label3 = pageLabel(Panel1, "Label3", "Varentis", 8, true);
    Label4 = pageLabel(Panel1, "Label4", "Info text", 7, false);
    Label5 = pageLabel(Panel1, "Label5", "Valves", 7, false);
    for (QLabel* l : {Label4, Label5}) {
        l->setToolTip("Selection of text color");
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    Shape1 = pageShape(Panel1, "Shape1", "Frame color", true);
    Shape5 = pageShape(Panel1, "Shape5", {}, false);
    Shape6 = pageShape(Panel1, "Shape6", {}, false);
    Shape2 = pageShape(Panel1, "Shape2", "Signal line color", true);
    Shape3 = pageShape(Panel1, "Shape3", "Frame color", true);
    Shape4 = pageShape(Panel1, "Shape4", "Valve line color", true);
    for (Shape* s : {Shape5, Shape6}) {
        s->setFilled(false);
        s->setDotted(true);
        // Clicks go through to the plot's frame beneath.
        s->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    return area;
}

TPrintRep::TPrintRep(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TPrintRep", "Print report");

    QWidget* area = buildPagePicture(form);

    CheckBox1 = form.newCheck("CheckBox1", "Data graph", true);
    CheckBox2 = form.newCheck("CheckBox2", "Valve graph", true);
    CheckBox3 = form.newCheck("CheckBox3", "Info text", true);
    CheckBox4 = form.newCheck("CheckBox4", "Valve text", true);
    CheckBox5 = form.newCheck("CheckBox5", "Grid", true);
    QGroupBox* range = form.newGroup("GroupBox1", "Print",
                                     {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5});
    form.row({area, range});

    Label1 = form.newLabel("Label1", "Printer");
    ComboBox1 = form.newCombo("ComboBox1", {PdfFile});
    ComboBox1->setMinimumWidth(200);
    form.row({Label1, ComboBox1});
    Button1 = form.newButton("Button1", "&Font");
    Button4 = form.newButton("Button4", "&Margins");
    form.row({Button1, Button4});
    form.acceptReject("Button2", "&Print", "Button3", "&Cancel");
    Button2 = findChild<QPushButton*>("Button2");
    Button3 = findChild<QPushButton*>("Button3");

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName("ColorDialog1");
    FontDialog1 = new QFontDialog(this);
    FontDialog1->setObjectName("FontDialog1");

    ReportFont = QFont("Arial", 12);
    for (QCheckBox* c : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5})
        connect(c, &QCheckBox::clicked, this, &TPrintRep::SetVisible);
    connect(Shape1, &Shape::mousePressed, this, &TPrintRep::Shape1MouseDown);
    connect(Shape3, &Shape::mousePressed, this, &TPrintRep::Shape1MouseDown);
    connect(Shape2, &Shape::mousePressed, this, &TPrintRep::Shape2MouseDown);
    connect(Shape4, &Shape::mousePressed, this, &TPrintRep::Shape4MouseDown);
    connect(Button1, &QPushButton::clicked, this, &TPrintRep::Button1Click);
    connect(Button4, &QPushButton::clicked, this, &TPrintRep::Button4Click);
    FormActivate();
}

void TPrintRep::showEvent(QShowEvent* event) {
    FormActivate();
    QDialog::showEvent(event);
}

bool TPrintRep::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Label4 || watched == Label5) && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TPrintRep::SetVisible() {
    const bool graph = CheckBox1->isChecked();
    Shape1->setVisible(graph);
    Shape2->setVisible(graph);
    Shape3->setVisible(CheckBox2->isChecked());
    Shape4->setVisible(CheckBox2->isChecked());
    Label4->setVisible(CheckBox3->isChecked());
    Label5->setVisible(CheckBox4->isChecked());
    Shape5->setVisible(CheckBox5->isChecked() && graph);
    Shape6->setVisible(CheckBox5->isChecked() && graph);
}

void TPrintRep::showTextColor() {
    for (QLabel* l : {Label4, Label5}) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, ReportFontColor);
        l->setPalette(p);
    }
}

void TPrintRep::FormActivate() {
    SetVisible();
    Shape2->setBrushColor(Shape2->penColor());
    Shape4->setBrushColor(Shape4->penColor());
    Shape3->setPenColor(Shape1->penColor());
    showTextColor();

    const PreviewLayout& at = Orientation == 1 ? kLandscape : kPortrait;
    Panel1->setGeometry(at.panel);
    const int labelWidth = at.panel.width() - 6;
    Label3->setGeometry(4, at.label3, labelWidth, 10);
    Label4->setGeometry(4, at.label4, labelWidth, 9);
    Label5->setGeometry(4, at.label5, labelWidth, 9);
    Shape1->setGeometry(at.shape1);
    Shape2->setGeometry(at.shape2);
    Shape3->setGeometry(at.shape3);
    Shape4->setGeometry(at.shape4);
    Shape5->setGeometry(at.shape5);
    Shape6->setGeometry(at.shape6);
}

QColor TPrintRep::chooseColor(const QColor& color) {
    ColorDialog1->setCurrentColor(color);
    if (ColorDialog1->exec() == QDialog::Accepted) return ColorDialog1->selectedColor();
    return color;
}

void TPrintRep::Shape1MouseDown() {
    const QColor c = chooseColor(Shape1->penColor());
    Shape1->setPenColor(c);
    Shape3->setPenColor(c);
}

void TPrintRep::Shape2MouseDown() {
    const QColor c = chooseColor(Shape2->penColor());
    Shape2->setPenColor(c);
    Shape2->setBrushColor(c);
}

void TPrintRep::Shape4MouseDown() {
    const QColor c = chooseColor(Shape4->penColor());
    Shape4->setPenColor(c);
    Shape4->setBrushColor(c);
}

void TPrintRep::Label4Click() {
    ReportFontColor = chooseColor(ReportFontColor);
    showTextColor();
}

void TPrintRep::Button1Click() {
    FontDialog1->setCurrentFont(ReportFont);
    if (FontDialog1->exec() == QDialog::Accepted) ReportFont = FontDialog1->selectedFont();
    showTextColor();
}

void TPrintRep::Button4Click() {
    if (!Margins) return;
    Margins->RadioGroup1->setItemIndex(Orientation == 1 ? 1 : 0);
    if (Margins->exec() != QDialog::Accepted) return;
    Orientation = Margins->RadioGroup1->itemIndex() == 1 ? 1 : 0;
    FormActivate();
}

void TPrintRep::setPage(const PageSetupValues& page) {
    Shape1->setPenColor(toColor(page.FrameColor));
    Shape3->setPenColor(toColor(page.FrameColor));
    Shape2->setPenColor(toColor(page.LineColor));
    Shape2->setBrushColor(toColor(page.LineColor));
    Shape4->setPenColor(toColor(page.ValveColor));
    Shape4->setBrushColor(toColor(page.ValveColor));
    ReportFont.setFamily(QString::fromStdString(page.FontName));
    ReportFont.setPointSize(std::clamp(page.FontSize, 1, 1000));
    ReportFont.setBold(page.FontBold);
    ReportFont.setItalic(page.FontItalic);
    if (!page.FontOtherStyle) {
        ReportFont.setUnderline(false);
        ReportFont.setStrikeOut(false);
    }
    ReportFontColor = toColor(page.FontColor);
    showTextColor();
}

void TPrintRep::takePage(PageSetupValues& page) const {
    page.FrameColor = fromColor(Shape1->penColor());
    page.LineColor = fromColor(Shape2->penColor());
    page.ValveColor = fromColor(Shape4->penColor());
    page.FontName = ReportFont.family().toStdString();
    const double points = ReportFont.pointSizeF();
    if (points > 0) page.FontSize = static_cast<int>(std::lround(points));
    page.FontBold = ReportFont.bold();
    page.FontItalic = ReportFont.italic();
    page.FontOtherStyle = ReportFont.underline() || ReportFont.strikeOut();
    page.FontColor = fromColor(ReportFontColor);
}

void TPrintRep::setPrinters(const QStringList& names, const QString& current) {
    ComboBox1->clear();
    ComboBox1->addItems(names);
    ComboBox1->addItem(PdfFile);
    const int at = ComboBox1->findText(current);
    ComboBox1->setCurrentIndex(at >= 0 ? at : ComboBox1->count() - 1);
}

QString TPrintRep::selectedPrinter() const { return ComboBox1->currentText(); }

} // namespace varentis
