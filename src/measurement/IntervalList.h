#pragma once

#include "measurement/ValveProgram.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varentis {

// Exact lengths are held as whole multiples of 10^exponent below this magnitude, so that
// the sums of 5000 of them stay inside 64 bits; beyond it the doubles are all there is.
inline constexpr std::int64_t kExactIntervalLimit = 1'000'000'000'000'000; // 10^15

// `v` x 10^shift, when it stays within kExactIntervalLimit.
bool shiftedWithinLimit(std::int64_t v, int shift, std::int64_t& out);

// The intervals of one valve as its list is read: a 0 after the first entry adds the next
// number into the previous interval; numbers beyond 5000 intervals are ignored. Besides the
// doubles the lengths are kept exactly, on one decimal scale for the valve.
struct IntervalList {
    // A number item: its double, and exactly as digits x 10^exponent when it fits 64 bits.
    struct Number {
        double value = 0.0;
        std::int64_t digits = 0;
        int exponent = 0;
        bool exact = false;
    };

    std::vector<double> values;
    std::vector<std::int64_t> digits; // the lengths in units of 10^exponent
    int exponent = 0;
    bool scaled = false; // a nonzero length has set the exponent
    bool exact = true;
    std::size_t formed = 0; // intervals the list formed, also those beyond 5000
    bool pending = false;

    void add(const Number& n);
    void push(const Number& n);
    // `n` on the valve's scale; a finer number rescales what the list holds. False (and the
    // list no longer exact) when it cannot be held.
    bool onScale(const Number& n, std::int64_t& out);
};

} // namespace varentis
