#include "core/Decimal.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

using namespace varentis;

namespace {

Decimal typed(const char* text) { return readDecimal(text).Number; }

TEST(Decimal, ReadsTheSameNumbersAsReadNumber) {
    const char* texts[] = {"100",   "  -2.5", "+7",     "1e-9",  "1.5E+3", ".5",   "3.",
                           "0.1",   "",       "   ",    "-",     "abc",    "12abc", "1,5",
                           "1e",    "1e999",  "-1e999", "nan",   "inf",    "0x10",  "5 ",
                           ".",     "--1",    "-0",     "0.000", "1e-320", "1e22",  "1e23",
                           "0.1e1", "4.9e-324", "1234.5678e-2", "9007199254740993",
                           "0.30000000000000004", "123456789012345678901234567890"};
    for (const char* t : texts) {
        bool valid = false;
        const double expected = readNumber(t, &valid);
        const DecimalText d = readDecimal(t);
        EXPECT_EQ(d.Valid, valid) << '"' << t << '"';
        EXPECT_EQ(d.Value, expected) << '"' << t << '"';
        EXPECT_EQ(std::signbit(d.Value), std::signbit(expected)) << '"' << t << '"';
    }
}

TEST(Decimal, HoldsTypedNumbersExactly) {
    const struct {
        const char* text;
        long long digits;
        int exponent;
    } cases[] = {{"0.1", 1, -1},       {"-2.50", -250, -2}, {"1e-9", 1, -9},
                 {"1.5E+3", 15, 2},    {"007", 7, 0},       {"0.000", 0, 0},
                 {"12.34e1", 1234, -1}};
    for (const auto& c : cases) {
        const Decimal d = readDecimal(c.text).Number;
        EXPECT_TRUE(d.Exact) << c.text;
        EXPECT_TRUE(d.Digits == c.digits) << c.text;
        EXPECT_EQ(d.Exponent, c.exponent) << c.text;
    }
    EXPECT_FALSE(readDecimal("1234567890123456789012345678901234567891").Number.Exact);
    EXPECT_TRUE(readDecimal("123456789012345678901234567890123456000000").Number.Exact);
}

TEST(Decimal, SumsCompareAsDecimals) {
    const Decimal a = readDecimal("0.1").Number;
    const Decimal b = readDecimal("0.2").Number;
    const Decimal c = add(a, b);
    ASSERT_TRUE(c.Exact);
    EXPECT_EQ(decimalToDouble(c.Digits, c.Exponent), 0.3);
    EXPECT_NE(0.1 + 0.2, 0.3); // what doubles alone would give
    Decimal sum;
    for (int i = 0; i < 5000; ++i) sum = add(sum, a);
    EXPECT_EQ(decimalToDouble(sum.Digits, sum.Exponent), 500.0);
    // Beyond the digits held, the sum says so.
    EXPECT_FALSE(add(readDecimal("1e40").Number, readDecimal("1e-40").Number).Exact);
}

TEST(Decimal, ShortestDecimalOfADoubleAndBackAgree) {
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 20000; ++i) {
        const double v = mantissa(gen) * std::pow(10.0, exponent(gen));
        const Decimal d = decimalOf(v);
        ASSERT_TRUE(d.Exact) << v;
        ASSERT_EQ(decimalToDouble(d.Digits, d.Exponent), v);
    }
    EXPECT_EQ(decimalOf(0.001).Exponent, -3);
    EXPECT_FALSE(decimalOf(std::nan("")).Exact);
}

// A typed number times a unit factor, as the window forms it in doubles, comes back as the
// decimal product; a double that stands for no short decimal comes back as itself.
TEST(Decimal, DecimalNearGivesTheProductOfTheTypedDecimals) {
    const struct {
        double value;
        const char* decimal;
    } cases[] = {
        {readNumber("100") * 1e-9, "1e-7"},
        {readNumber("0.1") * 60, "6"},
        {readNumber("1.1") * 60, "66"},
        {readNumber("0.3") * 0.001, "0.0003"},
        {readNumber("0.1") + readNumber("0.2"), "0.3"},
        {readNumber("-50") * 1e-9, "-5e-8"},
        {readNumber("0.1") * 3600, "360"},
        {1.0 / 3.0, "0.333333333333333"},
        {0.0, "0"},
        {-0.0, "0"},
    };
    for (const auto& c : cases) {
        const Decimal near = decimalNear(c.value);
        EXPECT_EQ(compare(near, typed(c.decimal)), 0) << c.decimal;
    }
    EXPECT_FALSE(decimalNear(std::nan("")).Exact);
    EXPECT_FALSE(decimalNear(HUGE_VAL).Exact);
    // Every double comes back as a decimal that reads as that double again.
    std::mt19937_64 gen(3);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 20000; ++i) {
        const double v = mantissa(gen) * std::pow(10.0, exponent(gen));
        const double back = toDouble(decimalNear(v));
        ASSERT_LE(std::fabs(back - v),
                  kNearUlps * (std::nextafter(std::fabs(v), HUGE_VAL) - std::fabs(v)))
            << v;
    }
}

TEST(Decimal, CompareMultiplyAndShiftAreExact) {
    const struct {
        const char *a, *b;
        int order;
    } cases[] = {{"1e-7", "0.0000001", 0},
                 {"100e-9", "1e-7", 0},
                 {"0.1", "0.10000000000000001", -1},
                 {"-2", "1", -1},
                 {"-2", "-3", 1},
                 {"0", "-0.000", 0},
                 {"9.99", "10", -1},
                 {"1e300", "1e-300", 1},
                 {"-1e-300", "-1e300", 1},
                 {"12345678901234567890123", "1.2345678901234567890124e22", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(compare(typed(c.a), typed(c.b)), c.order) << c.a << " " << c.b;

    EXPECT_EQ(compare(multiply(typed("100"), typed("1e-9")), typed("1e-7")), 0);
    EXPECT_EQ(compare(multiply(typed("-2.5"), typed("0.4")), typed("-1")), 0);
    EXPECT_EQ(toDouble(multiply(typed("100"), typed("1e-9"))), 1e-7);
    EXPECT_NE(100 * 1e-9, 1e-7); // what doubles alone give
    EXPECT_EQ(compare(shifted(typed("0.9"), 1), typed("9")), 0);
    // Digits beyond what 128 bits hold: the product says so.
    const Decimal wide = typed("1234567890123456789012345678901");
    EXPECT_FALSE(multiply(wide, wide).Exact);
    EXPECT_FALSE(compare(decimalNear(std::nan("")), typed("1")).has_value());
}

TEST(Decimal, RoundingOfQuotientsGoesHalfToEven) {
    const struct {
        long long n, d, q;
    } cases[] = {{5, 2, 2}, {7, 2, 4}, {-5, 2, -2}, {-7, 2, -4}, {9, 4, 2},         {11, 4, 3},
                 {1, 3, 0}, {2, 3, 1}, {5, -2, -2}, {0, 7, 0},   {433 * 5, 10, 216}};
    for (const auto& c : cases) {
        const auto q = roundedQuotient(c.n, c.d);
        ASSERT_TRUE(q.has_value());
        EXPECT_TRUE(*q == c.q) << c.n << " / " << c.d;
    }
    EXPECT_FALSE(roundedQuotient(1, 0).has_value());

    // 433 pixels x 50 / (50 - -50): exactly 216.5, which goes to 216.
    EXPECT_EQ(roundedScaledRatio(433, typed("50e-9"), typed("100e-9")), 216);
    EXPECT_EQ(roundedScaledRatio(433, typed("0.5"), typed("1")), 216);
    EXPECT_EQ(roundedScaledRatio(435, typed("0.5"), typed("1")), 218);
    EXPECT_EQ(roundedScaledRatio(100, typed("-1"), typed("3")), -33);
    EXPECT_FALSE(roundedScaledRatio(100, typed("1"), typed("0")).has_value());
}

// An exact rational reference, worked out apart from the type: the typed text as
// numerator / 10^places.
struct Exact {
    Int128 num = 0, den = 1;
};

Exact exactOf(const char* text) {
    Exact e;
    bool negative = false, fraction = false;
    for (const char* p = text; *p; ++p) {
        if (*p == '-')
            negative = true;
        else if (*p == '.')
            fraction = true;
        else {
            e.num = e.num * 10 + (*p - '0');
            if (fraction) e.den *= 10;
        }
    }
    if (negative) e.num = -e.num;
    return e;
}

// num / den to an integer the schoolbook way: floor, then the doubled rest against den.
Int128 referenceRounded(Int128 num, Int128 den, Rounding mode) {
    Int128 q = num / den, r = num % den;
    if (r < 0) q -= 1, r += den;
    if (mode == Rounding::TowardZero) return (num < 0 && r != 0) ? q + 1 : q;
    const Int128 twice = 2 * r;
    if (twice > den) return q + 1;
    if (twice < den) return q;
    if (mode == Rounding::HalfEven) return q % 2 == 0 ? q : q + 1;
    return num < 0 ? q : q + 1; // away from zero
}

// Products, sums and comparisons of typed decimals against the reference, among them the
// values binary doubles put on the wrong side of a limit or a half.
TEST(Decimal, ArithmeticAgreesWithExactFractions) {
    const struct {
        const char *a, *b;
    } cases[] = {
        {"100", "0.000000001"}, // 100 x 1e-9 is 1e-7; in doubles it lies above 1e-7
        {"50", "2.55"},         // 127.5; in doubles 127.49999999999999
        {"1295", "1.1"},        // 1424.5; in doubles 1424.5000000000002
        {"1100", "1.005"},      // 1105.5
        {"-2.5", "1"},          {"-3.5", "1"},         {"-1295", "1.1"}, {"0.5", "1"},
        {"1.5", "1"},           {"0.1", "0.2"},        {"0.7", "-0.1"},  {"433", "0.5"},
        {"0", "7.25"},          {"12.3456", "-0.001"},
    };
    const Rounding modes[] = {Rounding::HalfEven, Rounding::HalfAwayFromZero, Rounding::TowardZero};
    for (const auto& c : cases) {
        const Decimal a = readDecimal(c.a).Number, b = readDecimal(c.b).Number;
        const Exact x = exactOf(c.a), y = exactOf(c.b);
        const Decimal product = multiply(a, b);
        const Decimal sum = add(a, b);
        const Exact p{x.num * y.num, x.den * y.den};
        const Exact s{x.num * y.den + y.num * x.den, x.den * y.den};
        for (const Rounding mode : modes) {
            const auto rp = roundedInteger(product, mode), rs = roundedInteger(sum, mode);
            ASSERT_TRUE(rp && rs) << c.a << " " << c.b;
            EXPECT_TRUE(*rp == referenceRounded(p.num, p.den, mode))
                << c.a << " x " << c.b << " mode " << static_cast<int>(mode);
            EXPECT_TRUE(*rs == referenceRounded(s.num, s.den, mode))
                << c.a << " + " << c.b << " mode " << static_cast<int>(mode);
            const auto q = roundedQuotient(p.num, p.den, mode);
            EXPECT_TRUE(q && *q == referenceRounded(p.num, p.den, mode)) << c.a << " x " << c.b;
        }
        // a x b against a + b, and a against b, as the fractions order them.
        const Int128 lhs = p.num * s.den, rhs = s.num * p.den;
        EXPECT_EQ(compare(product, sum), (lhs > rhs) - (lhs < rhs)) << c.a << " " << c.b;
        const Int128 l2 = x.num * y.den, r2 = y.num * x.den;
        EXPECT_EQ(compare(a, subtract(a, subtract(a, b))), (l2 > r2) - (l2 < r2));
    }
    // What the doubles alone decide, which the decimals above put right.
    EXPECT_GT(100 * 1e-9, 1e-7);
    EXPECT_LT(50 * 2.55, 127.5);
    EXPECT_GT(1295 * 1.1, 1424.5);
    EXPECT_FALSE(roundedInteger(readDecimal("1e40").Number).has_value());
    EXPECT_TRUE(*roundedInteger(readDecimal("4e-40").Number) == 0);
}

// One tolerance decides both "which decimal" and "the same decimal": a few roundings of
// typed values are taken back, a difference a user could type is not.
TEST(Decimal, ADoubleStandsForTheDecimalWithinTheOneTolerance) {
    const struct {
        double value, snapped;
    } snaps[] = {
        {0.06250000000000001, 0.0625}, {1.4999999999999998, 1.5},      {0.1 * 3, 0.3},
        {-2.5e-10, -2.5e-10},          {1.0 / 3.0, 0.333333333333333}, {0.0, 0.0},
        {HUGE_VAL, HUGE_VAL},
    };
    for (const auto& c : snaps) EXPECT_EQ(snappedToDecimal(c.value), c.snapped) << c.value;
    EXPECT_TRUE(std::isnan(snappedToDecimal(std::nan(""))));

    const struct {
        double a, b;
        bool same;
    } pairs[] = {
        {10000 * 1e-5, 0.1, true},
        {0.1 + 0.2, 0.3, true},
        {100 * 1e-9, 1e-7, true},
        {1295 * 1.1, 1424.5, true},
        {readNumber("0.30000000000001"), 0.3, false},
        {1e-7, 1.0000001e-7, false},
        {-2.0, 2.0, false},
        {0.0, -0.0, true},
        {1e-300, 0.0, false},
    };
    for (const auto& c : pairs) EXPECT_EQ(sameDecimal(c.a, c.b), c.same) << c.a << " " << c.b;
}

} // namespace
