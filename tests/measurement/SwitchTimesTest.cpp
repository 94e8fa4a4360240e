#include "measurement/SwitchTimes.h"

#include <gtest/gtest.h>

#include <random>

using namespace varentis;

namespace {

// Exact times on a fine scale are found in a bitmap, doubles by merging and searching: the
// same sums give the same steps and masks either way. The sums mostly go forward, now and
// then back, to the cycle's end and beyond it, so each valve also stops at a time it misses.
TEST(SwitchTimes, TheBitmapFindsTheStepsTheMergeFinds) {
    std::mt19937 gen(5);
    for (int round = 0; round < 400; ++round) {
        const auto cycle = static_cast<std::int64_t>(1 + gen() % 3000);
        std::array<std::vector<std::int64_t>, kValveCount> exact;
        std::array<std::vector<double>, kValveCount> doubles;
        std::array<bool, kValveCount> defined{}, openAtStart{};
        for (std::size_t v = 0; v < kValveCount; ++v) {
            defined[v] = gen() % 4 != 0;
            openAtStart[v] = gen() % 3 == 0;
            std::int64_t sum = 0;
            for (auto k = gen() % 40; k > 0; --k) {
                const auto r = gen() % 20;
                const auto step = static_cast<std::int64_t>(gen() % (cycle / 8 + 1));
                sum += r == 0 ? -step : r == 1 ? cycle - sum : step + 1;
                exact[v].push_back(sum);
                doubles[v].push_back(static_cast<double>(sum));
            }
        }
        std::vector<std::int64_t> exactTimes;
        std::vector<double> times;
        std::vector<std::uint16_t> exactMasks, masks;
        buildSchedule(exact, defined, openAtStart, cycle, exactTimes, exactMasks);
        buildSchedule(doubles, defined, openAtStart, static_cast<double>(cycle), times, masks);
        ASSERT_EQ(exactTimes.size(), times.size()) << "round " << round;
        for (std::size_t j = 0; j < times.size(); ++j)
            ASSERT_EQ(static_cast<double>(exactTimes[j]), times[j]) << "round " << round;
        ASSERT_EQ(exactMasks, masks) << "round " << round;
    }
}

} // namespace
