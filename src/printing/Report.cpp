#include "printing/Report.h"

#include "core/Decimal.h"
#include "core/NumberText.h"
#include "core/Ratio.h"
#include "graph/CycleTrace.h"
#include "graph/SignalGraph.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace varentis {

namespace {

constexpr ColorRef kBlack = rgb(0, 0, 0);
constexpr ColorRef kWhite = rgb(255, 255, 255);
// Coordinates are held within this many pixels of the plot's corner: wild values still give
// drawable numbers, far beyond any sheet.
constexpr double kPageLimit = 1e7;
// Margins beyond this many pixels mean nothing on any sheet; the sums stay in an int.
constexpr std::int64_t kMarginLimit = 10'000'000;
// Drawn literally, per the drawing rules, up to this many corners per column of the plot.
constexpr double kLiteralPerColumn = 4.0;

int marginPixels(int dpi, const std::string& centimetres, int unprintable) {
    const Ratio inches = Ratio::ofText(centimetres) / Ratio::ofText("2.54");
    const std::int64_t p = (Ratio(dpi) * inches).rounded();
    return static_cast<int>(std::clamp(p, -kMarginLimit, kMarginLimit)) - unprintable;
}

// An axis limit as the exact decimal it was typed as, when the scale holds what the text
// says; otherwise (equal limits fell back to 0 .. 1) the scale's own value.
Ratio axisLimit(const std::string& text, double unitFactor, double value) {
    bool valid = false;
    const double typed = readNumber(text, &valid);
    if (valid && typed * unitFactor == value) {
        const Ratio r = Ratio::ofText(text) * Ratio::ofDouble(unitFactor);
        if (r.exact()) return r;
    }
    return Ratio::ofDouble(value);
}

TimeAxis pageAxis(const ReportGeometry& g, double xMax) {
    TimeAxis a;
    a.XMin = g.XMin;
    a.XMax = xMax;
    a.XScale = g.Sx;
    a.Left = g.L;
    a.Width = g.PW - g.L - g.R;
    a.PixelLimit = kPageLimit;
    return a;
}

bool drawableAxis(const ReportGeometry& g, double cycle) {
    return cycle > 0 && std::isfinite(cycle) && std::isfinite(g.Sx) && g.Sx != 0.0 &&
           std::isfinite(g.XMin);
}

// Lines at t = cycle, 2 x cycle, ... while t < xMax.
void cycleLinesBelow(Canvas& canvas, const ReportGeometry& g, double cycle, double xMax,
                     int top, int bottom) {
    if (!drawableAxis(g, cycle)) return;
    std::int64_t starts = cycleStarts(cycle, xMax); // 0, cycle, ... up to xMax
    if (starts == 0) return;
    const double lastStart = static_cast<double>(starts - 1) * cycle;
    if (sameDecimal(lastStart, xMax)) --starts; // xMax itself is a multiple: it is not below xMax
    const std::int64_t lines = starts - 1;
    if (lines <= 0) return;
    // Drawn as the lines up to the first multiple at or past the axis's end, which is then
    // the last one below xMax.
    drawCycleLines(canvas, pageAxis(g, static_cast<double>(lines) * cycle), cycle, top, bottom);
}

// Lines at t = cycle, 2 x cycle, ... up to the first at or past xMax.
void cycleLinesThrough(Canvas& canvas, const ReportGeometry& g, double cycle, double xMax,
                       int top, int bottom) {
    if (!drawableAxis(g, cycle)) return;
    drawCycleLines(canvas, pageAxis(g, xMax), cycle, top, bottom);
}

// Each run of trace points in one pixel column becomes its first, lowest, highest and last
// point: with round pen ends that covers what the whole run covers, at any pen width.
class ColumnReducer {
public:
    explicit ColumnReducer(std::vector<Point>& out) : out_(out) {}
    void add(int x, int y) {
        if (open_ && x == x_) [[likely]] {
            lo_ = std::min(lo_, y);
            hi_ = std::max(hi_, y);
            last_ = y;
            return;
        }
        flush();
        open_ = true;
        x_ = x;
        first_ = lo_ = hi_ = last_ = y;
    }
    void flush() {
        if (!open_) return;
        for (int y : {first_, lo_, hi_, last_}) {
            const Point p{x_, y};
            if (out_.empty() || !(out_.back() == p)) out_.push_back(p);
        }
        open_ = false;
    }

private:
    std::vector<Point>& out_;
    bool open_ = false;
    int x_ = 0, first_ = 0, lo_ = 0, hi_ = 0, last_ = 0;
};

// The first point index at which rnd(i x 100 / count) exceeds `percent`.
std::int64_t nextPercentAt(int percent, std::int64_t count) {
    if (percent < 0) return 0;
    // rnd(i x 100 / count) >= percent + 1 first holds near (percent + 0.5) x count / 100.
    std::int64_t i = ((2 * static_cast<std::int64_t>(percent) + 1) * count) / 200;
    auto at = [count](std::int64_t k) {
        return (Ratio(k) * Ratio(100) / Ratio(count)).rounded();
    };
    while (i > 0 && at(i - 1) > percent) --i;
    while (at(i) <= percent) ++i;
    return i;
}

class ReportPainter {
public:
    ReportPainter(Canvas& canvas, const PageSetup& setup, const ReportContent& content,
                  const ReportGeometry& g, ReportProgress* progress)
        : c_(canvas), s_(setup), d_(content), g_(g), progress_(progress) {
        lineWidth_ = std::clamp(setup.LineWidth, 1, 100);
        frameWidth_ = std::max(lineWidth_ / 2, 1);
        textY_ = g.G;
    }

    void draw() {
        c_.setFont(s_.Font);
        h_ = c_.textExtent("Xg").cy;
        if (s_.DataGraph) signalPlot();
        if (s_.ValveGraph) valveGraph();
        if (s_.InfoText) infoText();
        if (s_.ValveText) {
            status("valve text");
            for (const std::string& line : d_.ValveProgramLines) printLine(line);
            printLine({});
        } else if (s_.ValveGraph) {
            c_.textOut(g_.L, textY_,
                       d_.Valves ? valveLegend(*d_.Valves, d_.Lanes) : std::string("Valves:"));
        }
        status("ready");
    }

private:
    void status(std::string_view text) {
        if (progress_) progress_->status(text);
    }

    void framePen(PenStyle style) {
        c_.setPenMode(PenMode::Copy);
        c_.setPen(s_.FrameColor, style, frameWidth_);
    }

    void signalPlot() {
        status("signal graph");
        const int right = g_.PW - g_.R, bottom = g_.PH - g_.B;
        framePen(PenStyle::Solid);
        c_.setBrushColor(kWhite);
        c_.rectangle(g_.L, g_.G, right, bottom);

        c_.textOut(g_.L + 10, g_.G + 5,
                   "Y axis: " + d_.YMinText + " .. " + d_.YMaxText + " " + d_.YUnit);
        c_.textOut(g_.L + 10, g_.G + 5 + h_,
                   "X axis: " + d_.XMinText + " .. " + d_.XMaxText + " " + d_.XUnit);

        if (s_.Grid) {
            c_.setPenStyle(PenStyle::Dashed);
            cycleLinesThrough(c_, g_, d_.CycleTime, d_.XMax, g_.G, bottom);
            for (int row : reportGridRows(g_, d_, g_.PH - g_.T - g_.B)) {
                c_.moveTo(g_.L, row);
                c_.lineTo(right, row);
            }
        }

        c_.setPenStyle(PenStyle::Solid);
        if (const int zero = zeroRow(); zero != INT_MIN) {
            c_.moveTo(g_.L, zero);
            c_.lineTo(right, zero);
        }

        c_.setPen(s_.LineColor, PenStyle::Solid, lineWidth_);
        signalTrace();

        c_.setBrushColor(kWhite);
        c_.fillRect(0, 0, g_.PW, g_.G - 1);
        c_.fillRect(0, bottom, g_.PW, g_.PH);
        c_.fillRect(0, 0, g_.L, g_.PH);
        c_.fillRect(right, 0, g_.PW, g_.PH);
        frameOnTop(g_.G, bottom);
        c_.setPen(s_.LineColor, PenStyle::Solid, lineWidth_);
    }

    // The frame's outline once more over the white that removed what lay outside the box.
    // On paper the white only touches the frame; a PDF viewer at a small zoom smooths the
    // frame's last pixel row and the white beside it into one screen pixel, and without
    // this the right and bottom edges would vanish there.
    void frameOnTop(int top, int bottom) {
        const int right = g_.PW - g_.R;
        if (right <= g_.L || bottom <= top) return;
        framePen(PenStyle::Solid);
        c_.moveTo(g_.L, top);
        c_.lineTo(right - 1, top);
        c_.lineTo(right - 1, bottom - 1);
        c_.lineTo(g_.L, bottom - 1);
        c_.lineTo(g_.L, top);
    }

    // The zero line's row when zero lies strictly inside the signal axis, else INT_MIN.
    int zeroRow() const {
        const Ratio ymax = axisLimit(d_.YMaxText, d_.YUnitFactor, d_.YMax);
        const Ratio ymin = axisLimit(d_.YMinText, d_.YUnitFactor, d_.YMin);
        if ((ymax * ymin).sign() >= 0) return INT_MIN;
        const Ratio q = Ratio(10) * ymax / (ymax - ymin);
        const Ratio rows = q * Ratio(g_.PH - g_.T - g_.B) / Ratio(20);
        return g_.G + static_cast<int>(std::clamp<std::int64_t>(rows.rounded(), -kMarginLimit,
                                                                kMarginLimit));
    }

    void signalTrace() {
        if (!d_.Points) return;
        const PointStore& p = *d_.Points;
        const std::int64_t count = std::min<std::int64_t>(
            {d_.Count, static_cast<std::int64_t>(p.Times.size()),
             static_cast<std::int64_t>(p.Signals.size())});
        if (count <= 0) return;
        const double* times = p.Times.data();
        const double* signals = p.Signals.data();
        const double f = d_.DampingFactor, keep = 1.0 - f, zero = d_.ZeroLine;
        std::vector<Point> trace;
        ColumnReducer columns(trace);
        double s = signals[0];
        columns.add(g_.x(times[0]), g_.y(s - zero));
        // The progress moves at most a hundred times; between its steps the points run in
        // a plain loop.
        int percent = -1;
        std::int64_t i = 1;
        while (i < count) {
            const std::int64_t next = std::min(nextPercentAt(percent, count), count);
            if (i >= next) {
                percent = static_cast<int>(
                    (Ratio(i) * Ratio(100) / Ratio(count)).rounded());
                if (progress_) progress_->position(percent);
                continue;
            }
            for (; i < next; ++i) {
                s = f * s + keep * signals[i];
                columns.add(g_.x(times[i]), g_.y(s - zero));
            }
        }
        columns.flush();
        c_.polyline(trace);
    }

    void valveGraph() {
        status("valve graph");
        const int right = g_.PW - g_.R;
        framePen(PenStyle::Solid);
        c_.setBrushColor(kWhite);
        c_.rectangle(g_.L, g_.V0, right, g_.V1);

        const ValveProgram* program = d_.Valves;
        const ValveLanes& lanes = d_.Lanes;
        auto hasLane = [&](std::size_t v) { return program && lanes.Shown && lanes.Used[v]; };
        for (std::size_t v = 0; v < kValveCount; ++v) {
            if (!hasLane(v)) continue;
            textY_ = g_.V0 + lanes.laneIndex(static_cast<int>(v)) * g_.I;
            c_.moveTo(g_.L, textY_);
            c_.lineTo(right, textY_);
        }

        c_.setPenStyle(PenStyle::Dashed);
        cycleLinesBelow(c_, g_, d_.CycleTime, d_.XMax, g_.V0, g_.V1);

        c_.setPenColor(s_.ValveColor);
        c_.setPenStyle(PenStyle::Solid);
        const int a = static_cast<int>((Ratio(4) * Ratio(g_.I) / Ratio(10)).rounded());
        for (std::size_t v = 0; v < kValveCount; ++v) {
            if (!hasLane(v)) continue;
            const int lane = lanes.laneIndex(static_cast<int>(v));
            const int yv =
                static_cast<int>((Ratio(10 * lane + 6) * Ratio(g_.I) / Ratio(10)).rounded()) +
                g_.V0;
            valveWave(valveTraceVertices(program->SwitchSums[v], d_.CycleTime, yv + a, yv - a));
        }

        c_.setBrushColor(kWhite);
        c_.fillRect(0, 0, g_.L, g_.PH);
        c_.fillRect(right, 0, g_.PW, g_.PH);
        frameOnTop(g_.V0, g_.V1);
        c_.setPenColor(s_.ValveColor);
    }

    // A valve's wave in every cycle that starts at or before XMax, each cycle begun afresh at
    // its start. Cycles or corners denser than the columns are drawn per column instead,
    // which sets the same pixels as the cycles drawn one by one.
    void valveWave(const std::vector<TraceVertex>& v) {
        const double cycle = d_.CycleTime;
        if (v.empty() || !drawableAxis(g_, cycle)) return;
        const TimeAxis axis = pageAxis(g_, d_.XMax);
        const std::int64_t cycles = cycleStarts(cycle, d_.XMax);
        const double corners = static_cast<double>(cycles) * static_cast<double>(v.size());
        if (corners > kLiteralPerColumn * (std::max(axis.Width, 0) + 2)) {
            drawCycleTrace(c_, axis, cycle, v);
            return;
        }
        for (std::int64_t n = 0; n < cycles; ++n) {
            const double start = static_cast<double>(n) * cycle;
            const double next = static_cast<double>(n + 1) * cycle;
            c_.moveTo(g_.x(start), v.front().Y);
            for (const TraceVertex& p : v)
                c_.lineTo(g_.x(p.Time == cycle ? next : start + p.Time), p.Y);
        }
    }

    void infoText() {
        status("info text");
        CanvasFont title = s_.Font;
        title.Size += 2;
        title.Color = kBlack;
        c_.setFont(title);
        c_.textOut(g_.L, g_.T, "Varentis");
        int y = g_.T + c_.textExtent("Varentis").cy;
        c_.setPenColor(kBlack);
        c_.setPenStyle(PenStyle::Solid);
        c_.moveTo(g_.L, y + 5);
        c_.lineTo(g_.PW - g_.R, y + 5);
        c_.setFont(s_.Font);
        textY_ = y + h_;

        for (const std::string& line : d_.Description) printLine(line);
        printLine({});
        printLine("File: " + fileNameOf(d_.FileName));
        printLine("Measurement period: " + d_.Period + " " + d_.PeriodUnit);
        printLine("Signal damping: " + d_.Damping + " " + d_.DampingUnit);
        printLine("Signal zero line: " + d_.Zero + " " + d_.YUnit);
        printLine("Output signal: " + d_.PMTVoltage + " V");
        printLine("Cycle time: " + d_.CycleTimeText + " s");
    }

    void printLine(const std::string& text) {
        c_.textOut(g_.L, textY_, text);
        textY_ += static_cast<int>((Ratio(11) * Ratio(h_) / Ratio(10)).rounded());
    }

    static std::string fileNameOf(const std::string& path) {
        const std::size_t slash = path.find_last_of("/\\");
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }

    Canvas& c_;
    const PageSetup& s_;
    const ReportContent& d_;
    const ReportGeometry& g_;
    ReportProgress* progress_;
    int lineWidth_ = 1;
    int frameWidth_ = 1;
    int h_ = 0;     // the report font's height
    int textY_ = 0; // where the next text line goes
};

} // namespace

int ReportGeometry::x(double t) const { return pixelWithin((t - XMin) * Sx, kPageLimit) + L; }

int ReportGeometry::y(double v) const { return G + pixelWithin((YMax - v) * Sy, kPageLimit); }

ReportGeometry reportGeometry(const PrinterPage& page, const PageSetup& setup,
                              const ReportContent& content) {
    ReportGeometry g;
    g.PW = page.Width;
    g.PH = page.Height;
    g.offX = (page.PhysicalWidth - page.Width) / 2;
    g.offY = (page.PhysicalHeight - page.Height) / 2;
    g.L = marginPixels(page.DpiX, setup.Left, g.offX);
    g.R = marginPixels(page.DpiX, setup.Right, g.offX);
    g.T = marginPixels(page.DpiY, setup.Top, g.offY);
    g.B = marginPixels(page.DpiY, setup.Bottom, g.offY);
    g.G = (g.PH - (g.B + g.T)) / 2 + g.T;
    g.Sx = (g.PW - g.L - g.R) / (content.XMax - content.XMin);
    g.Sy = (g.PH - g.T - g.B) * 0.5 / (content.YMax - content.YMin);
    g.I = (g.PH - g.B - g.T) / 50;
    // Every line that names a valve takes a lane, also one whose valve is named again later,
    // so that each lane lies inside the box.
    g.n = content.Valves && content.Lanes.Shown ? content.Valves->LaneCount : 0;
    g.V1 = g.G - g.I;
    g.V0 = g.V1 - g.n * g.I;
    g.XMin = content.XMin;
    g.YMax = content.YMax;
    return g;
}

std::vector<int> reportGridRows(const ReportGeometry& g, const ReportContent& content,
                                int height) {
    std::vector<int> rows;
    const Ratio ymax = axisLimit(content.YMaxText, content.YUnitFactor, content.YMax);
    const Ratio ymin = axisLimit(content.YMinText, content.YUnitFactor, content.YMin);
    const Ratio span = ymax - ymin;
    if (span.sign() == 0) return rows;
    // Each line lies o tenths of the span below YMax, o growing by one from the first line
    // while the line stays above YMin (o < 10). Without zero inside the axis the first
    // line is a tenth below YMax; with it, the lines fall on tenths counted from zero.
    Ratio o = 1;
    if ((ymax * ymin).sign() < 0) {
        const Ratio q = Ratio(10) * ymax / span; // YMax in tenths of the span
        const Ratio f = q.fraction();
        if (f.sign() != 0) o = f;
    }
    const Ratio perTenth = Ratio(height) / Ratio(20);
    do {
        rows.push_back(g.G + static_cast<int>(std::clamp<std::int64_t>(
                                 (o * perTenth).rounded(), -kMarginLimit, kMarginLimit)));
        o = o + Ratio(1);
    } while ((Ratio(10) - o).sign() > 0 && rows.size() < 100);
    return rows;
}

std::string valveLegend(const ValveProgram& program, const ValveLanes& lanes) {
    std::string legend = "Valves:";
    if (!lanes.Shown) return legend;
    for (int lane = 0; lane < program.LaneCount; ++lane) {
        for (std::size_t v = 0; v < kValveCount; ++v) {
            if (lanes.Used[v] && lanes.laneIndex(static_cast<int>(v)) == lane)
                legend += "  V" + std::to_string(v + 1);
        }
    }
    return legend;
}

ReportGeometry drawReport(Canvas& canvas, const PrinterPage& page, const PageSetup& setup,
                          const ReportContent& content, ReportProgress* progress) {
    const ReportGeometry g = reportGeometry(page, setup, content);
    ReportPainter(canvas, setup, content, g, progress).draw();
    return g;
}

} // namespace varentis
