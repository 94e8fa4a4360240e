#include "graph/AxisScaling.h"
#include "graph/RecordingCanvas.h"
#include "graph/SignalGraph.h"
#include "measurement/PumpProgram.h"

#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace varentis {
namespace {

using Kind = RecordingCanvas::Kind;
using Segment = RecordingCanvas::Segment;

constexpr int W = 600;
constexpr int H = 400;
constexpr ColorRef kGrey = rgb(128, 128, 128);

GraphScale scaleFor(const char* yMin, const char* yMax, const char* zero = "0") {
    ScaleSettings settings;
    settings.YMin = yMin;
    settings.YMax = yMax;
    settings.Zero = zero;
    GraphScale s = XYFactors(settings, W, H, {}).Scale;
    return XYFactors(settings, W, H, s).Scale; // renewed zero line in the range magnitude
}

struct Plot {
    PointStore points;
    PumpSchedule pump;
    PotentialSchedule potential;
    PlotContent content;
    Plot() {
        // The default pump colour is the grid's grey; tests tell them apart.
        content.Colors.Pump = rgb(1, 2, 3);
        content.Points = &points;
        content.Pump = &pump;
        content.Potential = &potential;
        content.Width = W;
        content.Height = H;
    }
};

Segment line(int x1, int y1, int x2, int y2, ColorRef color, PenStyle style = PenStyle::Solid) {
    return {{x1, y1}, {x2, y2}, color, style, 1};
}

std::vector<Segment> horizontalGrid(const RecordingCanvas& canvas) {
    std::vector<Segment> out;
    for (const Segment& s : canvas.segmentsOf(kGrey))
        if (s.from.y == s.to.y) out.push_back(s);
    return out;
}

TEST(SignalGraph, BackgroundAndCycleGrid) {
    Plot plot;
    GraphScale s = scaleFor("0", "100");
    RecordingCanvas canvas;
    drawSignalGraph(canvas, s, plot.content);
    ASSERT_FALSE(canvas.calls().empty());
    const auto& bg = canvas.calls().front();
    EXPECT_EQ(bg.kind, Kind::Rectangle);
    EXPECT_EQ(bg.points, (std::vector<Point>{{0, 0}, {W, H}}));
    EXPECT_EQ(bg.penColor, rgb(0, 0, 0));
    EXPECT_EQ(bg.brushColor, plot.content.Colors.Bkg);

    // 0 .. 100 s with a 30 s cycle: every cycle, up to the first one at or past 100 s.
    std::vector<Segment> vertical;
    for (const Segment& seg : canvas.segmentsOf(kGrey))
        if (seg.from.x == seg.to.x) vertical.push_back(seg);
    std::vector<Segment> expected;
    for (int x : {180, 360, 540, 720}) expected.push_back(line(x, 0, x, H, kGrey, PenStyle::Dotted));
    EXPECT_EQ(vertical, expected);
}

TEST(SignalGraph, ZeroOutsideTheAxisGivesTenDottedDivisions) {
    for (auto [lo, hi] : {std::pair{"0", "10"}, {"-10", "0"}, {"5", "10"}}) {
        Plot plot;
        GraphScale s = scaleFor(lo, hi);
        RecordingCanvas canvas;
        ZeroLabel label = drawSignalGraph(canvas, s, plot.content);
        EXPECT_FALSE(label.Visible) << lo << " .. " << hi;
        std::vector<Segment> expected;
        for (int y = 40; y <= H; y += 40) expected.push_back(line(0, y, W, y, kGrey, PenStyle::Dotted));
        EXPECT_EQ(horizontalGrid(canvas), expected) << lo << " .. " << hi;
    }
}

TEST(SignalGraph, ZeroInsideTheAxisGivesSolidLineLabelAndDottedTenths) {
    Plot plot;
    GraphScale s = scaleFor("-5", "5");
    RecordingCanvas canvas;
    ZeroLabel label = drawSignalGraph(canvas, s, plot.content);
    EXPECT_TRUE(label.Visible);
    EXPECT_EQ(label.Top, 200 - 6);
    std::vector<Segment> expected{line(0, 200, W, 200, kGrey)};
    for (int k = 40; k < 200; k += 40) {
        expected.push_back(line(0, 200 - k, W, 200 - k, kGrey, PenStyle::Dotted));
        expected.push_back(line(0, 200 + k, W, 200 + k, kGrey, PenStyle::Dotted));
    }
    EXPECT_EQ(horizontalGrid(canvas), expected);

    // A quarter of the way up: lines only where they fall inside the plot.
    GraphScale q = scaleFor("-1", "3");
    RecordingCanvas qc;
    EXPECT_EQ(drawSignalGraph(qc, q, plot.content).Top, 300 - 6);
    std::vector<Segment> grid = horizontalGrid(qc);
    ASSERT_EQ(grid.size(), 1u + 7u + 2u);
    for (const Segment& seg : grid) EXPECT_TRUE(seg.from.y > 0 && seg.from.y < H);
}

// Nearest integer of n / d (d > 0), halves to even: the plain reference for the rows.
long long roundHalfEven(long long n, long long d) {
    long long q = n / d, r = n % d;
    if (r < 0) q -= 1, r += d;
    if (2 * r > d || (2 * r == d && q % 2 != 0)) ++q;
    return q;
}

// The zero line sits at height x Y max / (Y max - Y min) and the grid rows at tenths of the
// height from it, each rounded half to even as the typed limits give them: -50 .. 50 nA on
// 433 pixels puts the zero line at row 216 (216.5 is a half), where doubles gave 217.
TEST(SignalGraph, ZeroLineAndGridRowsRoundHalvesToEvenOnTheTypedLimits) {
    const struct {
        const char *yMin, *yMax;
        long long tenthsMin, tenthsMax; // the same limits in tenths, for the reference
    } axes[] = {{"-50", "50", -500, 500},   {"-1", "3", -10, 30},     {"-0.5", "1.5", -5, 15},
                {"-25", "75", -250, 750},   {"-1.5", "2.5", -15, 25}, {"-0.3", "0.1", -3, 1},
                {"-9.9", "0.1", -99, 1}};
    int mismatches = 0;
    for (const auto& a : axes) {
        for (int height = 51; height <= 801; height += 2) {
            ScaleSettings settings;
            settings.YMin = a.yMin;
            settings.YMax = a.yMax;
            GraphScale s = XYFactors(settings, W, height, {}).Scale;
            Plot plot;
            plot.content.Height = height;
            RecordingCanvas canvas;
            const ZeroLabel label = drawSignalGraph(canvas, s, plot.content);
            const long long z = roundHalfEven(height * a.tenthsMax, a.tenthsMax - a.tenthsMin);
            auto row = [](long long y, PenStyle style) {
                return line(0, static_cast<int>(y), W, static_cast<int>(y), kGrey, style);
            };
            std::vector<Segment> expected{row(z, PenStyle::Solid)};
            for (int i = 1; i <= 9; ++i) {
                const long long k = roundHalfEven(height * i, 10);
                if (z - k > 0) expected.push_back(row(z - k, PenStyle::Dotted));
                if (z + k < height) expected.push_back(row(z + k, PenStyle::Dotted));
            }
            if ((horizontalGrid(canvas) != expected || label.Top != z - 6) && ++mismatches <= 5)
                ADD_FAILURE() << a.yMin << " .. " << a.yMax << " on " << height
                              << " pixels: zero line expected at " << z << ", label top "
                              << label.Top;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(SignalGraph, LowPlotStillEndsTheGrid) {
    for (int height : {1, 3, 5}) {
        Plot plot;
        plot.content.Height = height;
        GraphScale s = XYFactors({}, W, height, {}).Scale;
        RecordingCanvas canvas;
        drawSignalGraph(canvas, s, plot.content);
        EXPECT_EQ(horizontalGrid(canvas).size(), static_cast<std::size_t>(height));
    }
}

TEST(SignalGraph, PumpTraceStepsEveryCycle) {
    Plot plot;
    plot.content.ShowPump = true;
    plot.pump.StepCount = 2;
    plot.pump.EndTimes = {10.0, 40.0}; // the second step is cut at the cycle's end
    plot.pump.Speeds = {100.0, 0.0};
    GraphScale s = scaleFor("0", "100");
    RecordingCanvas canvas;
    drawSignalGraph(canvas, s, plot.content);
    std::vector<Segment> trace = canvas.segmentsOf(plot.content.Colors.Pump);
    // Cycles at 0, 30, 60 and 90 s, four line-tos each.
    ASSERT_EQ(trace.size(), 16u);
    const ColorRef c = plot.content.Colors.Pump;
    EXPECT_EQ(trace[0], line(0, 0, 0, 0, c));
    EXPECT_EQ(trace[1], line(0, 0, 60, 0, c));
    EXPECT_EQ(trace[2], line(60, 0, 60, 200, c));
    EXPECT_EQ(trace[3], line(60, 200, 180, 200, c));
    EXPECT_EQ(trace[4], line(180, 200, 180, 0, c)); // next cycle starts at the first level
    EXPECT_EQ(trace[15], line(600, 200, 720, 200, c));
}

TEST(SignalGraph, PotentialTraceUsesThePotentialAxis) {
    Plot plot;
    plot.content.ShowPotential = true;
    plot.potential = oneStepPotentialSchedule(0.001, 30.0); // 1 mV on -2 .. 2 mV
    GraphScale s = scaleFor("0", "100");
    RecordingCanvas canvas;
    drawSignalGraph(canvas, s, plot.content);
    std::vector<Segment> trace = canvas.segmentsOf(plot.content.Colors.Potential);
    ASSERT_EQ(trace.size(), 8u);
    for (const Segment& seg : trace) {
        EXPECT_EQ(seg.from.y, 100);
        EXPECT_EQ(seg.to.y, 100);
    }
    EXPECT_EQ(trace.back().to.x, 720);

    plot.content.ShowPotential = false;
    RecordingCanvas hidden;
    drawSignalGraph(hidden, s, plot.content);
    EXPECT_TRUE(hidden.segmentsOf(plot.content.Colors.Potential).empty());
}

std::vector<Point> tracePoints(const RecordingCanvas& canvas, ColorRef color) {
    for (const auto& call : canvas.calls())
        if (call.kind == Kind::Polyline && call.penColor == color) return call.points;
    return {};
}

TEST(SignalGraph, SignalTraceSmoothsAndSubtractsTheZeroLine) {
    struct Case {
        const char* zero;
        double damping;
        std::vector<double> signals; // nA
        std::vector<int> ys;
        double lastDamped; // nA
    };
    const Case cases[] = {
        {"0", 0.0, {0, 10, 10}, {400, 360, 360}, 10},
        {"0", 0.5, {0, 10, 10}, {400, 380, 370}, 7.5},
        {"0", 1.0, {10, 50, 90}, {360, 360, 360}, 10}, // stays at its first value
        {"10", 0.0, {10, 20, 60}, {400, 360, 200}, 50},
        {"0", 0.5, {20, 20, 20}, {320, 320, 320}, 20}, // the filter starts at point 0
    };
    for (const Case& c : cases) {
        Plot plot;
        for (std::size_t i = 0; i < c.signals.size(); ++i)
            plot.points.append(static_cast<double>(i), c.signals[i] * 1e-9);
        GraphScale s = scaleFor("0", "100", c.zero);
        s.DampingFactor = c.damping;
        RecordingCanvas canvas;
        drawSignalGraph(canvas, s, plot.content);
        std::vector<Point> expected;
        for (std::size_t i = 0; i < c.ys.size(); ++i)
            expected.push_back({6 * static_cast<int>(i), c.ys[i]});
        EXPECT_EQ(tracePoints(canvas, plot.content.Colors.PMT), expected) << c.damping;
        EXPECT_NEAR(s.DampedSignal, c.lastDamped * 1e-9, 1e-18);
    }
}

TEST(SignalGraph, WildPointsAreHeldAtTenThousandPixels) {
    Plot plot;
    const double inf = std::numeric_limits<double>::infinity();
    plot.points.append(-1e9, 1.0);
    plot.points.append(5.0, -1.0);
    plot.points.append(1e300, inf);
    plot.points.append(50.0, std::nan(""));
    GraphScale s = scaleFor("0", "100");
    RecordingCanvas canvas;
    drawSignalGraph(canvas, s, plot.content);
    std::vector<Point> expected{{-10000, H - 10000}, {30, H + 10000}, {10000, H - 10000}};
    // A NaN reading leaves the smoothed value NaN, which lands on the bottom edge.
    expected.push_back({300, H});
    EXPECT_EQ(tracePoints(canvas, plot.content.Colors.PMT), expected);
}

// A NaN or an infinity in the store (a file, an overflow) is drawn where it can be, at 0 or
// at the edge, and the smoothing starts again from 0, as the live segment always did with a
// NaN: the rest of the trace stays where its points are, in the full redraw as live.
TEST(SignalGraph, ANaNOrInfinityInTheStoreKeepsTheRestOfTheTrace) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double bad;
        int badRow; // where the bad point is drawn on the -50 .. 50 nA axis
    } values[] = {{std::nan(""), 200}, {inf, H - 10000}, {-inf, H + 10000}};
    // nA; the bad value replaces point 2. After it the trace is that of a run whose
    // smoothing started from 0 at point 2.
    const std::vector<double> signals{10, 20, 0, 30, 40, 50};
    const std::vector<double> restarted{0, 0, 0, 30, 40, 50};
    for (double damping : {0.0, 0.5}) {
        for (const auto& v : values) {
            SCOPED_TRACE("bad value " + std::to_string(v.bad) + ", damping " +
                         std::to_string(damping));
            Plot before, after, bad;
            for (std::size_t i = 0; i < signals.size(); ++i) {
                const double t = static_cast<double>(i);
                before.points.append(t, signals[i] * 1e-9);
                after.points.append(t, restarted[i] * 1e-9);
                bad.points.append(t, i == 2 ? v.bad : signals[i] * 1e-9);
            }
            GraphScale s = scaleFor("-50", "50");
            s.DampingFactor = damping;
            auto redraw = [&s](const Plot& plot) {
                RecordingCanvas canvas;
                GraphScale scale = s;
                drawSignalGraph(canvas, scale, plot.content);
                return tracePoints(canvas, plot.content.Colors.PMT);
            };
            std::vector<Point> expected = redraw(after);
            const std::vector<Point> first = redraw(before);
            ASSERT_EQ(expected.size(), signals.size());
            expected[0] = first[0];
            expected[1] = first[1];
            expected[2].y = v.badRow;
            EXPECT_EQ(redraw(bad), expected);

            // Live: the segments after the bad point end where those of the restarted run do.
            auto live = [&s](const Plot& plot) {
                GraphScale scale = s;
                startLiveTrace(scale);
                RecordingCanvas canvas;
                for (std::size_t i = 0; i < plot.points.Signals.size(); ++i)
                    drawPoint(canvas, scale, plot.content, static_cast<double>(i),
                              plot.points.Signals[i], 0.0);
                return canvas.segmentsOf(plot.content.Colors.PMT);
            };
            const auto got = live(bad);
            const auto want = live(after);
            ASSERT_EQ(got.size(), want.size());
            EXPECT_EQ(got[2].to.y, v.badRow);
            for (std::size_t i = 3; i < got.size(); ++i) EXPECT_EQ(got[i].to, want[i].to) << i;
        }
    }
}

TEST(SignalGraph, CurrentTraceNeedsPotentiostatDrawCurrentAndCurrents) {
    struct Case {
        bool using_, draw, currents;
        bool shown;
    };
    const Case cases[] = {{true, true, true, true},
                          {false, true, true, false},
                          {true, false, true, false},
                          {true, true, false, false}};
    for (const Case& c : cases) {
        Plot plot;
        plot.points.startRun(10, c.currents);
        plot.points.append(0.0, 0.0, -2e-12);
        plot.points.append(10.0, 0.0, 1e-12);
        plot.content.UsingPotentiostat = c.using_;
        plot.content.DrawCurrent = c.draw;
        GraphScale s = scaleFor("0", "100");
        RecordingCanvas canvas;
        drawSignalGraph(canvas, s, plot.content);
        std::vector<Point> trace = tracePoints(canvas, plot.content.Colors.Current);
        if (c.shown)
            EXPECT_EQ(trace, (std::vector<Point>{{0, 400}, {60, 100}}));
        else
            EXPECT_TRUE(trace.empty());
    }
}

TEST(DrawPoint, SegmentsContinueFromLastPlotted) {
    Plot plot;
    GraphScale s = scaleFor("0", "100");
    s.DampingFactor = 0.5;
    s.DampedSignal = 123.0; // left from a redraw; a new run starts from zero
    startLiveTrace(s);
    RecordingCanvas canvas;
    drawPoint(canvas, s, plot.content, 0.0, 20e-9, 0.0);
    drawPoint(canvas, s, plot.content, 1.0, 20e-9, 1e-12);
    std::vector<Segment> signal = canvas.segmentsOf(plot.content.Colors.PMT);
    // The first segment starts at the bottom-left corner; smoothing 0 -> 10 -> 15 nA.
    ASSERT_EQ(signal.size(), 2u);
    EXPECT_EQ(signal[0], line(0, H, 0, 360, plot.content.Colors.PMT));
    EXPECT_EQ(signal[1], line(0, 360, 6, 340, plot.content.Colors.PMT));
    EXPECT_DOUBLE_EQ(s.LastPlotted.x, 6.0);
    EXPECT_DOUBLE_EQ(s.LastPlotted.signalY, 60.0);
    EXPECT_DOUBLE_EQ(s.LastPlotted.currentY, 300.0);
    EXPECT_DOUBLE_EQ(s.DampedSignal, 15e-9);
    // "Draw current" off: no current segments, but LastPlotted follows the current.
    EXPECT_TRUE(canvas.segmentsOf(plot.content.Colors.Current).empty());

    plot.content.DrawCurrent = true;
    s.DampingFactor = 0.0;
    drawPoint(canvas, s, plot.content, 1e9, -1.0, 1.0);
    std::vector<Segment> current = canvas.segmentsOf(plot.content.Colors.Current);
    ASSERT_EQ(current.size(), 1u);
    EXPECT_EQ(current[0], line(6, 100, 10000, H - 10000, plot.content.Colors.Current));
    EXPECT_EQ(canvas.segmentsOf(plot.content.Colors.PMT).back().to, (Point{10000, H + 10000}));
}

// A full redraw during a run (a resize, an axis change, a zoom) draws the stored points on
// the new scale; the next live segment starts at the last point's place on that scale, not
// at its pixel on the old one, which drew a stray line across the plot.
TEST(DrawPoint, AfterAFullRedrawTheNextSegmentStartsAtTheLastPointOnTheNewScale) {
    const struct {
        const char* what;
        const char *yMin, *yMax;
        int width, height;
        bool current;
        Point start;        // of the next signal segment
        int currentStartY;  // of the next current segment
    } cases[] = {
        {"the same scale", "0", "100", W, H, false, {12, 200}, 200},
        {"another signal axis", "0", "200", W, H, false, {12, 300}, 200},
        {"a taller plot", "0", "100", W, 600, true, {12, 300}, 150},
        {"a narrower plot", "-100", "100", 300, H, true, {6, 100}, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Plot plot;
        plot.content.DrawCurrent = true;
        if (c.current) plot.points.startRun(10, true);
        GraphScale s = scaleFor("0", "100");
        startLiveTrace(s);
        RecordingCanvas canvas;
        // Two points of a run, stored and drawn live: 50 nA and 1 pA on -2 .. 2 pA.
        for (double t : {0.0, 2.0}) {
            plot.points.append(t, 50e-9, 1e-12);
            drawPoint(canvas, s, plot.content, t, 50e-9, c.current ? 1e-12 : 0.0);
        }
        ScaleSettings settings;
        settings.YMin = c.yMin;
        settings.YMax = c.yMax;
        s = XYFactors(settings, c.width, c.height, s).Scale;
        plot.content.Width = c.width;
        plot.content.Height = c.height;
        drawSignalGraph(canvas, s, plot.content);

        canvas.clear();
        drawPoint(canvas, s, plot.content, 4.0, 50e-9, c.current ? 1e-12 : 0.0);
        const auto signal = canvas.segmentsOf(plot.content.Colors.PMT);
        const auto current = canvas.segmentsOf(plot.content.Colors.Current);
        ASSERT_EQ(signal.size(), 1u);
        ASSERT_EQ(current.size(), 1u);
        EXPECT_EQ(signal[0].from, c.start);
        EXPECT_EQ(signal[0].to.y, c.start.y) << "the signal did not change";
        EXPECT_EQ(current[0].from.y, c.currentStartY);
        EXPECT_EQ(current[0].to.y, c.currentStartY);
    }
}

TEST(Pixel, MatchesRoundingAfterTheClamp) {
    const double values[] = {0.0, 0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 0.49999999999999994,
                             399.5, 400.5, 1234.4999, -7.7, 9999.5, 10000.4, 10000.6,
                             -10000.7, 1e300, -1e300};
    for (double v : values)
        EXPECT_EQ(pixel(v), rnd(std::clamp(v, -kPixelLimit, kPixelLimit))) << v;
    EXPECT_EQ(pixel(std::nan("")), 0);
    EXPECT_EQ(pixel(std::numeric_limits<double>::infinity()), 10000);
}

// Fails the test as soon as a coordinate far outside any plot reaches it.
class CheckingCanvas : public RecordingCanvas {
protected:
    void checkPoint(Point p) override {
        if (std::abs(p.x) > 20000 || std::abs(p.y) > 20000) {
            ADD_FAILURE() << "absurd coordinate " << p.x << ", " << p.y;
        }
    }
};

TEST(SignalGraph, BadSettingsAndDataNeverReachTheCanvasAsAbsurdCoordinates) {
    const double inf = std::numeric_limits<double>::infinity();
    const char* texts[] = {"", "abc", "1e999", "nan", "-", "1e308", "-1e308", "1e-300", "0",
                           "100"};
    const double cycles[] = {30.0, 0.0, -5.0, std::nan(""), inf, 1e-9, 1e300};
    Plot plot;
    plot.content.ShowPump = plot.content.ShowPotential = plot.content.DrawCurrent = true;
    plot.pump.StepCount = 2;
    plot.pump.EndTimes = {1e-12, std::nan("")};
    plot.pump.Speeds = {1e300, -inf};
    plot.potential.StepCount = 3; // more steps claimed than held
    plot.potential.EndTimes = {5.0};
    plot.potential.Potentials = {-1e308};
    plot.points.startRun(4, true);
    for (double v : {0.0, -inf, 1e308, std::nan("")}) plot.points.append(v, v, v);
    GraphScale s;
    for (const char* a : texts) {
        for (const char* b : texts) {
            ScaleSettings settings;
            settings.XMin = settings.YMin = settings.CurrentMin = settings.PotentialMin = a;
            settings.XMax = settings.YMax = settings.CurrentMax = settings.PotentialMax = b;
            settings.Zero = b;
            s = XYFactors(settings, W, H, s).Scale;
            s.DampingFactor = dampingFactor(a, 1, 0.1);
            for (double cycle : cycles) {
                plot.content.CycleTime = cycle;
                CheckingCanvas canvas;
                drawSignalGraph(canvas, s, plot.content);
                drawPoint(canvas, s, plot.content, inf, std::nan(""), -inf);
                // Dense cycles are drawn per column, not one by one.
                ASSERT_LT(canvas.calls().size(), 50000u) << a << " .. " << b << " " << cycle;
                if (HasFailure()) return;
            }
        }
    }
}

TEST(SignalGraph, CyclesDenserThanPixelsFillEveryColumnOnce) {
    Plot plot;
    plot.content.CycleTime = 1e-3;
    plot.content.ShowPump = true;
    plot.pump = parsePumpProgram("50", 1e-3);
    ScaleSettings settings;
    settings.XMax = "10000";
    GraphScale s = XYFactors(settings, W, H, {}).Scale;
    RecordingCanvas canvas;
    drawSignalGraph(canvas, s, plot.content);
    std::vector<Segment> grid;
    for (const Segment& seg : canvas.segmentsOf(kGrey))
        if (seg.from.x == seg.to.x) grid.push_back(seg);
    // One line in every column of the plot (the last cycle line, at x = W, lies outside).
    ASSERT_EQ(grid.size(), static_cast<std::size_t>(W));
    for (int x = 0; x < W; ++x) EXPECT_EQ(grid[static_cast<std::size_t>(x)].from.x, x);
    EXPECT_LE(canvas.segmentsOf(plot.content.Colors.Pump).size(), static_cast<std::size_t>(W + 2));

    // Far along a long axis the skipped cycles lie left of the plot; the lines stay put.
    settings.XMin = "1000000";
    settings.XMax = "1000001";
    plot.content.CycleTime = 0.25;
    s = XYFactors(settings, W, H, s).Scale;
    RecordingCanvas far;
    drawSignalGraph(far, s, plot.content);
    std::vector<int> xs;
    for (const Segment& seg : far.segmentsOf(kGrey))
        if (seg.from.x == seg.to.x && seg.from.x >= 0) xs.push_back(seg.from.x);
    EXPECT_EQ(xs, (std::vector<int>{0, 150, 300, 450})); // and one at x = W, outside
}

} // namespace
} // namespace varentis
