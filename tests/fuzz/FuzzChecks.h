#pragma once

#include <span>
#include <string>
#include <string_view>

// The properties every reader of the program must keep for any input, checked on one input.
// The same checks run under libFuzzer (scripts/fuzz) and, in the ordinary build, as tests
// that replay the committed corpus (tests/fuzz/corpus/<target>/).
namespace varentis::fuzz {

// Each returns the first property the input breaks, in words, or an empty string.
struct Target {
    std::string_view name; // also the corpus folder
    std::string (*check)(std::string_view input);
};

// data_file, settings_file, potential_program, valve_program, pump_program.
std::span<const Target> targets();
const Target* findTarget(std::string_view name);

// Limits of one input: no reader may take longer or hold more.
inline constexpr int kTimeLimitSeconds = 5;
inline constexpr int kMemoryLimitMegabytes = 512;

} // namespace varentis::fuzz
