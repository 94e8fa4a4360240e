#include "analysis/SampleList.h"

#include <gtest/gtest.h>

namespace varentis {
namespace {

std::string shown(const SampleList& list) {
    std::string s;
    for (const Sample& x : list.Samples) {
        s += "[" + x.Name;
        if (x.Concentration) s += "=" + std::to_string(*x.Concentration);
        s += "*" + std::to_string(x.Replicates) + "]";
    }
    for (const SampleListProblem& p : list.Problems)
        s += " #" + std::to_string(p.Item) + "@" + std::to_string(p.Offset) + ":" + p.Reason;
    return s;
}

TEST(SampleList, ReadsGoodItemsAndSkipsBadOnesWithTheirReason) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"Blank=0*3, S1=1*3, River A*2, X", "[Blank=0.000000*3][S1=1.000000*3][River A*2][X*1]"},
        {"  S = 2.5e-1 * 4 ,T=-0", "[S=0.250000*4][T=0.000000*1]"},
        {"", ""},
        {" \t ", ""},
        {"A, B,", "[A*1][B*1]"}, // a closing comma is harmless
        {"A,,B", "[A*1][B*1] #2@2:empty item"},
        {"=1*2, B", "[B*1] #1@0:no sample name"},
        {"A=, B=x, C=-1, D=1e-330",
         " #1@0:no concentration after '=' #2@4:concentration is not a "
         "number #3@9:negative concentration #4@15:concentration is not a number"},
        {"A*0,B*,C*2.0,D*1001,E*1000", "[E*1000] #1@0:replicates must be at least 1 #2@4:no "
                                       "replicate count after '*' #3@7:replicates must be a whole "
                                       "number #4@13:more than 1000 replicates"},
        {"A=1=2, B*2*3, C=1e999",
         " #1@0:more than one '=' #2@7:more than one '*' #3@14:concentration "
         "is not a number"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown(parseSampleList(c.text)), c.expected) << c.text;
}

TEST(SampleList, GivesEachCycleItsSampleInOrder) {
    const SampleList list = parseSampleList("Blank=0*3, S1=1*2, bad*x, U");
    const struct {
        int cycle;
        int sample; // -1: none
    } cases[] = {{0, -1}, {-5, -1}, {1, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 2}, {7, -1}, {1000, -1}};
    for (const auto& c : cases) {
        const std::optional<std::size_t> s = sampleOfCycle(list, c.cycle);
        EXPECT_EQ(s ? static_cast<int>(*s) : -1, c.sample) << c.cycle;
    }
}

} // namespace
} // namespace varentis
