#pragma once

#include "core/NumberText.h"
#include "graph/RecordingCanvas.h"
#include "printing/Report.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace varentis::test {

// An A4 sheet at 600 dpi whose printer leaves 161 x 216 pixels unprintable.
inline PrinterPage a4Page() { return {4800, 6800, 4961, 7016, 600, 600}; }

// Nearest integer of num / den (den > 0), halves to even: the reference rounding.
inline std::int64_t roundHalfEven(std::int64_t num, std::int64_t den) {
    std::int64_t q = num / den, r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && q % 2 != 0)) ++q;
    return q;
}

struct ProgressLog : ReportProgress {
    std::vector<std::string> statuses;
    std::vector<int> positions;
    void status(std::string_view text) override { statuses.emplace_back(text); }
    void position(int percent) override { positions.push_back(percent); }
};

// A report with its content, drawn on a recording canvas.
struct Report {
    PrinterPage page = a4Page();
    PageSetup setup;
    ReportContent content;
    ValveProgram valves;
    PointStore points;
    RecordingCanvas canvas;
    ProgressLog progress;
    ReportGeometry g;

    Report() { setup.Font = {"Arial", 12, false, false, rgb(1, 2, 3)}; }

    // The signal axis as typed into "Y min", "Y max" and the unit's factor.
    void signalAxis(const std::string& min, const std::string& max, double factor = 1e-9) {
        content.YMinText = min;
        content.YMaxText = max;
        content.YUnitFactor = factor;
        content.YMin = readNumber(min) * factor;
        content.YMax = readNumber(max) * factor;
    }
    void timeAxis(double min, double max) {
        content.XMin = min;
        content.XMax = max;
        content.XMinText = text(min, 0);
        content.XMaxText = text(max, 0);
    }
    void valveProgram(const std::string& program, bool shown = true) {
        valves = parseValveProgram(program, content.CycleTime);
        content.Lanes = valveLanes(valves, shown);
    }
    void addPoint(double t, double signal) { points.appendPoint(t, signal, false, 0); }
    // Only the blocks named are ticked.
    void only(bool data, bool valve, bool info, bool valveText, bool grid) {
        setup.DataGraph = data;
        setup.ValveGraph = valve;
        setup.InfoText = info;
        setup.ValveText = valveText;
        setup.Grid = grid;
    }
    void draw() {
        content.Valves = &valves;
        content.Points = &points;
        content.Count = points.Count;
        g = drawReport(canvas, page, setup, content, &progress);
    }

    int refX(double t) const { return static_cast<int>(rnd((t - content.XMin) * g.Sx)) + g.L; }
    int refY(double v) const { return g.G + static_cast<int>(rnd((content.YMax - v) * g.Sy)); }

    std::vector<RecordingCanvas::Call> calls(RecordingCanvas::Kind kind) const {
        std::vector<RecordingCanvas::Call> out;
        for (const auto& c : canvas.calls())
            if (c.kind == kind) out.push_back(c);
        return out;
    }
    // Horizontal segments across the whole plot width, by pen style, from `top` to `bottom`
    // (both included).
    std::vector<int> rowsAcross(PenStyle style, int top, int bottom) const {
        std::vector<int> rows;
        for (const auto& s : canvas.segments())
            if (s.style == style && s.from.y == s.to.y && s.from.x == g.L &&
                s.to.x == g.PW - g.R && s.from.y >= top && s.from.y <= bottom)
                rows.push_back(s.from.y);
        return rows;
    }
    // Vertical dashed lines from `top` to `bottom`.
    std::vector<int> dashedColumns(int top, int bottom) const {
        std::vector<int> xs;
        for (const auto& s : canvas.segments())
            if (s.style == PenStyle::Dashed && s.from.x == s.to.x && s.from.y == top &&
                s.to.y == bottom)
                xs.push_back(s.from.x);
        return xs;
    }
};

} // namespace varentis::test
