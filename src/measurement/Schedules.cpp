#include "measurement/Schedules.h"

namespace varentis {

PumpSchedule oneStepPumpSchedule(double speed, double cycleTime) {
    PumpSchedule p;
    p.StepCount = 1;
    p.EndTimes = {cycleTime};
    p.Speeds = {speed};
    return p;
}

PotentialSchedule oneStepPotentialSchedule(double potential, double cycleTime) {
    PotentialSchedule p;
    p.StepCount = 1;
    p.EndTimes = {cycleTime};
    p.Potentials = {potential};
    return p;
}

} // namespace varentis
