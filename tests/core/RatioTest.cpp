#include "core/Ratio.h"

#include <gtest/gtest.h>

namespace varentis {
namespace {

TEST(Ratio, RoundsAsTheTypedDecimalsWould) {
    // Products and quotients of typed decimals, rounded to the nearest integer with halves
    // to even; in doubles several of these land a hair beside the half.
    const struct {
        const char *a, *b;
        char op;
        std::int64_t rounded, truncated;
    } cases[] = {
        {"1.1", "15", '*', 16, 16},       // 16.5: the double 16.500000000000004 gives 17
        {"1.1", "5", '*', 6, 5},          // 5.5 up to the even 6
        {"50", "2.55", '*', 128, 127},    // 127.5: the double 127.49999999999999 gives 127
        {"127", "0.05", '*', 6, 6},       // 6.35
        {"6.35", "2.54", '/', 2, 2},      // 2.5 down to the even 2
        {"-2.5", "1", '*', -2, -2},       // negative halves go to the even one too
        {"-3.5", "1", '*', -4, -3},
        {"0.3", "0.1", '/', 3, 3},        // 2.9999999999999996 in doubles
        {"0.7", "0.1", '-', 1, 0},        // 0.6
        {"0.1", "0.2", '+', 0, 0},        // 0.3
        {"abc", "7", '*', 0, 0},          // not a number: 0, as the fields read it
    };
    for (const auto& c : cases) {
        const Ratio a = Ratio::ofText(c.a), b = Ratio::ofText(c.b);
        Ratio r;
        switch (c.op) {
        case '*': r = a * b; break;
        case '/': r = a / b; break;
        case '+': r = a + b; break;
        default: r = a - b; break;
        }
        EXPECT_TRUE(r.exact()) << c.a << c.op << c.b;
        EXPECT_EQ(r.rounded(), c.rounded) << c.a << c.op << c.b;
        EXPECT_EQ(r.truncated(), c.truncated) << c.a << c.op << c.b;
    }
}

TEST(Ratio, SignsFractionsAndComparisons) {
    EXPECT_EQ((Ratio::ofText("0.7") - Ratio::ofText("0.7")).sign(), 0);
    EXPECT_EQ((Ratio::ofText("0.7") - Ratio::ofText("0.70000001")).sign(), -1);
    EXPECT_EQ(Ratio::ofText("-1e-30").sign(), -1);
    const Ratio q = Ratio(10) * Ratio::ofText("5") / Ratio::ofText("7"); // 50 / 7
    EXPECT_EQ(q.truncated(), 7);
    EXPECT_EQ((q.fraction() * Ratio(7)).rounded(), 1);
    EXPECT_EQ(Ratio::ofText("-7.25").fraction().value(), -0.25);
    EXPECT_EQ(Ratio::ofDouble(0.1).value(), 0.1);
    EXPECT_EQ((Ratio::ofDouble(0.1) * Ratio(10)).rounded(), 1);
}

TEST(Ratio, NumbersBeyondItsDigitsCarryOnAsDoubles) {
    const Ratio huge = Ratio::ofText("1e300");
    EXPECT_FALSE(huge.exact());
    EXPECT_EQ(huge.value(), 1e300);
    EXPECT_EQ(huge.rounded(), std::int64_t{1} << 62) << "clamped";
    const Ratio wide = Ratio::ofText("123456789012345678") * Ratio::ofText("98765432109876543210") *
                       Ratio::ofText("1000000000000000000000");
    EXPECT_FALSE(wide.exact());
    EXPECT_GT(wide.value(), 1e58);
    const Ratio byZero = Ratio(1) / Ratio(0);
    EXPECT_FALSE(byZero.exact());
    EXPECT_EQ(byZero.sign(), 1);
}

} // namespace
} // namespace varentis
