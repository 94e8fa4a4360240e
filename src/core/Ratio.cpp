#include "core/Ratio.h"

#include "core/NumberText.h"

#include <cmath>

namespace varentis {

namespace {

constexpr std::int64_t kClamp = std::int64_t{1} << 62;

Int128 absOf(Int128 v) { return v < 0 ? -v : v; }

Int128 gcdOf(Int128 a, Int128 b) {
    a = absOf(a);
    b = absOf(b);
    while (b != 0) {
        const Int128 r = a % b;
        a = b;
        b = r;
    }
    return a;
}

bool mul(Int128 a, Int128 b, Int128& out) { return !__builtin_mul_overflow(a, b, &out); }
bool add(Int128 a, Int128 b, Int128& out) { return !__builtin_add_overflow(a, b, &out); }

std::int64_t clampToInt(Int128 v) {
    if (v > kClamp) return kClamp;
    if (v < -kClamp) return -kClamp;
    return static_cast<std::int64_t>(v);
}

std::int64_t clampToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v > static_cast<double>(kClamp)) return kClamp;
    if (v < -static_cast<double>(kClamp)) return -kClamp;
    return rnd(v);
}

} // namespace

Ratio Ratio::inexact(double value) {
    Ratio r;
    r.exact_ = false;
    r.approx_ = value;
    return r;
}

Ratio Ratio::ofDecimal(const Decimal& d, double value) {
    if (!d.Exact || d.Exponent > 36 || d.Exponent < -36) return inexact(value);
    Ratio r;
    r.approx_ = value;
    Int128 power = 1;
    for (int i = 0; i < (d.Exponent < 0 ? -d.Exponent : d.Exponent); ++i) power *= 10;
    if (d.Exponent >= 0) {
        if (!mul(d.Digits, power, r.num_)) return inexact(value);
    } else {
        r.num_ = d.Digits;
        r.den_ = power;
    }
    r.reduce();
    return r;
}

Ratio Ratio::ofText(std::string_view text) {
    const DecimalText t = readDecimal(text);
    if (!t.Valid) return Ratio(0);
    return ofDecimal(t.Number, t.Value);
}

Ratio Ratio::ofDouble(double value) {
    if (!std::isfinite(value)) return inexact(value);
    return ofDecimal(decimalNear(value), value);
}

void Ratio::reduce() {
    if (den_ < 0) {
        num_ = -num_;
        den_ = -den_;
    }
    const Int128 g = gcdOf(num_, den_);
    if (g > 1) {
        num_ /= g;
        den_ /= g;
    }
}

Ratio operator+(const Ratio& a, const Ratio& b) {
    const double approx = a.approx_ + b.approx_;
    Ratio r;
    r.approx_ = approx;
    Int128 x, y, d;
    if (!a.exact_ || !b.exact_ || !mul(a.num_, b.den_, x) || !mul(b.num_, a.den_, y) ||
        !add(x, y, r.num_) || !mul(a.den_, b.den_, d))
        return Ratio::inexact(approx);
    r.den_ = d;
    r.reduce();
    return r;
}

Ratio operator-(const Ratio& a, const Ratio& b) {
    Ratio minusB = b;
    minusB.num_ = -b.num_;
    minusB.approx_ = -b.approx_;
    return a + minusB;
}

Ratio operator*(const Ratio& a, const Ratio& b) {
    const double approx = a.approx_ * b.approx_;
    Ratio r;
    r.approx_ = approx;
    if (!a.exact_ || !b.exact_) return Ratio::inexact(approx);
    // Crosswise first, which keeps the digits small.
    const Int128 g1 = gcdOf(a.num_, b.den_), g2 = gcdOf(b.num_, a.den_);
    const Int128 an = g1 > 1 ? a.num_ / g1 : a.num_, bd = g1 > 1 ? b.den_ / g1 : b.den_;
    const Int128 bn = g2 > 1 ? b.num_ / g2 : b.num_, ad = g2 > 1 ? a.den_ / g2 : a.den_;
    if (!mul(an, bn, r.num_) || !mul(ad, bd, r.den_)) return Ratio::inexact(approx);
    r.reduce();
    return r;
}

Ratio operator/(const Ratio& a, const Ratio& b) {
    const double approx = a.approx_ / b.approx_;
    if (!b.exact_ || b.num_ == 0) return Ratio::inexact(approx);
    Ratio inverse;
    inverse.num_ = b.den_;
    inverse.den_ = b.num_;
    inverse.approx_ = 1.0 / b.approx_;
    inverse.reduce();
    Ratio r = a * inverse;
    r.approx_ = approx;
    return r;
}

int Ratio::sign() const {
    if (!exact_) return approx_ > 0 ? 1 : (approx_ < 0 ? -1 : 0);
    return num_ > 0 ? 1 : (num_ < 0 ? -1 : 0);
}

std::int64_t Ratio::truncated() const {
    if (!exact_) return clampToInt(std::trunc(approx_));
    return clampToInt(*roundedQuotient(num_, den_, Rounding::TowardZero));
}

Ratio Ratio::fraction() const {
    if (!exact_) return inexact(approx_ - std::trunc(approx_));
    Ratio r;
    r.num_ = num_ % den_;
    r.den_ = den_;
    r.approx_ = approx_ - std::trunc(approx_);
    r.reduce();
    return r;
}

std::int64_t Ratio::rounded() const {
    if (!exact_) return clampToInt(approx_);
    return clampToInt(*roundedQuotient(num_, den_, Rounding::HalfEven));
}

} // namespace varentis
