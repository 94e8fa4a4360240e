// The valve program and the valve graph at their largest: twelve valves of 5000 intervals.
// Prints milliseconds for parsing the program (done at every full redraw) and for a full
// redraw of signal plot, pump trace and valve graph with 1e5 cycles on the time axis, and,
// for comparison in the same run, the sorted insert of the switching times that the merge
// replaces and the drawing of every cycle that the per-column drawing replaces.
#include "graph/AxisScaling.h"
#include "graph/CycleTrace.h"
#include "graph/QPainterCanvas.h"
#include "graph/SignalGraph.h"
#include "graph/ValveGraph.h"
#include "measurement/PumpProgram.h"
#include "measurement/ValveProgram.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <sched.h>
#include <string>
#include <vector>

using namespace varentis;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int W = 600;
constexpr int H = 400;
constexpr double kCycle = 10.0;         // s
constexpr double kAxis = 1e5 * kCycle;  // 1e5 cycles on the time axis

struct Timing {
    double best;   // ms; the machine is shared, so the fastest run is the code's own cost
    double median; // ms
    double cpu;    // ms of this thread's own processor time, best run
};

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

template <typename F>
Timing timeMs(int runs, F&& f) {
    std::vector<double> times, cpu;
    for (int r = 0; r < runs; ++r) {
        const double c0 = threadCpuMs();
        auto t0 = Clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        cpu.push_back(threadCpuMs() - c0);
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], *std::min_element(cpu.begin(), cpu.end())};
}

// Twelve lines of 5000 intervals each, of one to three milliseconds as typed decimals, that
// fill the 10 s cycle.
std::string bigProgram() {
    std::mt19937 gen(3);
    std::uniform_int_distribution<int> ms(1, 3);
    std::string text;
    for (int v = 1; v <= 12; ++v) {
        text += "V" + std::to_string(v) + "=";
        for (int k = 0; k < 5000; ++k) {
            text += "0.00";
            text += static_cast<char>('0' + ms(gen));
            text += k + 1 < 5000 ? "," : ",SA\n";
        }
    }
    return text;
}

// The switching times as a sorted insert builds them, one time at a time.
std::size_t sortedInsertSteps(const ValveProgram& p, double cycle) {
    std::vector<double> times{0.0, cycle};
    for (const std::vector<double>& sums : p.SwitchSums)
        for (double s : sums) {
            if (s == cycle) break;
            if (!(s > 0 && s < cycle)) continue;
            std::size_t j = 1;
            while (j < times.size() && times[j] < s) ++j;
            if (times[j] != s) times.insert(times.begin() + static_cast<std::ptrdiff_t>(j), s);
        }
    return times.size();
}

PointStore makePoints(std::size_t n) {
    std::mt19937 gen(42);
    std::normal_distribution<double> noise(0.0, 5e-9);
    PointStore store;
    store.startRun(static_cast<int>(n), false);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = kAxis * static_cast<double>(i) / static_cast<double>(n);
        store.append(t, 50e-9 + 30e-9 * std::sin(t / 5.0) + noise(gen));
    }
    return store;
}

const char* verdict(double ms, double limit) { return ms <= limit ? "met" : "MISSED"; }

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);

    const std::string text = bigProgram();
    ValveProgram program;
    const Timing parse = timeMs(51, [&] { program = parseValveProgram(text, kCycle); });
    std::printf("valve program, 12 x 5000 intervals (%zu characters): %zu steps\n", text.size(),
                program.Schedule.SwitchTimes.size());
    std::printf("  parse:        best %7.2f ms, median %7.2f ms, own processor time %5.2f ms  "
                "(limit 2 ms: %s)\n",
                parse.best, parse.median, parse.cpu, verdict(parse.best, 2.0));
    std::size_t steps = 0;
    const Timing insert = timeMs(1, [&] { steps = sortedInsertSteps(program, kCycle); });
    std::printf("  switching times by sorted insert instead of merging: %9.2f ms (%zu steps)\n",
                insert.best, steps);

    // The window: a plot of 600 x 400 and, above it, the valve graph of twelve lanes.
    ScaleSettings settings;
    settings.XMax = std::to_string(static_cast<long long>(kAxis));
    GraphScale scale = XYFactors(settings, W, H, {}).Scale;
    const ValveLanes lanes = valveLanes(program, true);
    QImage plot(W, H, QImage::Format_RGB32);
    QImage valveBox(W, lanes.boxHeight(), QImage::Format_RGB32);
    PointStore points = makePoints(100000);
    PlotContent content;
    content.Points = &points;
    content.CycleTime = kCycle;
    content.ShowPump = true;
    content.Width = W;
    content.Height = H;
    TimeAxis axis;
    axis.XMin = scale.XMin;
    axis.XMax = scale.XMax;
    axis.XScale = scale.XScale;
    axis.Width = W;
    GraphColors colors;

    auto redraw = [&] {
        PumpSchedule pump = parsePumpProgram("100(2),0(3),-50(1),50", kCycle);
        content.Pump = &pump;
        {
            QPainter painter(&valveBox);
            QPainterCanvas canvas(painter);
            drawValveGraph(canvas, {0, 0, W, lanes.boxHeight()}, axis, program, lanes, kCycle,
                           colors);
        }
        QPainter painter(&plot);
        QPainterCanvas canvas(painter);
        drawSignalGraph(canvas, scale, content);
    };
    const Timing full = timeMs(21, redraw);
    std::printf("full redraw, 1e5 cycles of 10 s on the axis, 1e5 points, pump trace, 12 valve "
                "lanes\n");
    std::printf("  drawing:      best %7.2f ms, median %7.2f ms, own processor time %5.2f ms  "
                "(limit 30 ms: %s)\n",
                full.best, full.median, full.cpu, verdict(full.best, 30.0));
    const Timing valvesOnly = timeMs(11, [&] {
        QPainter painter(&valveBox);
        QPainterCanvas canvas(painter);
        drawValveGraph(canvas, {0, 0, W, lanes.boxHeight()}, axis, program, lanes, kCycle, colors);
    });
    std::printf("  of which the valve graph: best %7.2f ms\n", valvesOnly.best);
    const Timing withParse = timeMs(11, [&] {
        program = parseValveProgram(text, kCycle);
        redraw();
    });
    std::printf("  with the valve program parsed: best %7.2f ms, median %7.2f ms, own processor "
                "time %5.2f ms  (limit 30 ms: %s)\n",
                withParse.best, withParse.median, withParse.cpu, verdict(withParse.best, 30.0));

    // One valve lane drawn cycle by cycle, every corner, over a hundredth of the axis.
    const std::vector<TraceVertex> wave = valveTraceVertices(program.SwitchSums[0], kCycle, 13, 5);
    TimeAxis part = axis;
    part.XMax = kAxis / 100;
    part.XScale = W / part.XMax;
    const Timing every = timeMs(1, [&] {
        QPainter painter(&valveBox);
        QPainterCanvas canvas(painter);
        canvas.moveTo(0, 13);
        for (double c = 0; c <= part.XMax; c += kCycle)
            for (const TraceVertex& v : wave)
                canvas.lineTo(pixel((c + v.Time - part.XMin) * part.XScale), v.Y);
    });
    const Timing columns = timeMs(5, [&] {
        QPainter painter(&valveBox);
        QPainterCanvas canvas(painter);
        drawCycleTrace(canvas, part, kCycle, wave);
    });
    std::printf("one lane of 1000 cycles x %zu corners: every line %9.2f ms, per column %7.2f ms\n",
                wave.size(), every.best, columns.best);
    return 0;
}
