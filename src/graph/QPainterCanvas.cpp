#include "graph/QPainterCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QString>

#include <algorithm>

namespace varentis {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter)
    : painter_(painter), brush_(Qt::white), text_(Qt::black) {
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
    const int width = width_;
    QPen pen(pen_.color(), width, Qt::SolidLine, width > 1 ? Qt::RoundCap : Qt::SquareCap,
             width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    const QPaintDevice* device = painter_.device();
    if (width <= 1 && style_ == PenStyle::Solid && device &&
        device->devType() == QInternal::Printer) {
        // One printer pixel is the thinnest line the device draws: a PDF viewer then shows
        // it as one pixel of the screen at any zoom instead of smoothing it away. (Dash
        // patterns are counted in pen widths and need a width.)
        pen.setWidth(0);
    }
    if (style_ == PenStyle::Dotted) {
        // One pixel on, one off, like the dotted pens of the window system.
        pen.setDashPattern({1.0, 1.0});
    } else if (style_ == PenStyle::Dashed) {
        // Dashes of 1/16 inch with gaps of half that, on screen and on paper alike; the
        // pattern counts in pen widths.
        const double dpi = device ? std::max(device->logicalDpiX(), 1) : 96.0;
        const double dash = std::max(4.0, dpi / 16.0) / width;
        pen.setDashPattern({dash, dash / 2});
        pen.setCapStyle(Qt::FlatCap);
    }
    pen_ = pen;
    painter_.setPen(pen_);
}

void QPainterCanvas::setPenColor(ColorRef color) {
    pen_.setColor(toQColor(color));
    applyPen();
}

void QPainterCanvas::setPenWidth(int width) {
    width_ = width < 1 ? 1 : width;
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

void QPainterCanvas::setFont(const CanvasFont& font) {
    QFont f(QString::fromStdString(font.Name));
    f.setPointSize(std::max(font.Size, 1));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    painter_.setFont(f);
    text_ = toQColor(font.Color);
}

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
    // Square corners whatever the pen's width.
    QPen pen = painter_.pen();
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
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
    const QFontMetrics metrics = painter_.fontMetrics();
    painter_.setPen(text_);
    painter_.drawText(QPoint(x, y + metrics.ascent()), toQString(text));
    painter_.setPen(pen_);
}

Size QPainterCanvas::textExtent(std::string_view text) {
    const QFontMetrics metrics = painter_.fontMetrics();
    return {metrics.horizontalAdvance(toQString(text)), metrics.height()};
}

} // namespace varentis
