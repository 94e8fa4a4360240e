#include "graph/SignalGraph.h"

#include "graph/CycleTrace.h"

#include "core/Decimal.h"
#include "core/NumberText.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <limits>

namespace varentis {

namespace {

constexpr ColorRef kBlack = rgb(0, 0, 0);
constexpr ColorRef kGridGrey = rgb(128, 128, 128);

double clampPixel(double v) {
    if (!(v == v)) return 0.0;
    return std::clamp(v, -kPixelLimit, kPixelLimit);
}

TimeAxis timeAxis(const GraphScale& s, int width) {
    TimeAxis a;
    a.XMin = s.XMin;
    a.XMax = s.XMax;
    a.XScale = s.XScale;
    a.Width = width;
    return a;
}

// The zero line's row and the distances of the grid rows from it, tenths of the axis.
struct GridRows {
    int zero = 0;
    std::array<int, 10> tenths{};
};

// Row z = rnd(YMax x YScale) and k = rnd((YMax - YMin) x i/10 x YScale). The scale is the
// plot's height over the span, so on the decimals the limits stand for z is height x YMax /
// (YMax - YMin) and k is height x i / 10, and a half goes to the even row (-50 .. 50 on 433
// pixels: 216.5 gives 216; the doubles land a hair above the half). A scale that is no such
// quotient is rounded from the doubles.
GridRows gridRows(const GraphScale& s) {
    GridRows rows;
    const double spanPixels = (s.YMax - s.YMin) * s.YScale;
    const std::int64_t height = rnd(spanPixels);
    const bool wholeHeight = std::fabs(spanPixels - static_cast<double>(height)) <=
                             1e-9 * std::max(1.0, std::fabs(spanPixels));
    const Decimal max = decimalNear(s.YMax);
    const std::optional<std::int64_t> z =
        wholeHeight ? roundedScaledRatio(height, max, add(max, negate(decimalNear(s.YMin))))
                    : std::nullopt;
    if (!z || *z < -kPixelLimit || *z > kPixelLimit) {
        rows.zero = pixel(s.YMax * s.YScale);
        for (int i = 1; i <= 9; ++i)
            rows.tenths[static_cast<std::size_t>(i)] = pixel(spanPixels * i / 10.0);
        return rows;
    }
    rows.zero = static_cast<int>(*z);
    for (int i = 1; i <= 9; ++i)
        rows.tenths[static_cast<std::size_t>(i)] =
            static_cast<int>(*roundedQuotient(static_cast<Int128>(height) * i, 10));
    return rows;
}

// Returns where the "0" caption goes.
ZeroLabel drawHorizontalGrid(Canvas& canvas, const GraphScale& s, int width, int height) {
    ZeroLabel label;
    canvas.setPenColor(kGridGrey);
    // Zero lies strictly inside the axis; the signs are compared rather than the product,
    // which underflows to zero for tiny limits.
    bool zeroInside = (s.YMin < 0 && s.YMax > 0) || (s.YMin > 0 && s.YMax < 0);
    if (!zeroInside) {
        canvas.setPenStyle(PenStyle::Dotted);
        // At least one pixel per step: a plot under 6 pixels high would round it to 0.
        std::int64_t step = std::max<std::int64_t>(1, rnd(height / 10.0));
        std::int64_t y = 0;
        do {
            y += step;
            canvas.moveTo(0, static_cast<int>(y));
            canvas.lineTo(width, static_cast<int>(y));
        } while (y < height);
        return label;
    }
    const GridRows rows = gridRows(s);
    const int z = rows.zero;
    canvas.setPenStyle(PenStyle::Solid);
    canvas.moveTo(0, z);
    canvas.lineTo(width, z);
    label.Visible = true;
    label.Top = z - 6;
    canvas.setPenStyle(PenStyle::Dotted);
    for (int i = 1; i <= 9; ++i) {
        const int k = rows.tenths[static_cast<std::size_t>(i)];
        if (z - k > 0) {
            canvas.moveTo(0, z - k);
            canvas.lineTo(width, z - k);
        }
        if (z + k < height) {
            canvas.moveTo(0, z + k);
            canvas.lineTo(width, z + k);
        }
    }
    return label;
}

// The pump and potential programs: one level per step, repeated every cycle. A step's end
// is cut at the cycle's end (a NaN end counts as the cycle's end); the trace stops there.
void drawProgramTrace(Canvas& canvas, const GraphScale& s, double cycle,
                      const std::vector<double>& ends, const std::vector<int>& levels,
                      int width) {
    std::vector<TraceVertex> corners;
    corners.reserve(2 * levels.size());
    double e = 0.0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        corners.push_back({e, levels[i]});
        e = ends[i] < cycle ? ends[i] : cycle;
        corners.push_back({e, levels[i]});
        if (e == cycle) break;
    }
    drawCycleTrace(canvas, timeAxis(s, width), cycle, corners);
}

void drawPumpTrace(Canvas& canvas, const GraphScale& s, const PlotContent& content) {
    if (!content.ShowPump || !content.Pump) return;
    const PumpSchedule& p = *content.Pump;
    std::size_t n = std::min({static_cast<std::size_t>(std::max(p.StepCount, 0)),
                              p.EndTimes.size(), p.Speeds.size()});
    if (n == 0) return;
    std::vector<int> levels(n);
    // Speed 100 at the top edge, 0 at mid-height.
    for (std::size_t i = 0; i < n; ++i)
        levels[i] = pixel(content.Height * (100.0 - p.Speeds[i]) / 200.0);
    canvas.setPen(content.Colors.Pump, PenStyle::Solid);
    drawProgramTrace(canvas, s, content.CycleTime, p.EndTimes, levels, content.Width);
}

void drawPotentialTrace(Canvas& canvas, const GraphScale& s, const PlotContent& content) {
    if (!content.ShowPotential || !content.Potential) return;
    const PotentialSchedule& p = *content.Potential;
    std::size_t n = std::min({static_cast<std::size_t>(std::max(p.StepCount, 0)),
                              p.EndTimes.size(), p.Potentials.size()});
    if (n == 0) return;
    std::vector<int> levels(n);
    for (std::size_t i = 0; i < n; ++i)
        levels[i] = content.Height - pixel((p.Potentials[i] - s.PotMin) * s.PotScale);
    canvas.setPen(content.Colors.Potential, PenStyle::Solid);
    drawProgramTrace(canvas, s, content.CycleTime, p.EndTimes, levels, content.Width);
}

// Collects trace points, reducing each run of points in one pixel column to its first,
// lowest, highest and last point.
class ColumnDecimator {
public:
    explicit ColumnDecimator(std::vector<Point>& out) : out_(out) {}
    void add(int x, int y) {
        if (x == x_) [[likely]] {
            lo_ = std::min(lo_, y);
            hi_ = std::max(hi_, y);
            last_ = y;
            return;
        }
        flush();
        x_ = x;
        first_ = lo_ = hi_ = last_ = y;
        open_ = true;
    }
    void flush() {
        if (!open_) return;
        push(first_);
        push(lo_);
        push(hi_);
        push(last_);
        open_ = false;
        x_ = INT_MIN;
    }

private:
    void push(int y) {
        Point p{x_, y};
        if (out_.empty() || !(out_.back() == p)) out_.push_back(p);
    }
    std::vector<Point>& out_;
    bool open_ = false;
    int x_ = INT_MIN;
    int first_ = 0, lo_ = 0, hi_ = 0, last_ = 0;
};

std::size_t usableCount(const PointStore& points) {
    return std::min({static_cast<std::size_t>(std::max(points.Count, 0)), points.Times.size(),
                     points.Signals.size()});
}

// Painting code built for AVX may return with the upper halves of the vector registers
// dirty; plain SSE code after it then runs at a third of its speed on many processors
// until they are cleared. The per-point loops clear them first.
void clearUpperVectorState() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx) __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

// A smoothed value that is not a finite number must not stay in the filter, where it would
// carry into every later point (a NaN or an infinity in the store, or an overflow): a NaN
// is drawn at 0, an infinity at the edge, and the smoothing goes on from 0. Written as
// selections, for the per-point loop.
inline double drawnValue(double damped) { return damped == damped ? damped : 0.0; }
inline double carriedValue(double damped) {
    return std::fabs(damped) <= std::numeric_limits<double>::max() ? damped : 0.0;
}

template <typename Sink>
double signalTrace(const GraphScale& s, const PointStore& points, std::size_t n, int height,
                   double* lastDrawn, Sink&& sink) {
    const double* times = points.Times.data();
    const double* signals = points.Signals.data();
    const double f = s.DampingFactor;
    const double g = 1.0 - f;
    const double zero = s.ZeroLine;
    // Point 0 goes through the filter like any other, then the filter restarts from it.
    double damped = signals[0] - zero;
    double drawn = drawnValue(f * damped + g * (signals[0] - zero));
    sink(pixel((times[0] - s.XMin) * s.XScale), height - pixel((drawn - s.YMin) * s.YScale));
    damped = carriedValue(signals[0] - zero);
    for (std::size_t i = 1; i < n; ++i) {
        damped = f * damped + g * (signals[i] - zero);
        drawn = drawnValue(damped);
        sink(pixel((times[i] - s.XMin) * s.XScale), height - pixel((drawn - s.YMin) * s.YScale));
        damped = carriedValue(damped);
    }
    if (lastDrawn) *lastDrawn = drawn;
    return damped;
}

} // namespace

double buildSignalTrace(const GraphScale& scale, const PointStore& points, int height,
                        bool decimate, std::vector<Point>& out, double* lastDrawn) {
    out.clear();
    std::size_t n = usableCount(points);
    if (n == 0) return scale.DampedSignal;
    clearUpperVectorState();
    if (!decimate) {
        out.reserve(n);
        return signalTrace(scale, points, n, height, lastDrawn,
                           [&](int x, int y) { out.push_back({x, y}); });
    }
    ColumnDecimator columns(out);
    double damped =
        signalTrace(scale, points, n, height, lastDrawn, [&](int x, int y) { columns.add(x, y); });
    columns.flush();
    return damped;
}

void buildCurrentTrace(const GraphScale& s, const PointStore& points, int height,
                       bool decimate, std::vector<Point>& out) {
    out.clear();
    std::size_t n = std::min(usableCount(points), points.Currents.size());
    clearUpperVectorState();
    ColumnDecimator columns(out);
    for (std::size_t i = 0; i < n; ++i) {
        int x = pixel((points.Times[i] - s.XMin) * s.XScale);
        int y = height - pixel((points.Currents[i] - s.CurMin) * s.CurScale);
        if (decimate)
            columns.add(x, y);
        else
            out.push_back({x, y});
    }
    columns.flush();
}

ZeroLabel drawSignalGraph(Canvas& canvas, GraphScale& scale, const PlotContent& content) {
    const int width = std::max(content.Width, 0);
    const int height = std::max(content.Height, 0);
    PlotContent c = content;
    c.Width = width;
    c.Height = height;

    canvas.setPenMode(PenMode::Copy);
    canvas.setPen(kBlack, PenStyle::Solid);
    canvas.setBrushColor(c.Colors.Bkg);
    canvas.rectangle(0, 0, width, height);

    canvas.setPen(kGridGrey, PenStyle::Dotted);
    drawCycleLines(canvas, timeAxis(scale, width), c.CycleTime, 0, height);
    ZeroLabel label = drawHorizontalGrid(canvas, scale, width, height);
    drawPumpTrace(canvas, scale, c);
    drawPotentialTrace(canvas, scale, c);

    if (!c.Points || usableCount(*c.Points) == 0) return label;
    const PointStore& points = *c.Points;
    std::vector<Point> trace;
    canvas.setPen(c.Colors.PMT, PenStyle::Solid);
    double lastDrawn = 0.0;
    scale.DampedSignal = buildSignalTrace(scale, points, height, true, trace, &lastDrawn);
    canvas.polyline(trace);
    // A redraw during a run (a new size, axis or zoom) moved every point: the next live
    // segment starts at the last one's place on this scale, not at its old pixel.
    const std::size_t last = usableCount(points) - 1;
    const double current = points.Currents.size() > last ? points.Currents[last] : 0.0;
    scale.LastPlotted = {clampPixel((points.Times[last] - scale.XMin) * scale.XScale),
                         clampPixel((lastDrawn - scale.YMin) * scale.YScale),
                         clampPixel((current - scale.CurMin) * scale.CurScale)};

    // The current trace needs a current for every point; a run without the potentiostat
    // leaves none.
    if (c.UsingPotentiostat && c.DrawCurrent &&
        points.Currents.size() >= static_cast<std::size_t>(points.Count)) {
        canvas.setPenColor(c.Colors.Current);
        buildCurrentTrace(scale, points, height, true, trace);
        canvas.polyline(trace);
    }
    return label;
}

void drawPoint(Canvas& canvas, GraphScale& scale, const PlotContent& content, double time,
               double signal, double current) {
    const int height = std::max(content.Height, 0);
    double px = clampPixel((time - scale.XMin) * scale.XScale);
    const double f = scale.DampingFactor;
    // One bad reading must not blank the rest of the run.
    const double damped = f * scale.DampedSignal + (1.0 - f) * signal;
    scale.DampedSignal = carriedValue(damped);
    double py = clampPixel((drawnValue(damped) - scale.YMin) * scale.YScale);

    const GraphScale::Plotted last = scale.LastPlotted;
    canvas.setPenMode(PenMode::Copy);
    canvas.setPen(content.Colors.PMT, PenStyle::Solid);
    canvas.moveTo(pixel(last.x), height - pixel(last.signalY));
    canvas.lineTo(pixel(px), height - pixel(py));

    double pc = clampPixel((current - scale.CurMin) * scale.CurScale);
    if (content.UsingPotentiostat && content.DrawCurrent) {
        canvas.setPenColor(content.Colors.Current);
        canvas.moveTo(pixel(last.x), height - pixel(last.currentY));
        canvas.lineTo(pixel(px), height - pixel(pc));
    }
    scale.LastPlotted = {px, py, pc};
}

void startLiveTrace(GraphScale& scale) {
    scale.LastPlotted = {};
    scale.DampedSignal = 0.0;
}

} // namespace varentis
