#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varentis {

// A colour as the program stores it: red + 256 * green + 65536 * blue.
using ColorRef = std::uint32_t;

constexpr ColorRef rgb(int red, int green, int blue) {
    return static_cast<ColorRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int redOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Left, top, right, bottom; right and bottom are excluded.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Dotted: one pixel on, one off. Dashed: dashes long enough to read on paper at any
// resolution (a few points long).
enum class PenStyle { Solid, Dotted, Dashed };
// Copy paints the pen colour; the xor modes invert what lies beneath (rubber bands); Not
// inverts every pixel the pen draws whatever its colour, so a figure drawn twice is gone.
enum class PenMode { Copy, Xor, NotXor, Not };

// The font that text is drawn in; the text takes the font's colour, not the pen's.
struct CanvasFont {
    std::string Name = "Arial";
    int Size = 12; // points
    bool Bold = false;
    bool Italic = false;
    ColorRef Color = 0;
    friend bool operator==(const CanvasFont&, const CanvasFont&) = default;
};

// The drawing surface of the plot, the valve graph and the printed report. Coordinates are
// device pixels, origin top-left, y growing downwards. Rectangles take left, top, right,
// bottom with right and bottom excluded, so (0, 0, width, height) covers a box exactly.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void setPenColor(ColorRef color) = 0;
    virtual void setPenWidth(int width) = 0;
    virtual void setPenStyle(PenStyle style) = 0;
    virtual void setPenMode(PenMode mode) = 0;
    virtual void setBrushColor(ColorRef color) = 0;
    virtual void setFont(const CanvasFont& font) = 0;

    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    // Moves to the first point and draws to each further one; the current position ends at
    // the last point. A single point only moves.
    virtual void polyline(std::span<const Point> points) = 0;
    // Outline with the pen, inside filled with the brush.
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    // Brush only, no outline.
    virtual void fillRect(int left, int top, int right, int bottom) = 0;
    // Text with its top-left corner at (x, y), in the font's colour.
    virtual void textOut(int x, int y, std::string_view text) = 0;
    // Width of the text and height of the font (ascent plus descent), in device pixels.
    virtual Size textExtent(std::string_view text) = 0;

    // Convenience for the common pen changes.
    void setPen(ColorRef color, PenStyle style = PenStyle::Solid, int width = 1) {
        setPenColor(color);
        setPenStyle(style);
        setPenWidth(width);
    }
};

} // namespace varentis
