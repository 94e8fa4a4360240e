#pragma once

#include "graph/Canvas.h"

#include <string>
#include <vector>

namespace varentis {

// Keeps every call so that tests can assert the exact coordinates the drawing rules give.
// Lines are also kept expanded into segments with the pen that drew them.
class RecordingCanvas : public Canvas {
public:
    enum class Kind { MoveTo, LineTo, Polyline, Rectangle, FillRect, TextOut };

    struct Call {
        Kind kind;
        std::vector<Point> points; // MoveTo/LineTo: one; Polyline: all; rectangles: two corners
        std::string text;
        ColorRef penColor;
        PenStyle penStyle;
        int penWidth;
        PenMode penMode;
        ColorRef brushColor;
        CanvasFont font;
    };

    struct Segment {
        Point from;
        Point to;
        ColorRef color;
        PenStyle style;
        int width;
        friend bool operator==(const Segment&, const Segment&) = default;
    };

    void setPenColor(ColorRef color) override { penColor_ = color; }
    void setPenWidth(int width) override { penWidth_ = width; }
    void setPenStyle(PenStyle style) override { penStyle_ = style; }
    void setPenMode(PenMode mode) override { penMode_ = mode; }
    void setBrushColor(ColorRef color) override { brushColor_ = color; }
    void setFont(const CanvasFont& font) override {
        font_ = font;
        fontSet_ = true;
    }

    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void polyline(std::span<const Point> points) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void textOut(int x, int y, std::string_view text) override;
    // A fixed cell per character, so layouts are predictable in tests: 7 x 13 pixels until a
    // font is set, then Size / 2 x 2 Size pixels for a font of Size points.
    Size textExtent(std::string_view text) override;

    const std::vector<Call>& calls() const { return calls_; }
    // The texts drawn, in order.
    std::vector<Call> textCalls() const;
    const std::vector<Segment>& segments() const { return segments_; }
    // Segments drawn with the given pen colour, in order.
    std::vector<Segment> segmentsOf(ColorRef color) const;
    void clear();

protected:
    // Every coordinate passes here first; a checking canvas overrides it.
    virtual void checkPoint(Point) {}

private:
    void addSegment(Point to);
    void record(Kind kind, std::vector<Point> points, std::string_view text = {});

    std::vector<Call> calls_;
    std::vector<Segment> segments_;
    Point position_;
    ColorRef penColor_ = 0;
    PenStyle penStyle_ = PenStyle::Solid;
    int penWidth_ = 1;
    PenMode penMode_ = PenMode::Copy;
    ColorRef brushColor_ = rgb(255, 255, 255);
    CanvasFont font_;
    bool fontSet_ = false;
};

} // namespace varentis
