#include "measurement/IntervalList.h"

#include <array>

namespace varentis {

namespace {

constexpr std::int64_t kPow10[] = {1,
                                   10,
                                   100,
                                   1000,
                                   10000,
                                   100000,
                                   1000000,
                                   10000000,
                                   100000000,
                                   1000000000,
                                   10000000000,
                                   100000000000,
                                   1000000000000,
                                   10000000000000,
                                   100000000000000,
                                   1000000000000000};
constexpr int kMaxShift = 15;

constexpr std::array<std::int64_t, kMaxShift + 1> makeShiftLimits() {
    std::array<std::int64_t, kMaxShift + 1> limits{};
    for (int i = 0; i <= kMaxShift; ++i)
        limits[static_cast<std::size_t>(i)] = kExactIntervalLimit / kPow10[i];
    return limits;
}
constexpr std::array<std::int64_t, kMaxShift + 1> kShiftLimits = makeShiftLimits();

} // namespace

bool shiftedWithinLimit(std::int64_t v, int shift, std::int64_t& out) {
    if (shift < 0 || shift > kMaxShift) return v == 0 ? (out = 0, true) : false;
    const std::int64_t limit = kShiftLimits[static_cast<std::size_t>(shift)];
    if (v > limit || v < -limit) return false;
    out = v * kPow10[shift];
    return true;
}

void IntervalList::add(const Number& n) {
    if (formed == 0) {
        push(n);
    } else if (n.value == 0.0) {
        pending = true;
    } else if (pending) {
        pending = false;
        if (formed <= kMaxValveIntervals) {
            values.back() += n.value;
            std::int64_t d = 0;
            if (exact && onScale(n, d)) {
                digits.back() += d;
                exact = digits.back() <= kExactIntervalLimit &&
                        digits.back() >= -kExactIntervalLimit;
            }
        }
    } else {
        push(n);
    }
}

void IntervalList::push(const Number& n) {
    if (++formed > kMaxValveIntervals) return;
    values.push_back(n.value);
    std::int64_t d = 0;
    if (exact && onScale(n, d)) digits.push_back(d);
}

bool IntervalList::onScale(const Number& n, std::int64_t& out) {
    if (!n.exact) return exact = false;
    if (n.digits == 0) {
        out = 0;
        return true;
    }
    if (!scaled) {
        scaled = true;
        exponent = n.exponent;
    } else if (n.exponent < exponent) {
        for (std::int64_t& x : digits)
            if (!shiftedWithinLimit(x, exponent - n.exponent, x)) return exact = false;
        exponent = n.exponent;
    }
    if (!shiftedWithinLimit(n.digits, n.exponent - exponent, out)) return exact = false;
    return true;
}

} // namespace varentis
