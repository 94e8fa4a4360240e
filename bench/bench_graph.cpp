// Full redraw and live segment of the signal plot on a 600 x 400 image, on one thread.
// Prints milliseconds per redraw for the decimated trace and, for comparison in the same
// run, for the naive polyline through every point.
#include "graph/AxisScaling.h"
#include "graph/QPainterCanvas.h"
#include "graph/SignalGraph.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <sched.h>
#include <vector>

using namespace varentis;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int W = 600;
constexpr int H = 400;

PointStore makePoints(std::size_t n) {
    std::mt19937 gen(42);
    std::normal_distribution<double> noise(0.0, 5e-9);
    PointStore store;
    store.startRun(static_cast<int>(std::min<std::size_t>(n, 1u << 30)), false);
    for (std::size_t i = 0; i < n; ++i) {
        double t = 100.0 * static_cast<double>(i) / static_cast<double>(n);
        store.append(t, 50e-9 + 30e-9 * std::sin(t / 5.0) + noise(gen));
    }
    return store;
}

struct Timing {
    double best;   // ms; the machine is shared, so the fastest run is the code's own cost
    double median; // ms
};

template <typename F>
Timing timeMs(int runs, F&& f) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        auto t0 = Clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

double naiveRedraw(QImage& image, GraphScale& scale, const PlotContent& content) {
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    PlotContent empty = content;
    empty.Points = nullptr;
    drawSignalGraph(canvas, scale, empty); // background and grids, as the full redraw
    std::vector<Point> trace;
    double d = buildSignalTrace(scale, *content.Points, H, false, trace);
    canvas.setPen(content.Colors.PMT);
    canvas.polyline(trace);
    return d;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QImage image(W, H, QImage::Format_RGB32);

    GraphScale scale = XYFactors({}, W, H, {}).Scale;
    scale.DampingFactor = 0.5;
    PlotContent content;
    content.Width = W;
    content.Height = H;

    // One core, as the acquisition tick and the redraw share the GUI thread.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);
    std::printf("plot %d x %d, damping 0.5, one thread on one core\n", W, H);
    for (std::size_t n : {std::size_t{1000000}, std::size_t{10000000}}) {
        PointStore points = makePoints(n);
        content.Points = &points;
        Timing redraw = timeMs(9, [&] {
            QPainter painter(&image);
            QPainterCanvas canvas(painter);
            drawSignalGraph(canvas, scale, content);
        });
        std::printf("full redraw, %8zu points, decimated:   best %7.2f ms, median %7.2f ms"
                    "  (limit %s)\n",
                    n, redraw.best, redraw.median, n == 1000000 ? "10 ms" : "80 ms");
        std::vector<Point> trace;
        Timing build = timeMs(9, [&] { buildSignalTrace(scale, points, H, true, trace); });
        std::printf("  of which smoothing, rounding, decimation: best %7.2f ms -> %zu points\n",
                    build.best, trace.size());
        if (n == 1000000) {
            Timing naive = timeMs(3, [&] { naiveRedraw(image, scale, content); });
            std::printf("full redraw, %8zu points, every point: best %7.2f ms, median %7.2f ms"
                        "  (%.0fx the decimated)\n",
                        n, naive.best, naive.median, naive.best / redraw.best);
        }
    }

    // Live segments: one per new point, as the acquisition tick draws them.
    PointStore none;
    content.Points = &none;
    content.DrawCurrent = true;
    startLiveTrace(scale);
    constexpr int kSegments = 20000;
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    auto t0 = Clock::now();
    for (int i = 0; i < kSegments; ++i)
        drawPoint(canvas, scale, content, i * 0.005, 50e-9 + 40e-9 * std::sin(i * 0.01),
                  std::cos(i * 0.01) * 1e-12);
    double us =
        std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / kSegments;
    std::printf("DrawPoint with current trace:              %8.2f us per point (limit 50 us)\n",
                us);
    return 0;
}
