#pragma once

#include <cstdint>
#include <vector>

namespace varentis {

// The parsed valve, pump and potential programs. They are rebuilt from their texts at every
// full redraw and executed step by step within each program cycle.

struct ValveSchedule {
    std::vector<double> SwitchTimes;  // s within the cycle; first 0, last the cycle time
    std::vector<std::uint16_t> Masks; // valve state from SwitchTimes[j] on; bit 0 = V1
    std::uint16_t StopMask = 0;
    std::uint16_t PauseMask = 0;
    int stepCount() const { return static_cast<int>(Masks.size()); }
};

struct PumpSchedule {
    int StepCount = 0;
    std::vector<double> EndTimes; // s within the cycle, cumulative
    std::vector<double> Speeds;   // percent of full speed, signed
};

struct PotentialSchedule {
    int StepCount = 0;
    std::vector<double> EndTimes;   // s within the cycle, cumulative
    std::vector<double> Potentials; // V
};

// The three programs a run executes, parsed together at a full redraw.
struct RunPrograms {
    ValveSchedule Valves;
    PumpSchedule Pump;
    PotentialSchedule Potential;
};

// Stand-in while the potential text is not parsed: one step for the whole cycle.
PotentialSchedule oneStepPotentialSchedule(double potential, double cycleTime);

} // namespace varentis
