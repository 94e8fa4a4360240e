#pragma once

#include "graph/Canvas.h"
#include "graph/ValveGraph.h"
#include "measurement/PointStore.h"
#include "measurement/ValveProgram.h"

#include <string>
#include <string_view>
#include <vector>

namespace varentis {

// The printer's page in its own pixels.
struct PrinterPage {
    int Width = 0;  // printable width
    int Height = 0; // printable height
    int PhysicalWidth = 0; // the whole sheet
    int PhysicalHeight = 0;
    int DpiX = 600; // pixels per inch
    int DpiY = 600;
};

// The page setup: which blocks the report prints, its margins, colours, line width and font.
struct PageSetup {
    // Margins in cm, as typed.
    std::string Left = "2.0";
    std::string Right = "2.0";
    std::string Top = "2.0";
    std::string Bottom = "2.0";
    ColorRef FrameColor = 0;
    ColorRef LineColor = 0;  // the signal
    ColorRef ValveColor = 0;
    int LineWidth = 1; // printer pixels, 1 .. 100
    CanvasFont Font;   // the report font
    bool DataGraph = true;
    bool ValveGraph = true;
    bool InfoText = true;
    bool ValveText = true;
    bool Grid = true;
};

// What the report shows of the measurement: the scale of the last full redraw, the valve
// program with its lanes, the points, and the settings as their fields hold them.
struct ReportContent {
    double XMin = 0.0; // s
    double XMax = 100.0;
    double YMin = 0.0; // A
    double YMax = 100e-9;
    double YUnitFactor = 1e-9; // A per signal unit
    double ZeroLine = 0.0;     // A
    double DampingFactor = 0.0;
    std::string XMinText = "0", XMaxText = "100", XUnit = "s";
    std::string YMinText = "0", YMaxText = "100", YUnit = "nA";
    double CycleTime = 30.0; // s, above 0
    const ValveProgram* Valves = nullptr;
    ValveLanes Lanes;
    const PointStore* Points = nullptr;
    int Count = 0; // the points printed: those held when the report began
    std::vector<std::string> Description;
    std::vector<std::string> ValveProgramLines;
    std::string Period = "100", PeriodUnit = "ms";
    std::string Damping = "0", DampingUnit = "%";
    std::string Zero = "0";
    std::string PMTVoltage = "100";
    std::string CycleTimeText = "30";
    std::string FileName; // the data file, with or without its folder
};

// Where the report's parts lie on the page, in printer pixels: margins L, R, T, B less the
// unprintable border (offX, offY), the plot from (L, G) to (PW - R, PH - B) with its scales,
// and the valve graph of n lanes of height I from V0 to V1 above it.
struct ReportGeometry {
    int PW = 0, PH = 0;
    int offX = 0, offY = 0;
    int L = 0, R = 0, T = 0, B = 0;
    int G = 0;
    double Sx = 0.0; // pixels per second
    double Sy = 0.0; // pixels per ampere
    int I = 0;
    int n = 0;
    int V0 = 0, V1 = 0;
    double XMin = 0.0, YMax = 0.0;

    int x(double t) const;
    int y(double v) const;
};

ReportGeometry reportGeometry(const PrinterPage& page, const PageSetup& setup,
                              const ReportContent& content);

// Told what the report is doing: the name of the block being printed and, while the signal
// is drawn, how far it has come (0 .. 100; told only when the number changes).
class ReportProgress {
public:
    virtual ~ReportProgress() = default;
    virtual void status(std::string_view text) = 0;
    virtual void position(int percent) = 0;
};

// Draws the one-page report: the signal plot, the valve graph, the info text and the valve
// text or legend, as the page setup chooses. The canvas is the printer's page; its font
// and pen start as the report sets them.
ReportGeometry drawReport(Canvas& canvas, const PrinterPage& page, const PageSetup& setup,
                          const ReportContent& content, ReportProgress* progress = nullptr);

// Rows of the plot's dashed grid lines, from the top; `height` is PH - T - B. The lines fall
// on tenths of the span counted from zero when zero lies inside the axis.
std::vector<int> reportGridRows(const ReportGeometry& g, const ReportContent& content,
                                int height);

// The legend line of the valve lanes: "Valves:" and "  V3" for each lane, top to bottom.
std::string valveLegend(const ValveProgram& program, const ValveLanes& lanes);

} // namespace varentis
