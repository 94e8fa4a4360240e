#pragma once

#include "graph/Canvas.h"
#include "graph/GraphColors.h"
#include "graph/GraphScale.h"
#include "measurement/PointStore.h"
#include "measurement/Schedules.h"

#include <span>
#include <vector>

namespace varentis {

// What the plot shows besides its scale. The pointers must stay valid during a call; a null
// pointer counts as empty.
struct PlotContent {
    const PointStore* Points = nullptr;
    const PumpSchedule* Pump = nullptr;
    const PotentialSchedule* Potential = nullptr;
    double CycleTime = 30.0; // s
    bool ShowPump = false;
    bool ShowPotential = false;
    bool UsingPotentiostat = true;
    bool DrawCurrent = false;
    GraphColors Colors;
    int Width = 0;  // plot size in pixels
    int Height = 0;
};

// Where the "0" caption beside the zero line goes. Top is the caption's top edge, already
// 6 pixels above the zero line's row, relative to the plot's own top edge: the window adds
// only the plot's top within its panel.
struct ZeroLabel {
    bool Visible = false;
    int Top = 0;
};

// Pixel values of the signal and current traces are held within this many pixels of the
// plot's origin, so that wild values still give drawable coordinates.
inline constexpr double kPixelLimit = 10000.0;

// Nearest integer of v limited to +-limit (at most 2^30), halves to even; NaN gives 0. The
// same result as rnd() after clamping, at a fraction of its cost in the per-point loops.
inline int pixelWithin(double v, double limit) {
    // Written as selections, not branches, so that noisy data costs no mispredictions.
    v = v == v ? v : 0.0;
    v = v < limit ? v : limit;
    v = v > -limit ? v : -limit;
    // Adding and removing 1.5 * 2^52 leaves v rounded to an integer by the FPU's own
    // round-to-nearest-even.
    constexpr double magic = 6755399441055744.0;
    return static_cast<int>((v + magic) - magic);
}
inline int pixel(double v) { return pixelWithin(v, kPixelLimit); }

// Full redraw of the plot: background, cycle grid, horizontal grid, pump, potential, signal
// and current traces. Renews scale.DampedSignal from the stored points, and LastPlotted
// with the last stored point's place on this scale, where the next live segment starts.
ZeroLabel drawSignalGraph(Canvas& canvas, GraphScale& scale, const PlotContent& content);

// One live segment from scale.LastPlotted to the new point. `signal` has the zero line
// already subtracted.
void drawPoint(Canvas& canvas, GraphScale& scale, const PlotContent& content, double time,
               double signal, double current);

// Start of a run: the first live segment starts at the bottom-left corner.
void startLiveTrace(GraphScale& scale);

// The signal trace in pixels, after smoothing and rounding. With `decimate`, each run of
// points in one pixel column is reduced to its first, lowest, highest and last point, which
// sets the same pixels with a 1-pixel pen. Returns the smoothed value the filter carries on
// from; the value the last point was drawn at goes to *lastDrawn when given.
double buildSignalTrace(const GraphScale& scale, const PointStore& points, int height,
                        bool decimate, std::vector<Point>& out, double* lastDrawn = nullptr);
// The cell-current trace, likewise (no smoothing).
void buildCurrentTrace(const GraphScale& scale, const PointStore& points, int height,
                       bool decimate, std::vector<Point>& out);

} // namespace varentis
