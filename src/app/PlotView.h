#pragma once

#include "graph/AxisScaling.h"
#include "graph/GraphColors.h"
#include "graph/GraphScale.h"
#include "graph/SignalGraph.h"
#include "measurement/PointStore.h"
#include "measurement/Schedules.h"
#include "measurement/ValveProgram.h"

#include <memory>

namespace varentis {

class MainFormLayout;
class WidgetControls;

// The main window's plot: the graph scale from the axis settings, the full redraw and the
// live segments of a run, drawn into the plot box's image.
class PlotView {
public:
    PlotView(MainFormLayout& form, const WidgetControls& controls, const PointStore& points);

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

private:
    ScaleSettings scaleSettings() const;
    PlotContent plotContent() const;

    MainFormLayout& form_;
    const WidgetControls& controls_;
    const PointStore& points_;
    GraphScale scale_;
    std::shared_ptr<const RunPrograms> programs_ = std::make_shared<const RunPrograms>();
    std::shared_ptr<const ValveProgram> valves_ = std::make_shared<const ValveProgram>();
    double cycleTime_ = 30.0;
    int redrawCount_ = 0;
};

} // namespace varentis
