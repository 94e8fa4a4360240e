#pragma once

#include "graph/Canvas.h"
#include "graph/CycleTrace.h"
#include "graph/GraphColors.h"
#include "measurement/ValveProgram.h"

#include <array>
#include <span>
#include <vector>

namespace varentis {

// The valve graph's layout in pixels of the graph panel: the first lane's check box sits
// at 48 (the top of the valve graph box), each further lane 14 lower. Within the box a
// lane's wave is low 35 and high 43 pixels above its check box's top, that is 13 and 5
// pixels below it.
inline constexpr int kFirstLaneTop = 48;
inline constexpr int kLanePitch = 14;
inline constexpr int kLaneOffLevel = 35;
inline constexpr int kLaneOnLevel = 43;

// Where the valve graph puts things: each valve's lane, the graph box and the plot below.
struct ValveLanes {
    bool Shown = false; // "Show valves": the box and the check boxes show
    // The valve has a lane; its check box shows exactly then.
    std::array<bool, kValveCount> Used{};
    // Top of each valve's check box; kFirstLaneTop for a valve without a lane.
    std::array<int, kValveCount> Position{};
    // Below the last lane: kFirstLaneTop + kLanePitch x lanes (each line naming a valve
    // takes a lane).
    int Bottom = kFirstLaneTop;

    int boxHeight() const { return Bottom - 46; }                      // PaintBox3
    int plotTop() const { return Shown ? Bottom + 8 : kFirstLaneTop; } // PaintBox2
    int maxLabelTop() const { return Shown ? Bottom + 4 : 44; }        // Label5
    // Lane index from the top, as the printed report numbers them.
    int laneIndex(int valve) const {
        return (Position[static_cast<std::size_t>(valve)] - kFirstLaneTop) / kLanePitch;
    }
};

ValveLanes valveLanes(const ValveProgram& program, bool showValves);

// The valve graph in `box`: background, a base line per lane, the cycle grid and one
// square wave per valve with a lane, low while it is closed and high while it is open,
// repeated every cycle along `axis` (whose Left and Width are the box's).
void drawValveGraph(Canvas& canvas, const Rect& box, const TimeAxis& axis,
                    const ValveProgram& program, const ValveLanes& lanes, double cycle,
                    const GraphColors& colors);

// One cycle of a valve's wave from its switching times: closed (row offY) at the start,
// changing at each time, holding its state after the last to the cycle's end; times past
// the cycle's end are cut there.
std::vector<TraceVertex> valveTraceVertices(std::span<const double> switchSums, double cycle,
                                            int offY, int onY);

} // namespace varentis
