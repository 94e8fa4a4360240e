#pragma once

#include "measurement/ValveProgram.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace varentis {

// The switching times strictly inside the cycle that the valves reach before their lists
// end or they reach the cycle time, sorted, without repeats, between 0 and the cycle time;
// and where each time stands among them. Exact times on a scale fine enough for the cycle
// to span few machine words are marked in a bitmap, whose popcounts give the positions;
// others are merged and looked up. T: exact scaled digits (std::int64_t) or doubles.
template <typename T> class SwitchTimes {
  public:
    SwitchTimes(const std::array<std::vector<T>, kValveCount>& sums,
                const std::array<bool, kValveCount>& defined, T cycle, std::vector<T>& times);

    // Index of time `s` in the list, if it is there at `from` or after.
    std::optional<std::size_t> find(T s, std::size_t from) const;

  private:
    // Calls start() before each defined valve's times and time(s) for each of them.
    template <typename Start, typename Time>
    void eachCandidate(const std::array<std::vector<T>, kValveCount>& sums,
                       const std::array<bool, kValveCount>& defined, Start&& start,
                       Time&& time) const;
    void markAll(const std::array<std::vector<T>, kValveCount>& sums,
                 const std::array<bool, kValveCount>& defined, std::size_t total);
    void mergeAll(const std::array<std::vector<T>, kValveCount>& sums,
                  const std::array<bool, kValveCount>& defined, std::size_t total);

    T cycle_;
    std::vector<T>& times_;
    std::vector<std::uint64_t> words_;
    std::vector<std::size_t> before_;
};

// The switching times and masks from each valve's running sums (exact scaled digits or
// doubles). Each valve changes state at the steps its sums meet, in order; a sum that is no
// step at or after the last one met (it went back, or beyond the cycle) holds the valve
// from there on.
void buildSchedule(const std::array<std::vector<std::int64_t>, kValveCount>& sums,
                   const std::array<bool, kValveCount>& defined,
                   const std::array<bool, kValveCount>& openAtStart, std::int64_t cycle,
                   std::vector<std::int64_t>& times, std::vector<std::uint16_t>& masks);
void buildSchedule(const std::array<std::vector<double>, kValveCount>& sums,
                   const std::array<bool, kValveCount>& defined,
                   const std::array<bool, kValveCount>& openAtStart, double cycle,
                   std::vector<double>& times, std::vector<std::uint16_t>& masks);

} // namespace varentis
