#include "widgets/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace varentis {

PaintBox::PaintBox(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    // The box covers its area completely: repainting it must not repaint what lies below
    // (the frame box would otherwise ask for another full redraw every time).
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& PaintBox::image() {
    QSize s = size().expandedTo(QSize(1, 1));
    if (image_.size() != s) {
        QImage next(s, QImage::Format_RGB32);
        next.fill(Qt::white);
        if (!image_.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, image_);
        }
        image_ = std::move(next);
    }
    return image_;
}

void PaintBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (onPaint) {
        onPaint(p);
        return;
    }
    p.drawImage(0, 0, image());
}

void PaintBox::mousePressEvent(QMouseEvent* event) { emit mousePressed(event); }
void PaintBox::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(event); }
void PaintBox::mouseReleaseEvent(QMouseEvent* event) { emit mouseReleased(event); }

void PaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked(event);
    else emit mousePressed(event);
}

} // namespace varentis
