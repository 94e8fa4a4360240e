#pragma once

#include "core/NumberText.h"
#include "graph/Canvas.h"
#include "graph/GraphScale.h"
#include "measurement/PointStore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>

// What the mouse does on the plot, without the widgets: the rubber band of a zoom and the
// axis texts it gives, the position of a pixel in the axis units, the stored point nearest
// to a click with its read-outs and marker, the zero line taken from a read-out.
namespace varentis {

// Plot pixels of a rubber band: Left and Top where the drag started, Right and Bottom where
// the mouse is now (left of or above the start when the drag went that way).
struct PixelRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The texts of "X min", "X max", "Y min" and "Y max".
struct AxisTexts {
    std::string XMin;
    std::string XMax;
    std::string YMin;
    std::string YMax;
    friend bool operator==(const AxisTexts&, const AxisTexts&) = default;
};

// Where pixel column x and pixel row y of a plot `height` pixels high lie on the axes, in the
// selected time and signal units.
double timeAtPixel(const GraphScale& scale, int x);
double signalAtPixel(const GraphScale& scale, int height, int y);
// The same as the read-outs and the zoom write them: time with XDecimals + 1 decimals,
// signal with YDecimals.
std::string timeAtPixelText(const GraphScale& scale, int x);
std::string signalAtPixelText(const GraphScale& scale, int height, int y);

// A drag zooms only when it went right and down.
bool zoomsIn(const PixelRect& band);
// The axis limits of a zoom to `band`, released at (releaseX, releaseY): the start corner
// gives "X min" and "Y max", the release point "X max" and "Y min".
AxisTexts zoomedAxisTexts(const GraphScale& scale, int height, const PixelRect& band, int releaseX,
                          int releaseY);

// The stored point nearest in time to t (s), for times in ascending order: a bisection over
// the point index, which ends on the last point before t or the first at or after it, then
// a look at the neighbours of the point found. Every point that has a neighbour looks at it:
// leaving out points 1 and Count - 1 would pick point 1 for a click right on point 2.
// `timeAt(i)` is asked only for 0 <= i < count; count > 0.
template <class TimeAt> int nearestPointIndex(int count, double t, TimeAt&& timeAt) {
    const auto at = [count](double position) {
        // The bisection can come within a rounding of `count` itself; the store ends before.
        return static_cast<int>(std::clamp<std::int64_t>(rnd(position), 0, count - 1));
    };
    double a = count / 2.0;
    double s = a;
    do {
        s /= 2.0;
        if (timeAt(at(a)) >= t)
            a -= s;
        else
            a += s;
    } while (!(s < 0.1));
    int i = at(a);
    const double here = std::fabs(t - timeAt(i));
    if (i > 0 && std::fabs(t - timeAt(i - 1)) < here)
        --i;
    else if (i < count - 1 && std::fabs(t - timeAt(i + 1)) < here)
        ++i;
    return i;
}
int nearestPointIndex(std::span<const double> times, double t);

// The displayed (smoothed) signal at point `index`: the display smoothing run from point 0
// to it, zero line not taken off.
double smoothedSignal(std::span<const double> signalValues, int index, double dampingFactor);

// A left click on the plot at pixel column x: the point picked and what the read-outs show.
struct PointPick {
    int Index = 0;
    double Signal = 0.0; // A, smoothed, zero line not taken off (the read-out's raw value)
    std::string Time;    // in the time unit, XDecimals + 1 decimals
    std::string Value;   // signal minus zero line in the signal unit, YDecimals decimals
    Point Marker;        // the cross on the signal trace
    bool HasCurrent = false;
    std::string Current;    // cell current in the current unit, CurrentDecimals decimals
    int MarkerCurrentY = 0; // the cross on the current trace
};
// The store must hold at least one point. The current is read only when `withCurrent` is
// set and the store kept a current for the point.
PointPick pickPoint(const GraphScale& scale, const PointStore& points, int height, int x,
                    bool withCurrent);

// The "Zero" text that makes `readoutSignal` (A) read 0: YDecimals + 1 decimals.
std::string zeroLineText(const GraphScale& scale, double readoutSignal);

// The rubber band: an inverting dotted frame over the pixels Left .. Right - 1 and Top ..
// Bottom - 1 of the band put in order, each pixel inverted once, so that drawing it again
// restores the picture. An empty band draws nothing. Leaves the pen mode at Copy.
void drawFocusRect(Canvas& canvas, const PixelRect& band);
// A cursor cross at `at`, 5 pixels each way, in the pen mode the caller set.
void drawCross(Canvas& canvas, Point at);

} // namespace varentis
