#pragma once

#include "printing/PaperPreview.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace varentis {

class RadioGroup;
class Shape;

// "Margins": the report's margins, the orientation and the line width, with a picture of
// the paper for the chosen orientation and the printable area inside it.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Lays the paper picture out and names the paper's size; also the change handler of
    // the four margins and of the orientation.
    void FormActivate();

    // The sheet of the printer the report goes to, asked afresh whenever the picture is
    // laid out.
    std::function<PaperPixels()> paperSize;

    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4; // cm: left, top, right, bottom
    RadioGroup* RadioGroup1;                   // "Portrait", "Landscape"
    QSpinBox* SpinEdit1;                       // "Line width", 1 .. 100
    QGroupBox* GroupBox2;                      // "Size: W x H cm"
    QWidget* Panel1;                           // the paper
    Shape* Shape1;                             // the printable area, dotted
    QPushButton *Button1, *Button2;            // "OK", "Cancel"

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace varentis
