#pragma once

#include "measurement/Schedules.h"

#include <string_view>

namespace varentis {

// The potential program: items "pot(time)" separated by commas, the potential in mV and the
// length of the step in seconds, e.g. "500(10),-200(5),0". An item without both parentheses
// holds its potential to the end of the cycle. Every item gives one step, ending at the sum
// of the times so far, and one closing step (cycle end, 0 V) follows the last item, so the
// schedule always has at least two steps. Nothing is rejected: a number that cannot be read
// counts as 0 and an empty text is the program "0".
//
// The end times are the exact decimal sums of the typed times, so that
// 0.1 + 0.2 ends exactly where the timer's 0.3 s is, as the operator means it.
PotentialSchedule parsePotentialProgram(std::string_view text, double cycleTime);

} // namespace varentis
