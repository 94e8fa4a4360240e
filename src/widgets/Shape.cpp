#include "widgets/Shape.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace varentis {

Shape::Shape(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
}

void Shape::setPenColor(const QColor& color) {
    pen_ = color;
    update();
}

void Shape::setPenWidth(int width) {
    penWidth_ = std::max(width, 1);
    update();
}

void Shape::setBrushColor(const QColor& color) {
    brush_ = color;
    update();
}

void Shape::setFilled(bool filled) {
    filled_ = filled;
    update();
}

void Shape::setDotted(bool dotted) {
    dotted_ = dotted;
    update();
}

void Shape::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    emit mousePressed();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const int w = penWidth_;
    if (filled_)
        p.fillRect(r, brush_);
    if (dotted_) {
        for (int x = r.left(); x <= r.right(); x += 2) {
            p.fillRect(QRect(x, r.top(), 1, 1), pen_);
            p.fillRect(QRect(x, r.bottom(), 1, 1), pen_);
        }
        for (int y = r.top(); y <= r.bottom(); y += 2) {
            p.fillRect(QRect(r.left(), y, 1, 1), pen_);
            p.fillRect(QRect(r.right(), y, 1, 1), pen_);
        }
        return;
    }
    // The outline lies inside the shape's bounds, however wide the pen.
    p.fillRect(QRect(r.left(), r.top(), r.width(), std::min(w, r.height())), pen_);
    p.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), std::min(w, r.height())), pen_);
    p.fillRect(QRect(r.left(), r.top(), std::min(w, r.width()), r.height()), pen_);
    p.fillRect(QRect(r.right() - w + 1, r.top(), std::min(w, r.width()), r.height()), pen_);
}

} // namespace varentis
