#include "hardware/PMTSetupRules.h"

#include <gtest/gtest.h>

namespace varentis::test {
namespace {

TEST(PmtSetupRules, MaxVoltageIsTheNumberLimitedToZeroTo2000) {
    const std::pair<const char*, double> cases[]{
        {"1000", 1000}, {"2500", 2000}, {"2000", 2000}, {"1999.5", 1999.5}, {"-5", 0},
        {"abc", 0},     {"", 0},        {" 750", 750},  {"1e4", 2000},      {"12 V", 0},
    };
    for (auto [text, volts] : cases) EXPECT_EQ(pmtMaxVoltageOf(text), volts) << '"' << text << '"';
}

TEST(PmtSetupRules, VoltageFactorIsTheNumberLimitedTo09To11) {
    const std::pair<const char*, double> cases[]{
        {"1.000", 1.0}, {"1.2", 1.1},   {"0.85", 0.9}, {"1.05", 1.05}, {"1.1", 1.1},
        {"0.9", 0.9},   {"-1", 0.9},    {"x", 0.9},    {"", 0.9},      {"1,05", 0.9},
    };
    for (auto [text, factor] : cases)
        EXPECT_EQ(pmtVoltageFactorOf(text), factor) << '"' << text << '"';
}

TEST(PmtSetupRules, ReadoutUsesTheUnitAndDecimalsOfTheRange) {
    struct Case {
        double amperes;
        std::size_t item;
        const char* shown;
    };
    const Case cases[]{
        {2.5e-4, 0, "0.2500 mA"},      {-1.23456e-3, 0, "-1.2346 mA"},
        {4.883e-5, 1, "48.83 uA"},     {1.0000384e-5, 2, "10.000 uA"},
        {-4.883e-8, 3, "-0.0488 uA"},  {1.234567e-7, 4, "123.46 nA"},
        {-3e-9, 5, "-3.000 nA"},       {0.0, 5, "0.000 nA"},
        {2.5e-4, 9, "250000.000 nA"}, // an item beyond the list reads as the last
    };
    for (const Case& c : cases)
        EXPECT_EQ(pmtCurrentReadout(c.amperes, c.item), c.shown)
            << c.amperes << " A, item " << c.item;
}

} // namespace
} // namespace varentis::test
