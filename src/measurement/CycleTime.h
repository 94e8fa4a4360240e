#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace varentis {

// Times within the program cycle stand for decimals: the timer counts 10 us steps and the
// programs' times are typed as decimals. A double a few units in the last place away is
// the same instant (10000 x 1e-5 is not the double 0.1, yet the timer reads 0.1 s).
inline bool sameInstant(double a, double b) {
    const double magnitude = std::max(std::fabs(a), std::fabs(b));
    return std::fabs(a - b) <= 4 * std::numeric_limits<double>::epsilon() * magnitude;
}

// The time within the cycle `tc` has reached `t`.
inline bool reachedTime(double tc, double t) { return tc >= t || sameInstant(tc, t); }
// The time within the cycle `tc` is past `t`.
inline bool pastTime(double tc, double t) { return tc > t && !sameInstant(tc, t); }

} // namespace varentis
