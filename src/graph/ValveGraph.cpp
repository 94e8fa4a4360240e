#include "graph/ValveGraph.h"

namespace varentis {

namespace {
constexpr ColorRef kBlack = rgb(0, 0, 0);
constexpr ColorRef kBaseGrey = rgb(212, 212, 212);
constexpr ColorRef kGridGrey = rgb(128, 128, 128);
} // namespace

ValveLanes valveLanes(const ValveProgram& program, bool showValves) {
    ValveLanes lanes;
    lanes.Shown = showValves;
    lanes.Position.fill(kFirstLaneTop);
    lanes.Bottom = kFirstLaneTop + kLanePitch * program.LaneCount;
    if (!showValves) return lanes;
    for (std::size_t v = 0; v < kValveCount; ++v) {
        if (program.Lane[v] < 0) continue;
        lanes.Used[v] = true;
        lanes.Position[v] = kFirstLaneTop + kLanePitch * program.Lane[v];
    }
    return lanes;
}

std::vector<TraceVertex> valveTraceVertices(std::span<const double> sums, double cycle,
                                            int offY, int onY) {
    std::vector<TraceVertex> v;
    v.reserve(2 * sums.size() + 4);
    double e = 0.0;
    int level = offY;
    for (std::size_t k = 0;; ++k) {
        const double p = e;
        // After the list (a 0 interval) the valve holds its state to the cycle's end.
        e = k < sums.size() ? sums[k] : cycle;
        if (e == p && k > 0) e = cycle;
        if (e > cycle) e = cycle;
        v.push_back({p, level});
        v.push_back({e, level});
        level = level == offY ? onY : offY;
        if (e >= cycle || !(e == e)) break;
        if (k + 1 == kMaxValveIntervals) {
            // All 5000 intervals end inside the cycle: the last state holds to its end.
            v.push_back({e, level});
            v.push_back({cycle, level});
            break;
        }
    }
    return v;
}

void drawValveGraph(Canvas& canvas, const Rect& box, const TimeAxis& axis,
                    const ValveProgram& program, const ValveLanes& lanes, double cycle,
                    const GraphColors& colors) {
    canvas.setPenMode(PenMode::Copy);
    canvas.setPen(kBlack, PenStyle::Solid);
    canvas.setBrushColor(colors.ValveBkg);
    canvas.rectangle(box.left, box.top, box.right, box.bottom);

    auto offRow = [&](std::size_t v) { return box.top + lanes.Position[v] - kLaneOffLevel; };
    canvas.setPen(kBaseGrey, PenStyle::Solid);
    for (std::size_t v = 0; v < kValveCount; ++v) {
        if (!lanes.Used[v]) continue;
        canvas.moveTo(box.left, offRow(v));
        canvas.lineTo(box.right, offRow(v));
    }

    canvas.setPen(kGridGrey, PenStyle::Dotted);
    drawCycleLines(canvas, axis, cycle, box.top, box.bottom);

    canvas.setPen(colors.Valves, PenStyle::Solid);
    for (std::size_t v = 0; v < kValveCount; ++v) {
        if (!lanes.Used[v]) continue;
        const int off = offRow(v);
        const int on = box.top + lanes.Position[v] - kLaneOnLevel;
        const std::vector<TraceVertex> wave =
            valveTraceVertices(program.SwitchSums[v], cycle, off, on);
        drawCycleTrace(canvas, axis, cycle, wave);
    }
}

} // namespace varentis
