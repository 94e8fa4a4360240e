#pragma once

#include "core/Decimal.h"

namespace varentis {

// Times within the program cycle stand for decimals: the timer counts 10 us steps and the
// programs' times are typed as decimals. A double that stands for the same decimal is the
// same instant (10000 x 1e-5 is not the double 0.1, yet the timer reads 0.1 s).
inline bool sameInstant(double a, double b) { return sameDecimal(a, b); }

// The time within the cycle `tc` has reached `t`.
inline bool reachedTime(double tc, double t) { return tc >= t || sameInstant(tc, t); }
// The time within the cycle `tc` is past `t`.
inline bool pastTime(double tc, double t) { return tc > t && !sameInstant(tc, t); }

} // namespace varentis
