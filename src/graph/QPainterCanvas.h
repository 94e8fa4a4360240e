#pragma once

#include "graph/Canvas.h"

#include <QPen>
#include <QPoint>
#include <vector>

class QPainter;

namespace varentis {

// Draws on whatever the painter paints: a screen image, a widget or a printer page.
// Lines are not antialiased, so a 1-pixel pen sets exactly the pixels of the line.
class QPainterCanvas : public Canvas {
public:
    explicit QPainterCanvas(QPainter& painter);

    void setPenColor(ColorRef color) override;
    void setPenWidth(int width) override;
    void setPenStyle(PenStyle style) override;
    void setPenMode(PenMode mode) override;
    void setBrushColor(ColorRef color) override;

    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void polyline(std::span<const Point> points) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void textOut(int x, int y, std::string_view text) override;
    Size textExtent(std::string_view text) override;

    static QColor toQColor(ColorRef color);

private:
    void applyPen();

    QPainter& painter_;
    QPen pen_;
    QColor brush_;
    PenStyle style_ = PenStyle::Solid;
    QPoint position_;
    std::vector<QPoint> scratch_;
};

} // namespace varentis
