#include "core/Decimal.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

using namespace varentis;

namespace {

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

} // namespace
