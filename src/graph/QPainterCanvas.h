#pragma once

#include "graph/Canvas.h"

#include <QPen>
#include <QPoint>
#include <vector>

class QPainter;

namespace varentis {

// Draws on whatever the painter paints: a screen image, a widget or a printer page.
// Lines are not antialiased, so a 1-pixel pen sets exactly the pixels of the line. Lines of
// wider pens have round ends and joins, so a trace drawn as one polyline covers the same
// area as its segments drawn one by one. Fonts are sized for the painter's device.
class QPainterCanvas : public Canvas {
public:
    explicit QPainterCanvas(QPainter& painter);

    void setPenColor(ColorRef color) override;
    void setPenWidth(int width) override;
    void setPenStyle(PenStyle style) override;
    void setPenMode(PenMode mode) override;
    void setBrushColor(ColorRef color) override;
    void setFont(const CanvasFont& font) override;

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
    QColor text_;
    PenStyle style_ = PenStyle::Solid;
    int width_ = 1; // as set; the painter's pen may differ (a printer's thinnest line)
    QPoint position_;
    std::vector<QPoint> scratch_;
};

} // namespace varentis
