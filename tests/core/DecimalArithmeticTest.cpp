#include "core/DecimalArithmetic.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace varentis;

namespace {

Decimal typed(const char* text) { return readDecimal(text).Number; }

// A typed number times a unit factor, as the window forms it in doubles, comes back as the
// decimal product; a double that stands for no short decimal comes back as itself.
TEST(DecimalArithmetic, DecimalNearGivesTheProductOfTheTypedDecimals) {
    const struct {
        double value;
        const char* decimal;
    } cases[] = {
        {readNumber("100") * 1e-9, "1e-7"},    {readNumber("0.1") * 60, "6"},
        {readNumber("1.1") * 60, "66"},        {readNumber("0.3") * 0.001, "0.0003"},
        {readNumber("0.1") + readNumber("0.2"), "0.3"}, {readNumber("-50") * 1e-9, "-5e-8"},
        {readNumber("0.1") * 3600, "360"},     {1.0 / 3.0, "0.3333333333333333"},
        {0.0, "0"},                            {-0.0, "0"},
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
        ASSERT_LE(std::fabs(back - v), 4 * (std::nextafter(std::fabs(v), HUGE_VAL) - std::fabs(v)))
            << v;
    }
}

TEST(DecimalArithmetic, CompareMultiplyAndShiftAreExact) {
    const struct {
        const char *a, *b;
        int order;
    } cases[] = {{"1e-7", "0.0000001", 0},  {"100e-9", "1e-7", 0},
                 {"0.1", "0.10000000000000001", -1},
                 {"-2", "1", -1},           {"-2", "-3", 1},         {"0", "-0.000", 0},
                 {"9.99", "10", -1},        {"1e300", "1e-300", 1},  {"-1e-300", "-1e300", 1},
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

TEST(DecimalArithmetic, RoundingOfQuotientsGoesHalfToEven) {
    const struct {
        long long n, d, q;
    } cases[] = {{5, 2, 2}, {7, 2, 4}, {-5, 2, -2}, {-7, 2, -4}, {9, 4, 2}, {11, 4, 3},
                 {1, 3, 0}, {2, 3, 1}, {5, -2, -2}, {0, 7, 0},  {433 * 5, 10, 216}};
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

} // namespace
