#include "graph/CycleTrace.h"
#include "graph/QPainterCanvas.h"
#include "graph/RecordingCanvas.h"
#include "graph/SignalGraph.h"
#include "graph/ValveGraph.h"
#include "measurement/ValveProgram.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

namespace varentis {
namespace {

constexpr int W = 600;
constexpr int H = 120;
constexpr int kLeft = 30; // the drawing sits inside a wider canvas, as on a printed page

TimeAxis axisOf(double xMin, double xMax, int left = kLeft, int width = W) {
    TimeAxis a;
    a.XMin = xMin;
    a.XMax = xMax;
    a.XScale = width / (xMax - xMin);
    a.Left = left;
    a.Width = width;
    return a;
}

int xOf(const TimeAxis& a, double t) { return pixel((t - a.XMin) * a.XScale) + a.Left; }

// Every cycle drawn line by line, as the drawing rules say.
void everyCycleTrace(Canvas& canvas, const TimeAxis& a, double cycle,
                     const std::vector<TraceVertex>& v) {
    canvas.moveTo(xOf(a, v[0].Time), v[0].Y);
    const std::int64_t cycles = cycleStarts(cycle, a.XMax);
    for (std::int64_t n = 0; n < cycles; ++n) {
        const double c = static_cast<double>(n) * cycle;
        const double next = static_cast<double>(n + 1) * cycle;
        for (const TraceVertex& p : v)
            canvas.lineTo(xOf(a, p.Time == cycle ? next : c + p.Time), p.Y);
    }
}

void everyCycleLine(Canvas& canvas, const TimeAxis& a, double cycle, int top, int bottom) {
    double t = 0;
    std::int64_t n = 0;
    do {
        t = static_cast<double>(++n) * cycle;
        canvas.moveTo(xOf(a, t), top);
        canvas.lineTo(xOf(a, t), bottom);
    } while (t < a.XMax);
}

QImage render(const std::function<void(Canvas&)>& draw, PenStyle style = PenStyle::Solid) {
    QImage image(W + 2 * kLeft, H, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    canvas.setPen(rgb(0, 0, 0), style);
    draw(canvas);
    painter.end();
    return image;
}

// The pixels of the plot's columns are the same; reports the first that differs. (Beyond
// the plot, the canvas clips on screen and the report blanks its margins.)
::testing::AssertionResult samePlotPixels(const QImage& a, const QImage& b) {
    for (int x = kLeft; x < kLeft + W; ++x)
        for (int y = 0; y < H; ++y)
            if (a.pixel(x, y) != b.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x - kLeft << ", " << y << " differs";
    return ::testing::AssertionSuccess();
}

int inkedColumns(const QImage& image) {
    int columns = 0;
    for (int x = 0; x < image.width(); ++x) {
        bool inked = false;
        for (int y = 0; y < image.height() && !inked; ++y)
            inked = image.pixel(x, y) != qRgb(255, 255, 255);
        columns += inked;
    }
    return columns;
}

// Counts the canvas calls, to show that dense cycles are not drawn one by one.
class CountingCanvas : public RecordingCanvas {
public:
    std::size_t lines() const {
        std::size_t n = 0;
        for (const auto& c : calls())
            n += c.kind == Kind::Polyline ? c.points.size() : c.kind == Kind::LineTo;
        return n;
    }
};

std::vector<TraceVertex> valveWave(const char* program, double cycle) {
    const ValveProgram p = parseValveProgram(program, cycle);
    return valveTraceVertices(p.SwitchSums[0], cycle, 60, 52);
}

std::vector<TraceVertex> stepWave(std::vector<double> ends, std::vector<int> rows, double cycle) {
    std::vector<TraceVertex> v;
    double e = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        v.push_back({e, rows[i]});
        e = std::min(ends[i], cycle);
        v.push_back({e, rows[i]});
        if (e == cycle) break;
    }
    return v;
}

TEST(CycleTrace, DenseCyclesSetTheSamePixelsAsDrawingEveryCycle) {
    std::string many = "V1=";
    for (int i = 0; i < 300; ++i) many += i % 3 ? "0.001," : "0.0015,";
    const struct {
        const char* what;
        std::vector<TraceVertex> wave;
        double cycle;
        TimeAxis axis;
    } cases[] = {
        {"a valve, 1e5 cycles of 1 ms", valveWave("V1=0.0002,0.0003,0.0001", 0.001), 0.001,
         axisOf(0, 100)},
        {"a valve opening at the start", valveWave("V1=0,0.0004", 0.001), 0.001, axisOf(0, 100)},
        {"300 intervals, cycles under a pixel", valveWave(many.c_str(), 0.4), 0.4,
         axisOf(0, 300)},
        {"cycles of about two pixels", valveWave("V1=0.1,0.05,0.2", 0.37), 0.37, axisOf(0, 100)},
        {"an axis that starts late", valveWave("V1=0.001,0.001", 0.003), 0.003,
         axisOf(50, 60)},
        {"intervals past the cycle", valveWave("V1=0.0004,0.002", 0.001), 0.001,
         axisOf(-5, 40)},
        {"pump steps", stepWave({0.2, 0.3, 0.6, 1, 1}, {10, 60, 110, 50, 60}, 1.0), 1.0,
         axisOf(0, 5000)},
        {"pump steps, a few pixels a cycle",
         stepWave({0.2, 0.3, 0.6, 1, 1}, {10, 60, 110, 50, 60}, 1.0), 1.0, axisOf(0, 700)},
        {"a step ending before the start", stepWave({-0.5, 1, 1}, {20, 90, 60}, 1.0), 1.0,
         axisOf(0, 3000)},
    };
    for (const auto& c : cases) {
        CountingCanvas counted;
        drawCycleTrace(counted, c.axis, c.cycle, c.wave);
        const double cycles = static_cast<double>(cycleStarts(c.cycle, c.axis.XMax));
        if (cycles * static_cast<double>(c.wave.size()) > 20.0 * W) {
            EXPECT_LT(counted.lines(), 8u * W) << c.what << ": drawn per column";
        }
        const QImage fast = render([&](Canvas& k) { drawCycleTrace(k, c.axis, c.cycle, c.wave); });
        const QImage every =
            render([&](Canvas& k) { everyCycleTrace(k, c.axis, c.cycle, c.wave); });
        EXPECT_TRUE(samePlotPixels(fast, every)) << c.what;
        EXPECT_GT(inkedColumns(every), W / 10) << c.what << ": a real trace was compared";
    }
}

TEST(CycleTrace, DenseCycleLinesSetTheSamePixelsAsDrawingEveryLine) {
    const struct {
        double cycle;
        TimeAxis axis;
    } cases[] = {{0.001, axisOf(0, 100)}, {0.07, axisOf(0, 100)}, {0.003, axisOf(50, 60)},
                 {0.25, axisOf(1e6, 1e6 + 1)}, {1.0, axisOf(0, 3000)}};
    for (const auto& c : cases) {
        const QImage fast = render(
            [&](Canvas& k) { drawCycleLines(k, c.axis, c.cycle, 0, H); }, PenStyle::Dotted);
        const QImage every = render(
            [&](Canvas& k) { everyCycleLine(k, c.axis, c.cycle, 0, H); }, PenStyle::Dotted);
        EXPECT_TRUE(samePlotPixels(fast, every)) << c.cycle;
        EXPECT_GT(inkedColumns(every), 3) << c.cycle;
    }
}

TEST(CycleTrace, ATinyCycleOnAnAxisOfHoursDrawsAtMostThePixels) {
    // 0.001 s cycles on 10 h: 36 million cycles.
    const TimeAxis axis = axisOf(0, 36000);
    const std::vector<TraceVertex> wave = valveWave("V1=0.0002,0.0003", 0.001);
    const auto t0 = std::chrono::steady_clock::now();
    CountingCanvas grid, trace;
    drawCycleLines(grid, axis, 0.001, 0, H);
    drawCycleTrace(trace, axis, 0.001, wave);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(ms, 500.0);
    EXPECT_LE(grid.lines(), static_cast<std::size_t>(W + 2));
    EXPECT_LT(trace.lines(), 8u * W);
    // Every column holds many whole cycles: the grid fills every column, the wave joins
    // its two levels in every column.
    const QImage lines = render([&](Canvas& k) { drawCycleLines(k, axis, 0.001, 0, H); });
    const QImage waves = render([&](Canvas& k) { drawCycleTrace(k, axis, 0.001, wave); });
    for (int x = kLeft; x < kLeft + W; ++x) {
        EXPECT_EQ(lines.pixel(x, 5), qRgb(0, 0, 0)) << x;
        for (int y = 52; y <= 60; ++y)
            ASSERT_EQ(waves.pixel(x, y), qRgb(0, 0, 0)) << x << ", " << y;
        EXPECT_EQ(waves.pixel(x, 51), qRgb(255, 255, 255)) << x;
        EXPECT_EQ(waves.pixel(x, 61), qRgb(255, 255, 255)) << x;
    }
}

TEST(CycleTrace, CycleStartsUpToTheAxisEndAsDecimals) {
    const struct {
        double cycle, xMax;
        std::int64_t starts;
    } cases[] = {{30, 100, 4}, {30, 90, 4}, {0.1, 0.3, 4}, {0.001, 100, 100001}, {30, -1, 0},
                 {30, 0, 1},   {0, 100, 0}, {1e-9, 36000, 36000000000001}};
    for (const auto& c : cases)
        EXPECT_EQ(cycleStarts(c.cycle, c.xMax), c.starts) << c.cycle << " to " << c.xMax;
}

} // namespace
} // namespace varentis
