#pragma once

#include "documents/SettingsFile.h"

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QColorDialog;
class QComboBox;
class QFontDialog;
class QFrame;
class QLabel;
class QPushButton;

namespace varentis {

class DialogForm;
class Shape;
class TForm2;

// "Print report": the blocks the report prints, the printer it goes to, and a small picture
// of the page in which a click on a part chooses its colour (frame, signal line, valve
// line, text); the report font, and the margins dialog with the orientation.
class TPrintRep : public QDialog {
    Q_OBJECT
public:
    // The entry of the printer list that prints to a PDF file.
    static const QString PdfFile;

    explicit TPrintRep(QWidget* parent = nullptr);

    // The page's parts show as their blocks are ticked, in their colours, laid out for the
    // orientation.
    void FormActivate();
    void SetVisible();
    void Shape1MouseDown(); // also Shape3: the frame colour
    void Shape2MouseDown(); // the signal line colour
    void Shape4MouseDown(); // the valve line colour
    void Label4Click();     // also Label5: the text colour
    void Button1Click();    // "&Font"
    void Button4Click();    // "&Margins"

    // The colours and the font from the page setup, and back.
    void setPage(const PageSetupValues& page);
    void takePage(PageSetupValues& page) const;
    // The printers to choose from (the PDF file entry is added last) and the one selected.
    void setPrinters(const QStringList& names, const QString& current);
    QString selectedPrinter() const;

    int Orientation = 0; // 0 portrait, 1 landscape
    QFont ReportFont;
    QColor ReportFontColor = Qt::black;
    TForm2* Margins = nullptr; // the margins dialog, made after this one

    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5;
    QFrame* Panel1; // the page
    QLabel *Label3, *Label4, *Label5;
    Shape *Shape1, *Shape2, *Shape3, *Shape4, *Shape5, *Shape6;
    QLabel* Label1;       // "Printer"
    QComboBox* ComboBox1; // the printers
    QPushButton *Button1, *Button4; // "&Font", "&Margins"
    QPushButton *Button2, *Button3; // "&Print", "&Cancel"
    QColorDialog* ColorDialog1;
    QFontDialog* FontDialog1;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The picture of the page that the dialog's clicks colour.
    QWidget* buildPagePicture(DialogForm& form);
    // Runs the colour dialog preset to `color`; a cancelled dialog gives the preset back.
    QColor chooseColor(const QColor& color);
    // The text colour on the labels of the picture.
    void showTextColor();
};

} // namespace varentis
