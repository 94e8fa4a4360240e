#pragma once

#include <QColor>
#include <QWidget>

namespace varentis {

// A drawn figure: a rectangle outlined with a pen and filled with a brush, or left unfilled.
// A shape no taller (or no wider) than its pen is a line in the pen's colour. A dotted
// outline is one pixel on, one off. A press of the mouse on it is told by mousePressed().
class Shape : public QWidget {
    Q_OBJECT
  public:
    explicit Shape(const QString& name, QWidget* parent = nullptr);

    QColor penColor() const { return pen_; }
    void setPenColor(const QColor& color);
    int penWidth() const { return penWidth_; }
    void setPenWidth(int width);
    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& color);
    // An unfilled shape shows what lies beneath inside its outline.
    bool filled() const { return filled_; }
    void setFilled(bool filled);
    bool dotted() const { return dotted_; }
    void setDotted(bool dotted);

  signals:
    void mousePressed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QColor pen_ = Qt::black;
    int penWidth_ = 1;
    QColor brush_ = Qt::white;
    bool filled_ = true;
    bool dotted_ = false;
};

} // namespace varentis
