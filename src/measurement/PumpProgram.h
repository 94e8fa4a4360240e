#pragma once

#include "measurement/Schedules.h"

#include <string_view>

namespace varentis {

// Parses the pump program for a cycle of `cycleTime` seconds: items speed(duration)
// separated by commas, for example 100(10),0(5),50. The speed is in percent of full speed
// (negative runs the pump in reverse), the duration in seconds; the steps follow one
// another. An item without parentheses holds its speed to the end of the cycle. A closing
// step of speed 0 at the cycle time always follows; an empty text gives two such steps.
// Unreadable numbers count 0; nothing is reported.
PumpSchedule parsePumpProgram(std::string_view text, double cycleTime);

} // namespace varentis
