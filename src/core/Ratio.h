#pragma once

#include "core/Decimal.h"

#include <cstdint>
#include <string_view>

namespace varentis {

// Quotients of typed decimals, held as an exact fraction of two 128-bit integers while the
// digits fit, so that roundings and comparisons of page and plot geometry decide as the
// decimals would: 1.1 x 15 is 16.5 and rounds to 16, where the doubles give
// 16.500000000000004 and 17. A result that no longer fits is carried on as a double, which
// then decides. It is made from Decimal values and rounds as Decimal does.
class Ratio {
public:
    Ratio() = default;
    Ratio(std::int64_t value) : num_(value), approx_(static_cast<double>(value)) {}
    // The decimal as typed, read as readNumber reads it: text that is not a number is 0.
    static Ratio ofText(std::string_view text);
    // The decimal `value` stands for (decimalNear).
    static Ratio ofDouble(double value);

    friend Ratio operator+(const Ratio& a, const Ratio& b);
    friend Ratio operator-(const Ratio& a, const Ratio& b);
    friend Ratio operator*(const Ratio& a, const Ratio& b);
    // A division by zero gives an inexact infinity (or NaN).
    friend Ratio operator/(const Ratio& a, const Ratio& b);

    bool exact() const { return exact_; }
    double value() const { return approx_; }
    // -1, 0 or 1.
    int sign() const;
    // Nearest integer, halves to even; clamped to +-2^62.
    std::int64_t rounded() const;
    // Toward zero; clamped to +-2^62.
    std::int64_t truncated() const;
    // The fraction part, a - trunc(a).
    Ratio fraction() const;

private:
    static Ratio inexact(double value);
    static Ratio ofDecimal(const Decimal& d, double value);
    void reduce();

    Int128 num_ = 0;
    Int128 den_ = 1; // > 0
    bool exact_ = true;
    double approx_ = 0.0;
};

} // namespace varentis
