#pragma once

#include "graph/Canvas.h"

namespace varentis {

// The colours of the screen graphs; the settings file keeps them under the same names.
struct GraphColors {
    ColorRef Valves = rgb(0, 0, 0);
    ColorRef ValveBkg = rgb(255, 255, 255);
    ColorRef PMT = rgb(0, 0, 255);
    ColorRef Potential = rgb(0, 255, 0);
    ColorRef Current = rgb(255, 0, 0);
    ColorRef Pump = rgb(128, 128, 128);
    ColorRef Bkg = rgb(255, 255, 255);
};

} // namespace varentis
