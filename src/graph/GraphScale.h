#pragma once

#include <cstdint>

namespace varentis {

// Where the plot's values land in pixels, and how they are printed. Renewed by XYFactors at
// every full redraw; the live-drawing state at the end carries from point to point.
struct GraphScale {
    // Time axis, s; XScale in pixels per second.
    double XMin = 0.0;
    double XMax = 100.0;
    double XScale = 0.0; // 0 until the first scaling knows the plot's width
    double XUnitFactor = 1.0;
    // Signal axis, A; YScale in pixels per ampere.
    double YMin = 0.0;
    double YMax = 100e-9;
    double YScale = 0.0; // 0 until the first scaling knows the plot's height
    double YUnitFactor = 1e-9;
    // Potential axis, V.
    double PotMin = -1.0;
    double PotMax = 1.0;
    double PotScale = 0.0;
    // Cell-current axis, A.
    double CurMin = -1.0;
    double CurMax = 1.0;
    double CurScale = 0.0;
    double CurUnitFactor = 1e-12;
    double ZeroLine = 0.0; // A, subtracted from every signal before display

    double SignalRangeMagnitude = 100e-9;  // A, selects the detector range at run start
    double CurrentRangeMagnitude = 2e-12;  // A, selects the potentiostat range at run start

    std::uint8_t XDecimals = 3;
    std::uint8_t YDecimals = 3;
    std::uint8_t CurrentDecimals = 3;

    // Weight of the previous displayed value in the display smoothing, in [0, 1].
    double DampingFactor = 0.0;
    // Live drawing: the smoothed signal and the previous live point (pixels before
    // rounding, y measured upwards from the bottom edge).
    double DampedSignal = 0.0;
    struct Plotted {
        double x = 0.0;
        double signalY = 0.0;
        double currentY = 0.0;
    } LastPlotted;
};

} // namespace varentis
