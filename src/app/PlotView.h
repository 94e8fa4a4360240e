#pragma once

#include "documents/ControlAccess.h"
#include "graph/AxisScaling.h"
#include "graph/GraphColors.h"
#include "graph/GraphScale.h"
#include "graph/PlotCursor.h"
#include "graph/SignalGraph.h"
#include "measurement/PointStore.h"
#include "measurement/RunControl.h"
#include "measurement/Schedules.h"
#include "measurement/ValveProgram.h"

#include <QString>

#include <functional>
#include <memory>
#include <string_view>

namespace varentis {

class PlotSurface;

// The main window's plot, drawn on a PlotSurface; the axis fields, the check boxes and the
// read-out panels are the window's controls, reached by their designer names: the graph scale from the axis settings, the full redraw and the
// live segments of a run, drawn into the plot box's image; the mouse on the plot (zoom with
// the right button, the cursor read-out of a stored point with the left) and the zero line
// taken from the read-out.
class PlotView {
public:
    PlotView(PlotSurface& surface, ControlAccess& controls, const PointStore& points);

    // Renews the scale from the axis settings and the plot size; sets the axis captions.
    void XYFactors();
    // Full redraw: the scale renewed, the valve graph of `valves` with the plot placed
    // below it, then every stored point and the program traces of `programs` (kept for the
    // live segments that follow).
    void DrawGraph(std::shared_ptr<const RunPrograms> programs,
                   std::shared_ptr<const ValveProgram> valves, double cycleTimeSeconds,
                   double periodSeconds);
    // The valve graph: lanes and check boxes placed, the plot moved below them, the graph
    // drawn when "Show valves" is ticked.
    void DrawValves();
    // One live segment to the new point; `signal` has the zero line taken off.
    void DrawPoint(double time, double signal, double current);
    // A new run's live trace starts at the bottom-left corner.
    void startLiveTrace();

    const GraphScale& scale() const { return scale_; }
    // The valve program of the last full redraw.
    const ValveProgram& valves() const { return *valves_; }
    GraphColors Colors;
    int redrawCount() const { return redrawCount_; }

    // The mouse on the plot, in plot pixels. The right button starts a rubber band in any
    // run state; the left button picks the stored point nearest in time, only when stopped.
    void PaintBox2MouseDown(Qt::MouseButton button, int x, int y, RunState state);
    void PaintBox2MouseMove(int x, int y);
    // Any button: ends a rubber band, zooming when the drag went right and down.
    void PaintBox2MouseUp(int x, int y);
    // Clears the read-outs and leaves the zoom; true when the plot is to be redrawn at once
    // (it was not zoomed), which the window does with its programs.
    bool PaintBox2DblClick(RunState state);
    // Set zero line: the "Zero" field takes the read-out's value, which then reads 0.
    void Panel7DblClick();
    // Puts the limits from before the first zoom back into the axis fields.
    void unzoom();
    // The idle state: no drag, not zoomed, no marker.
    void resetCursor();

    bool Zooming = false; // a right-button drag is in progress
    bool Zoomed = false;  // the axis fields hold zoomed limits
    PixelRect RubberBand;
    AxisTexts SavedAxisTexts; // the axis texts from before the first zoom
    QString SavedStatus;      // Panel5 when the drag started
    bool MarkerShown = false;
    int MarkerX = 0;
    int MarkerY = 0;
    int MarkerCurrentY = 0;
    // The raw signal (A) behind the number in Panel7.
    double ReadoutSignal = 0.0;

private:
    ScaleSettings scaleSettings() const;
    PlotContent plotContent() const;
    // Draws into the plot's image and shows it.
    void paintPlot(const std::function<void(Canvas&)>& draw);
    // Panel6 and Panel7: where pixel (x, y) lies on the axes.
    void showPixel(int x, int y);
    void pickPointAt(int x);
    bool currentShown() const;
    QString fieldText(std::string_view control) const;
    // As an operator's edit: the control's change handling runs.
    void setFieldText(std::string_view control, const QString& text);

    PlotSurface& surface_;
    ControlAccess& controls_;
    const PointStore& points_;
    GraphScale scale_;
    std::shared_ptr<const RunPrograms> programs_ = std::make_shared<const RunPrograms>();
    std::shared_ptr<const ValveProgram> valves_ = std::make_shared<const ValveProgram>();
    double cycleTime_ = 30.0;
    int redrawCount_ = 0;
    // The rubber band is on the image (a full redraw wipes it).
    bool bandShown_ = false;
    // The marker has its second cross on the current trace.
    bool markerCurrentShown_ = false;
};

} // namespace varentis
