#pragma once

#include "graph/GraphColors.h"

#include <QDialog>

class QColorDialog;
class QPushButton;

namespace varentis {

class Shape;

// "Graph colors": the seven colours of the screen graphs, each chosen with the platform's
// colour dialog, and two samples that show them: the valve graph and the main graph.
class TGColor : public QDialog {
    Q_OBJECT
  public:
    explicit TGColor(QWidget* parent = nullptr);

    GraphColors Colors;

    // Colours the samples.
    void FormPaint();
    void Button2Click(); // valve line
    void Button3Click(); // valve graph background
    void Button4Click(); // PMT line
    void Button5Click(); // potential line
    void Button6Click(); // current line
    void Button7Click(); // pump line
    void Button8Click(); // main graph background

    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7, *Button8;
    // Valve graph sample: background, base line, a valve pulse.
    Shape *Shape1, *Shape3, *Shape4;
    // Main graph sample: background, the PMT trace (a thick base line and a rise), and the
    // potential, current and pump lines.
    Shape *Shape2, *Shape5, *Shape6, *Shape7, *Shape8, *Shape9;
    QColorDialog* ColorDialog1;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Runs the colour dialog preset to `color`; a cancelled dialog leaves it as it was.
    void chooseColor(ColorRef& color);
};

} // namespace varentis
