#pragma once

#include "measurement/Schedules.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varentis {

inline constexpr int kValveCount = 12;
// Intervals a valve holds; further ones are ignored.
inline constexpr std::size_t kMaxValveIntervals = 5000;

// The valve program as parsed from its text: what each valve does within the cycle, the
// lanes of the valve graph, and the schedule the run executes.
//
// The text has one valve per line: "V1=" .. "V12=" (text before the name is ignored), then
// a comma-separated list of interval lengths in seconds, "SA" (open while stopped), "PA"
// (open while paused) and repetition groups n*(list). A valve starts every cycle closed and
// changes state at the end of each interval; a first interval of 0 opens it at the start,
// a 0 further on cancels a change (5,0,3,4 is 8,4).
struct ValveProgram {
    // Row v - 1 holds the interval lengths of valve Vv in s, in order, at most 5000. A 0
    // after the first entry ends the list. A valve named without any interval holds a
    // single 0: open for the whole cycle, as a row of zeros reads.
    std::array<std::vector<double>, kValveCount> ValveIntervals;
    std::array<bool, kValveCount> ValveDefined{};
    // The switching times of each valve within the cycle: the running sums of its intervals
    // up to the end of its list. Typed decimals are added exactly, so times that are equal
    // as decimals are the same double, whichever valve reaches them.
    std::array<std::vector<double>, kValveCount> SwitchSums;
    // The lane of each valve in the valve graph: the ordinal of the line that named it
    // last among the lines that name a valve, or -1. A valve named twice keeps only its
    // later lane; the earlier stays empty.
    std::array<int, kValveCount> Lane;
    int LaneCount = 0; // lines that name a valve
    ValveSchedule Schedule;

    ValveProgram() { Lane.fill(-1); }
};

// Parses the valve program for a cycle of `cycleTime` seconds. Unreadable items are
// skipped; nothing is reported.
ValveProgram parseValveProgram(std::string_view text, double cycleTime);

} // namespace varentis
