#pragma once

#include "graph/Canvas.h"

#include <string>

namespace varentis {

// The sheet as the printer has it: its whole size in printer pixels and the resolution.
struct PaperPixels {
    int Width = 0;
    int Height = 0;
    int DpiX = 0; // pixels per inch
    int DpiY = 0;
};

// The margins dialog's picture of the page for an orientation: the paper in its group, the
// printable area inside the paper, and the group's caption with the paper's size.
struct PaperPreview {
    Rect Paper;          // Panel1, in the group
    Rect Area;           // Shape1, in the paper
    std::string Caption; // "Size: 21.0 x 29.7 cm"
    double WidthCm = 0.0;
    double HeightCm = 0.0;
};

// Lays the picture out for the margins as typed (cm; text that is not a number counts as 0).
// The paper's sides follow the orientation chosen here, whatever the printer's own.
PaperPreview paperPreview(const PaperPixels& paper, bool landscape, const std::string& left,
                          const std::string& top, const std::string& right,
                          const std::string& bottom);

} // namespace varentis
