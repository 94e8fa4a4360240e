#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The sample list the operator types for a run, e.g. "Blank=0*3, S1=1*3, River A*3": items
// separated by commas, each a name, an optional "=concentration" and an optional
// "*replicates" (1 when left out). The samples take the cycles in order, each for as many
// cycles as it has replicates; the cycles after the list have no sample.
namespace varentis {

struct Sample {
    std::string Name;
    // As typed, read as an exact decimal; never negative. A sample with a concentration is a
    // standard, one with concentration 0 a blank.
    std::optional<double> Concentration;
    int Replicates = 1;
};

// An item that could not be read; it is left out and the other items still apply.
struct SampleListProblem {
    int Item = 0;           // 1 for the first item of the text
    std::size_t Offset = 0; // where the item starts in the text
    std::string Reason;
};

struct SampleList {
    std::vector<Sample> Samples;
    std::vector<SampleListProblem> Problems;
};

// The most replicates one item may ask for; more is a typing slip, not a run.
inline constexpr int kMaxReplicates = 1000;

SampleList parseSampleList(std::string_view text);

// The index in list.Samples of the sample injected in `cycle` (the first cycle is 1); none
// for a cycle before the first or after the list.
std::optional<std::size_t> sampleOfCycle(const SampleList& list, int cycle);

} // namespace varentis
