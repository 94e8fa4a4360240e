#pragma once

#include "graph/Canvas.h"

#include <cstdint>
#include <span>

namespace varentis {

// The time axis on a canvas: time t lies in column rnd((t - XMin) x XScale) + Left; the
// columns Left .. Left + Width - 1 show.
struct TimeAxis {
    double XMin = 0.0;  // s
    double XMax = 1.0;  // s
    double XScale = 0.0; // pixels per second
    int Left = 0;
    int Width = 0;
    // Columns are held within this many pixels of Left: the screen's kPixelLimit, more on a
    // printed page, which is wider.
    double PixelLimit = 10000.0;
};

// A corner of a program's trace within one cycle: its time from the cycle's start (the
// cycle time itself for the cycle's end, which is the next cycle's start) and its row.
struct TraceVertex {
    double Time = 0.0; // s
    int Y = 0;
};

// The cycles that start at or before XMax: c = 0, cycle, 2 x cycle, ... (none when XMax is
// negative), decided as the decimals they stand for.
std::int64_t cycleStarts(double cycle, double xMax);

// Vertical lines from yTop to yBottom at every whole multiple of the cycle time, up to and
// including the first one at or past XMax, in the canvas's pen. Cycles denser than the
// pixels are drawn column by column, one line per column they reach.
void drawCycleLines(Canvas& canvas, const TimeAxis& axis, double cycle, int yTop, int yBottom);

// A program's trace, the same in every cycle: a move to the first vertex of the first cycle,
// then lines through the vertices of every cycle that starts at or before XMax, in the
// canvas's pen. Consecutive vertices share their time or their row, so every line is
// horizontal or vertical. Cycles or corners denser than the pixels are drawn per pixel
// column (its first, lowest, highest and last row), which sets the same pixels with a
// 1-pixel pen as drawing every line; there, times outside the cycle are held at its edges
// and a trace that stops short of the cycle's end is held at its last row.
void drawCycleTrace(Canvas& canvas, const TimeAxis& axis, double cycle,
                    std::span<const TraceVertex> vertices);

} // namespace varentis
