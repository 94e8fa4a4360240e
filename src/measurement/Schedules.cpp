#include "measurement/Schedules.h"

namespace varentis {

PotentialSchedule oneStepPotentialSchedule(double potential, double cycleTime) {
    PotentialSchedule p;
    p.StepCount = 1;
    p.EndTimes = {cycleTime};
    p.Potentials = {potential};
    return p;
}

} // namespace varentis
