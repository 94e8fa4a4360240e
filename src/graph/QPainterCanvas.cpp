#include "graph/QPainterCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

namespace varentis {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(painter), brush_(Qt::white) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    pen_ = QPen(QColor(Qt::black), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    applyPen();
}

QColor QPainterCanvas::toQColor(ColorRef color) {
    return QColor(redOf(color), greenOf(color), blueOf(color));
}

void QPainterCanvas::applyPen() {
    // A fresh pen each time: a solid pen that once carried a dash pattern is still stroked
    // through the slow dashed path.
    QPen pen(pen_.color(), pen_.width(), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    if (style_ == PenStyle::Dotted) {
        // One pixel on, one off, like the dotted pens of the window system.
        pen.setDashPattern({1.0, 1.0});
    }
    pen_ = pen;
    painter_.setPen(pen_);
}

void QPainterCanvas::setPenColor(ColorRef color) {
    pen_.setColor(toQColor(color));
    applyPen();
}

void QPainterCanvas::setPenWidth(int width) {
    pen_.setWidth(width < 1 ? 1 : width);
    applyPen();
}

void QPainterCanvas::setPenStyle(PenStyle style) {
    style_ = style;
    applyPen();
}

void QPainterCanvas::setPenMode(PenMode mode) {
    switch (mode) {
    case PenMode::Copy:
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        break;
    case PenMode::Xor:
        painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        break;
    case PenMode::NotXor:
        painter_.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        break;
    case PenMode::Not:
        painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
        break;
    }
}

void QPainterCanvas::setBrushColor(ColorRef color) { brush_ = toQColor(color); }

void QPainterCanvas::moveTo(int x, int y) { position_ = QPoint(x, y); }

void QPainterCanvas::lineTo(int x, int y) {
    QPoint to(x, y);
    painter_.drawLine(position_, to);
    position_ = to;
}

void QPainterCanvas::polyline(std::span<const Point> points) {
    if (points.empty()) return;
    if (points.size() > 1) {
        scratch_.clear();
        scratch_.reserve(points.size());
        for (Point p : points) scratch_.emplace_back(p.x, p.y);
        painter_.drawPolyline(scratch_.data(), static_cast<int>(scratch_.size()));
    }
    position_ = QPoint(points.back().x, points.back().y);
}

void QPainterCanvas::rectangle(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    painter_.save();
    painter_.setBrush(brush_);
    // A 1-pixel outline of QRect(x, y, w, h) covers w + 1 columns, so the box from left to
    // right - 1 is given one narrower.
    painter_.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
    painter_.restore();
}

void QPainterCanvas::fillRect(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    painter_.fillRect(QRect(left, top, right - left, bottom - top), brush_);
}

void QPainterCanvas::textOut(int x, int y, std::string_view text) {
    QFontMetrics metrics(painter_.font());
    painter_.drawText(QPoint(x, y + metrics.ascent()), toQString(text));
}

Size QPainterCanvas::textExtent(std::string_view text) {
    QFontMetrics metrics(painter_.font());
    return {metrics.horizontalAdvance(toQString(text)), metrics.height()};
}

} // namespace varentis
